#!/usr/bin/env bash
# Installs the Debian 12 packages Kassa needs, only those that are missing
# (apt-get update runs only then). Works as root, or through sudo otherwise.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config git
  mariadb-server mariadb-client libmariadb-dev
  qt6-base-dev libxlsxwriter-dev libminizip-dev libpugixml-dev
  libgtest-dev libbenchmark-dev python3-openpyxl xvfb xauth
  fonts-dejavu-core
  # Qt's own texts in Russian (file dialogs, standard buttons)
  qt6-translations-l10n
  openssl gzip
  # the Galera test cluster: the provider, and its state transfer
  galera-4 mariadb-backup socat
  # charts in the workbook window (Qt Charts' CMake files need the OpenGL
  # development files); the printing and chart tests read PDF files and
  # have LibreOffice draw a saved workbook
  qt6-charts-dev libqt6opengl6-dev poppler-utils libreoffice-calc
  # the workbook type's check, the sanitizer build and the fuzzer
  shared-mime-info libglib2.0-bin desktop-file-utils
  clang libclang-rt-14-dev
  # the Calc host: the office and its SDK; real keystrokes, screenshots and
  # the keyboard layouts on the virtual display; reading saved workbooks
  libreoffice-core libreoffice-dev xdotool imagemagick x11-xkb-utils unzip
)

missing=()
for p in "${PACKAGES[@]}"; do
  status="$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)"
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  echo "install-packages: all packages present"
  exit 0
fi

as_root=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null 2>&1 || { echo "install-packages: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  as_root=(sudo)
fi

echo "install-packages: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
