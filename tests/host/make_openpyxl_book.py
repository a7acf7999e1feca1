#!/usr/bin/env python3
"""Writes a workbook with openpyxl (another spreadsheet writer), for the
host's file test: values, date and time formats, fonts, widths, sheet order."""
import datetime
import sys

from openpyxl import Workbook
from openpyxl.styles import Font

wb = Workbook()
ws = wb.active
ws.title = "Наличные"
ws.append(["DATE_ON", "RECIPIENT_ID", "ESTABLISH_PAYMENT", "SUM_RUB", "CATEGORY_PAYMENT_ID"])
ws.append([datetime.date(2010, 1, 5), "Иванов", "Канцтовары", 1234.5, "КАНЦ"])
ws.append([datetime.datetime(2011, 3, 1, 9, 7, 0), "Петров", None, 12, None])
ws["F2"] = datetime.time(9, 5, 0)
ws["G2"] = True
ws["C3"].value = "  с пробелами  "
ws["D2"].font = Font(color="FFFF0000", bold=True)
ws["A1"].font = Font(bold=True)
ws["D3"].number_format = "0.00"
ws.column_dimensions["C"].width = 30
second = wb.create_sheet("Категории")
second["A1"] = "NAME_ENCIPHER"
second["A2"] = "КАНЦ"
second["B5"] = -0.25
wb.active = 1
wb.save(sys.argv[1])
