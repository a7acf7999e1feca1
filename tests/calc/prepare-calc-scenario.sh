#!/usr/bin/env bash
# prepare-calc-scenario.sh <make_test_book> <folder>: readies a fresh folder
# for a scenario on the engine's test workbook (Sync.xls and its
# configuration), as for the engine's own scenarios.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cp "$here/../scenarios/sheetsync/Sync.ini" "$2/Sync.ini"
exec bash "$here/../sheetsync/prepare-sheetsync-scenario.sh" "$1" "$2"
