#!/usr/bin/env bash
# check-install.sh <build-dir> <prefix>: installs the build into <prefix>
# and checks the installed layout (see CMakeLists.txt in this folder).
set -euo pipefail
build="$1"
prefix="$2"
rm -rf "$prefix"
# The install registers the components; keep that registry apart.
export KASSA_COMPONENTS="$prefix.components.conf"
rm -f "$KASSA_COMPONENTS"
cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || { cat "$prefix.log"; exit 1; }

fail=0
need() { [[ -e "$prefix/$1" ]] || { echo "missing: $1"; fail=1; }; }
built() { [[ -e "$build/deploy/$1" ]]; }

for p in paydesk kassa-book kassa-register; do built "$p" && need "bin/$p"; done
for l in DLLs/libkassa_ui.so DLLs/libkassa_host.so DLLs/libkassa_ui_qt.so DLLs/libdbgate.so \
         DLLs/libsheetsync.so DLLs/libledgertools.so DLLs/libwaitbox.so DLLs/libinibook.so; do
  built "$l" && need "lib/kassa/$(basename "$l")"
done
# The installation's own registry, with paths relative to itself.
need lib/kassa/components.conf
grep -q '^Dbgate.ADB_cls=libdbgate.so$' "$prefix/lib/kassa/components.conf" 2>/dev/null \
  || { echo "lib/kassa/components.conf does not name libdbgate.so"; fail=1; }
need bin/kassa-backup
need share/kassa/backup/kassa-backup.timer
grep -q "^ExecStart=$prefix/bin/kassa-backup " "$prefix/share/kassa/backup/kassa-backup.service" \
  || { echo "kassa-backup.service does not name the installed program"; fail=1; }
grep -q " root $prefix/bin/kassa-backup " "$prefix/share/kassa/backup/kassa-backup.cron" \
  || { echo "kassa-backup.cron does not name the installed program"; fail=1; }
need share/applications/kassa-book.desktop
need share/applications/kassa-paydesk.desktop
# The desktop's menus show the program's own icon, installed beside them.
if built kassa-book; then
  need share/icons/hicolor/256x256/apps/kassa.png
  for d in kassa-book kassa-paydesk; do
    grep -qx 'Icon=kassa' "$prefix/share/applications/$d.desktop" 2>/dev/null \
      || { echo "$d.desktop does not name the kassa icon"; fail=1; }
  done
fi
if built setupdb; then
  need lib/kassa/setup/setupdb
  # The installer's DLLs folder is the components' folder.
  [[ "$(cd "$prefix/lib/kassa/setup/DLLs" && pwd -P)" == "$(cd "$prefix/lib/kassa" && pwd -P)" ]] \
    || { echo "lib/kassa/setup/DLLs is not lib/kassa"; fail=1; }
  # Its libraries resolve from there.
  if ldd "$prefix/lib/kassa/setup/setupdb" | grep -q "not found"; then
    echo "setupdb: unresolved libraries"; ldd "$prefix/lib/kassa/setup/setupdb"; fail=1
  fi
fi
if built kassa-book && ldd "$prefix/bin/kassa-book" | grep -q "not found"; then
  echo "kassa-book: unresolved libraries"; fail=1
fi
if built kassa-register; then
  for id in Dbgate.ADB_cls Sheetsync.WB_Events Ledgertools.Special_Function Waitbox.clsMsgBox; do
    grep -qi "^$id=$prefix/lib/kassa/" "$KASSA_COMPONENTS" || { echo "not registered: $id"; fail=1; }
  done
fi
# The workbook window is offered as the default for Kassa workbooks only,
# never for every spreadsheet.
need share/mime/packages/kassa-workbook.xml
mime_line="$(grep '^MimeType=' "$prefix/share/applications/kassa-book.desktop" || true)"
[[ "$mime_line" == "MimeType=application/x-kassa-workbook;" ]] \
  || { echo "kassa-book.desktop: MimeType is '$mime_line'"; fail=1; }
if command -v update-mime-database >/dev/null && command -v gio >/dev/null && built Kassa.xls; then
  probe="$prefix.mime-probe"
  rm -rf "$probe" && mkdir -p "$probe"
  [[ -f "$prefix/share/mime/mime.cache" ]] || update-mime-database "$prefix/share/mime"
  cp "$build/deploy/Kassa.xls" "$probe/Kassa.xls"
  cp "$build/deploy/Kassa.xls" "$probe/kassa-2026.xls"
  cp "$build/deploy/Kassa.xls" "$probe/budget.xlsx"
  cp "$build/deploy/Kassa.xls" "$probe/report.xls"
  type_of() {
    XDG_DATA_DIRS="$prefix/share:${XDG_DATA_DIRS:-/usr/local/share:/usr/share}" \
      gio info -a standard::content-type "$probe/$1" 2>/dev/null | sed -n 's/.*content-type: //p'
  }
  for f in Kassa.xls; do
    [[ "$(type_of "$f")" == application/x-kassa-workbook ]] \
      || { echo "$f is $(type_of "$f"), not a Kassa workbook"; fail=1; }
  done
  for f in budget.xlsx report.xls; do
    [[ "$(type_of "$f")" != application/x-kassa-workbook ]] \
      || { echo "$f is taken for a Kassa workbook"; fail=1; }
  done
  rm -rf "$probe"
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/"*.desktop || fail=1
fi
exit $fail
