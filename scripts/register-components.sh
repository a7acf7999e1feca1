#!/usr/bin/env bash
# register-components.sh <deploy-dir>
# Registers the component libraries of <deploy-dir>/DLLs in the registry in
# effect ($KASSA_COMPONENTS, else ~/.config/kassa/components.conf) with the
# deployed kassa-register; when that program is not built, writes the
# registry lines ("ProgID=/abs/path/lib.so") for the libraries present.
set -euo pipefail

deploy="$(cd "${1:?usage: register-components.sh <deploy-dir>}" && pwd)"
if [[ -x "$deploy/kassa-register" ]]; then
  exec "$deploy/kassa-register" --dir "$deploy/DLLs"
fi

conf="${KASSA_COMPONENTS:-${XDG_CONFIG_HOME:-$HOME/.config}/kassa/components.conf}"
echo "register-components: kassa-register not built; writing $conf directly" >&2
mkdir -p "$(dirname "$conf")"
tmp="$conf.tmp.$$"
[[ -f "$conf" ]] && grep -v -E '^(Dbgate\.ADB_cls|Sheetsync\.WB_Events|Ledgertools\.Special_Function|Waitbox\.clsMsgBox|INI_\*\.Ini_Book)=' "$conf" >"$tmp" || : >"$tmp"
for entry in "Dbgate.ADB_cls=libdbgate.so" "Sheetsync.WB_Events=libsheetsync.so" \
             "Ledgertools.Special_Function=libledgertools.so" "Waitbox.clsMsgBox=libwaitbox.so" \
             "INI_*.Ini_Book=libinibook.so"; do
  lib="${entry#*=}"
  [[ -f "$deploy/DLLs/$lib" ]] && echo "${entry%%=*}=$deploy/DLLs/$lib" >>"$tmp"
done
mv "$tmp" "$conf"
