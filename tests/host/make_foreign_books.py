#!/usr/bin/env python3
"""Writes workbooks made by another spreadsheet writer (openpyxl), each
holding one kind of content the host does not keep, into the folder given:
<kind>.xlsx, named after the kinds the host lists (see the host's file test).
Kinds openpyxl cannot write are patched into its parts afterwards."""
import os
import struct
import sys
import zipfile
import zlib

from openpyxl import Workbook
from openpyxl.chart import BarChart, Reference
from openpyxl.comments import Comment
from openpyxl.formatting.rule import CellIsRule
from openpyxl.styles import Alignment, Border, Font, PatternFill, Side
from openpyxl.workbook.defined_name import DefinedName
from openpyxl.worksheet.datavalidation import DataValidation
from openpyxl.worksheet.table import Table

folder = sys.argv[1]
os.makedirs(folder, exist_ok=True)


def book():
    wb = Workbook()
    ws = wb.active
    ws.title = "Данные"
    ws["A1"] = "Сумма"
    ws["A2"] = 10
    ws["A3"] = 20
    return wb, ws


def save(wb, name):
    wb.save(os.path.join(folder, name + ".xlsx"))


def patched(name, part, old, new, extra=None):
    """Rewrites one part of <name>.xlsx (and adds `extra` parts)."""
    path = os.path.join(folder, name + ".xlsx")
    with zipfile.ZipFile(path) as z:
        parts = {n: z.read(n) for n in z.namelist()}
    text = parts[part].decode()
    assert old in text, (name, old)
    parts[part] = text.replace(old, new, 1).encode()
    for n, data in (extra or {}).items():
        parts[n] = data
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for n, data in parts.items():
            z.writestr(n, data)


def validation(ws):
    dv = DataValidation(type="whole", operator="between", formula1="0", formula2="100")
    ws.add_data_validation(dv)
    dv.add("A2:A3")


def chart(ws):
    bars = BarChart()
    bars.add_data(Reference(ws, min_col=1, min_row=1, max_row=3), titles_from_data=True)
    ws.add_chart(bars, "C2")


def setter(obj, attr, value):
    return lambda ws: setattr(obj(ws), attr, value)


NS = 'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"'
# name: what is done to the sheet (openpyxl), or (part, text, replacement, extra parts)
BOOKS = {
    "formulas": lambda ws: ws.__setitem__("A4", "=SUM(A2:A3)"),  # no stored result
    "merged": lambda ws: ws.merge_cells("A2:B2"),
    "fills": setter(lambda ws: ws["A2"], "fill", PatternFill("solid", fgColor="FFFF00")),
    "borders": setter(lambda ws: ws["A2"], "border", Border(bottom=Side(style="thin"))),
    "fonts": setter(lambda ws: ws["A2"], "font", Font(italic=True)),
    "fonts_size": setter(lambda ws: ws["A3"], "font", Font(size=20)),
    "fonts_colour": setter(lambda ws: ws["A2"], "font", Font(color="FF123456")),
    "alignment": setter(lambda ws: ws["A2"], "alignment",
                        Alignment(horizontal="center", wrap_text=True)),
    "number_formats": setter(lambda ws: ws["A2"], "number_format", "@"),
    "rich_text": ("xl/worksheets/sheet1.xml", '<c r="A2" t="n"><v>10</v></c>',
                  '<c r="A2" t="inlineStr"><is><r><rPr><b/></rPr><t>жир</t></r>'
                  '<r><t>ный</t></r></is></c>', None),
    "comments": setter(lambda ws: ws["A2"], "comment", Comment("Проверить", "Бухгалтер")),
    "filters": setter(lambda ws: ws.auto_filter, "ref", "A1:A3"),
    "panes": setter(lambda ws: ws, "freeze_panes", "A2"),
    "drawings": chart,
    "hyperlinks": setter(lambda ws: ws["A1"], "hyperlink", "https://example.org/"),
    "validation": validation,
    "conditional_formats": lambda ws: ws.conditional_formatting.add(
        "A2:A3", CellIsRule(operator="greaterThan", formula=["15"], font=Font(color="FF0000"))),
    "tables": lambda ws: ws.add_table(Table(displayName="Платежи", ref="A1:A3")),
    "names": lambda ws: ws.parent.defined_names.append(
        DefinedName("Итого", attr_text="'Данные'!$A$2:$A$3")),
    "hidden_sheets": setter(lambda ws: ws.parent.create_sheet("Скрытый"), "sheet_state", "hidden"),
    "other_sheets": lambda ws: ws.parent.create_chartsheet("Диаграмма"),
    "rows_and_columns": setter(lambda ws: ws.row_dimensions[3], "hidden", True),
    "rows_height": setter(lambda ws: ws.row_dimensions[2], "height", 40),
    "protection": setter(lambda ws: ws.protection, "sheet", True),
    "macros": ("xl/workbook.xml", "</workbook>", "</workbook>",
               {"xl/vbaProject.bin": b"\xd0\xcf\x11\xe0not really a project"}),
    "external_links": ("xl/workbook.xml", "</workbook>",
                       '<externalReferences><externalReference %s r:id="rIdX"/>'
                       '</externalReferences></workbook>' % NS, None),
    "error_values": lambda ws: ws.__setitem__("A4", "#N/A"),  # an error value, no formula
    "outside_grid": lambda ws: ws.cell(row=70000, column=1, value="далеко"),
}
for name, change in BOOKS.items():
    wb, ws = book()
    if callable(change):
        change(ws)
    save(wb, name)
    if not callable(change):
        patched(name, *change)


