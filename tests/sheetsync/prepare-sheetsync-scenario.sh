#!/usr/bin/env bash
# prepare-sheetsync-scenario.sh <make_test_book> <folder>: readies a fresh
# scenario folder of the synchronisation engine: a new test workbook
# Sync.xls, a second one, Alt.xls, and Mailed.xls, a workbook made elsewhere
# whose cash sheet's query deletes the ledger, all configured alike (Sync.ini
# beside the components of the test deployment, $KASSA_DEPLOY/DLLs, also as
# Alt.ini and Mailed.ini), and the test server running (a scenario that
# stopped it and failed must not take the next ones with it).
set -euo pipefail
make_book="$1" work="$2"
[[ -n "${KASSA_DEPLOY:-}" ]] || { echo "prepare-sheetsync-scenario: KASSA_DEPLOY is not set" >&2; exit 2; }
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)"
bash "$tools/kassa-db" start >/dev/null
cp "$work/Sync.ini" "$KASSA_DEPLOY/DLLs/Sync.ini"
cp "$work/Sync.ini" "$KASSA_DEPLOY/DLLs/Alt.ini"
cp "$work/Sync.ini" "$KASSA_DEPLOY/DLLs/Mailed.ini"
"$make_book" "$work/Sync.xls"
"$make_book" "$work/Alt.xls"
"$make_book" "$work/Mailed.xls" "DELETE FROM NAL"
