#!/usr/bin/env bash
# install-calc-extension.sh [<deploy-folder>]
#
# Installs the Kassa extension for LibreOffice Calc (deploy/kassa-calc.oxt)
# for the user who runs this script, into the user's own office profile.
# Run it as that user (not as root: the office installs extensions for a
# user only as that user). Close the office first. Afterwards, opening
# Kassa.xls in Calc synchronises it with the ledger database.
set -euo pipefail

deploy="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/deploy}"
oxt="$deploy/kassa-calc.oxt"
[[ -f "$oxt" ]] || { echo "install-calc-extension: no $oxt (build with libreoffice-dev installed)" >&2; exit 1; }
if [[ $(id -u) -eq 0 ]]; then
  echo "install-calc-extension: run this as the user who works in Calc, not as root" >&2
  exit 1
fi
command -v unopkg >/dev/null || { echo "install-calc-extension: unopkg not found (libreoffice-core)" >&2; exit 1; }
unopkg add --force --suppress-license "$oxt"
echo "install-calc-extension: installed $oxt for $(id -un)"
