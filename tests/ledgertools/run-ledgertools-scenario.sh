#!/usr/bin/env bash
# run-ledgertools-scenario.sh <runner> <make_ledger_books> <scenario.ks> <expected> <workdir>
#
# Runs one scenario of the ledger service in a fresh working folder: the
# scenario is copied there with the workbooks of make_ledger_books and, when
# the deployment has it, the sample workbook Kassa.xls. The transcript is
# compared with the expected one (diff -u), the working folder's path
# written as ".". With KASSA_UPDATE_EXPECTED=1 the expected file is written
# from this run.
set -uo pipefail
if [[ $# -ne 5 ]]; then
  echo "usage: run-ledgertools-scenario.sh <runner> <make_ledger_books> <scenario.ks> <expected> <workdir>" >&2
  exit 2
fi
runner="$1" make_books="$2" scenario="$3" expected="$4" work="$5"
[[ -n "${KASSA_DEPLOY:-}" ]] || { echo "run-ledgertools-scenario: KASSA_DEPLOY is not set" >&2; exit 2; }
rm -rf "$work" && mkdir -p "$work" || exit 2
cp "$scenario" "$work/" || exit 2
"$make_books" "$work" || exit 2
if [[ -f "$KASSA_DEPLOY/Kassa.xls" ]]; then cp "$KASSA_DEPLOY/Kassa.xls" "$work/" || exit 2; fi

actual="$work/transcript.actual"
(cd "$work" && "$runner" "$(basename "$scenario")") | sed -e "s|$work/|./|g" -e "s|$work|.|g" >"$actual"
status=${PIPESTATUS[0]}
last_line="$(tail -n 1 "$actual")"
ended_as_told=0
if [[ $status -eq 0 && "$last_line" != FAIL\ * ]] || [[ $status -eq 1 && "$last_line" == FAIL\ * ]]; then
  ended_as_told=1
fi
if [[ "${KASSA_UPDATE_EXPECTED:-}" == 1 ]]; then
  cp "$actual" "$expected"
  echo "run-ledgertools-scenario: wrote $expected (runner exit status $status)" >&2
  [[ $ended_as_told -eq 1 ]] || exit 1
  exit 0
fi
[[ -r "$expected" ]] || { echo "no expected transcript $expected; this run gave:" >&2; cat "$actual" >&2; exit 1; }
diff -u "$expected" "$actual" || { echo "transcript differs (runner exit status $status)" >&2; exit 1; }
[[ $ended_as_told -eq 1 ]] || { echo "runner exit status $status does not match the transcript" >&2; exit 1; }
exit 0
