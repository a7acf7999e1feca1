#!/usr/bin/env bash
# memory_limit.sh <kassa-script> <folder of foreign books>: under a memory
# limit smaller than a workbook needs, opening it is refused as an unreadable
# file and the run goes on to the next workbook (no abort).
set -uo pipefail
runner="$1" books="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$books/heavy.xlsx" "$books/merged.xlsx" "$work/"
cat >"$work/limit.ks" <<'KS'
open heavy.xlsx
open merged.xlsx
answer OK
show A1
KS
out="$(cd "$work" && ulimit -v 200000 && "$runner" limit.ks 2>&1)"
status=$?
echo "$out"
fail=0
[[ $status -eq 0 ]] || { echo "memory_limit: runner exit status $status"; fail=1; }
grep -qx "ERROR не удалось прочитать файл heavy.xlsx" <<<"$out" || { echo "memory_limit: no refusal"; fail=1; }
grep -q '^CELL Данные!A1 "Сумма" text$' <<<"$out" || { echo "memory_limit: the run did not go on"; fail=1; }
exit $fail