def write_zip(path, parts):
    """Writes a zip file from (name, deflated data, crc, size) entries."""
    out, central = bytearray(), bytearray()
    for name, data, crc, size in parts:
        n = name.encode()
        header = struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0x800, 8, 0, 0x21, crc,
                             len(data), size, len(n), 0)
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0x800, 8, 0, 0x21,
                               crc, len(data), size, len(n), 0, 0, 0, 0, 0, len(out)) + n
        out += header + n + data
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(parts), len(parts), len(central),
                      len(out), 0)
    with open(path, "wb") as f:
        f.write(out + central + end)


def deflated(data):
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


def bomb(name, sheets, mebibytes):
    """A small file whose sheets inflate to `mebibytes` MiB each: the rows of
    a real sheet, then blanks. The blanks are one deflated block of 1 MiB,
    independent of what precedes it, repeated."""
    wb, ws = book()
    for i in range(1, sheets):
        wb.create_sheet("Лист%d" % (i + 1))
    save(wb, name)
    path = os.path.join(folder, name + ".xlsx")
    with zipfile.ZipFile(path) as z:
        originals = [(n, z.read(n)) for n in z.namelist()]
    blank = b" " * (1 << 20)
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    block = c.compress(blank) + c.flush(zlib.Z_FULL_FLUSH)
    parts = []
    for n, data in originals:
        if not n.startswith("xl/worksheets/sheet"):
            parts.append((n, deflated(data), zlib.crc32(data), len(data)))
            continue
        head, tail = data.decode().split("</sheetData>")
        head, tail = head.encode(), ("</sheetData>" + tail).encode()
        c = zlib.compressobj(9, zlib.DEFLATED, -15)
        stream = c.compress(head) + c.flush(zlib.Z_FULL_FLUSH) + block * mebibytes
        c = zlib.compressobj(9, zlib.DEFLATED, -15)
        stream += c.compress(tail) + c.flush()
        crc = zlib.crc32(head)
        for _ in range(mebibytes):
            crc = zlib.crc32(blank, crc)
        crc = zlib.crc32(tail, crc)
        parts.append((n, stream, crc, len(head) + (mebibytes << 20) + len(tail)))
    write_zip(path, parts)


bomb("bomb_part", 1, 300)   # one part beyond what any sheet needs
bomb("bomb_total", 3, 200)  # parts within bounds, together beyond
bomb("heavy", 1, 250)       # within bounds, but more than a small memory limit

# Not foreign content, but values no writer should store: column widths
# beyond any column, below zero and no number.
wb, ws = book()
for col in "ABCD":
    ws.column_dimensions[col].width = 10
save(wb, "odd_widths")
for col, width in (("1", "9.14e625"), ("2", "-4"), ("3", "nan"), ("4", "300")):
    patched("odd_widths", "xl/worksheets/sheet1.xml",
            '<col width="10" customWidth="1" min="%s"' % col,
            '<col width="%s" customWidth="1" min="%s"' % (width, col))
