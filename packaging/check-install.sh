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
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/"*.desktop || fail=1
fi
exit $fail
