#!/usr/bin/env bash
# run-sheetsync-scenario.sh <runner> <make_test_book> <scenario.ks> <expected> <workdir>
#
# Runs one scenario of the synchronisation engine in a fresh working folder:
# the scenario is copied there with a new test workbook Sync.xls (written by
# make_test_book), its configuration Sync.ini goes beside the components of
# the test deployment ($KASSA_DEPLOY/DLLs). The transcript is compared with
# the expected one (diff -u), the working folder's path written as ".".
# The test server is started first when a scenario before left it stopped.
# With KASSA_UPDATE_EXPECTED=1 the expected file is written from this run.
set -uo pipefail
if [[ $# -ne 5 ]]; then
  echo "usage: run-sheetsync-scenario.sh <runner> <make_test_book> <scenario.ks> <expected> <workdir>" >&2
  exit 2
fi
runner="$1" make_book="$2" scenario="$3" expected="$4" work="$5"
[[ -n "${KASSA_DEPLOY:-}" ]] || { echo "run-sheetsync-scenario: KASSA_DEPLOY is not set" >&2; exit 2; }
src="$(dirname "$scenario")"
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)"
# A scenario that stopped the server and failed before starting it again
# must not take the next ones with it.
bash "$tools/kassa-db" start >/dev/null || exit 2
rm -rf "$work" && mkdir -p "$work" || exit 2
cp "$scenario" "$work/" || exit 2
cp "$src/Sync.ini" "$KASSA_DEPLOY/DLLs/Sync.ini" || exit 2
"$make_book" "$work/Sync.xls" || exit 2

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
  echo "run-sheetsync-scenario: wrote $expected (runner exit status $status)" >&2
  [[ $ended_as_told -eq 1 ]] || exit 1
  exit 0
fi
[[ -r "$expected" ]] || { echo "no expected transcript $expected; this run gave:" >&2; cat "$actual" >&2; exit 1; }
diff -u "$expected" "$actual" || { echo "transcript differs (runner exit status $status)" >&2; exit 1; }
[[ $ended_as_told -eq 1 ]] || { echo "runner exit status $status does not match the transcript" >&2; exit 1; }
exit 0
