#!/usr/bin/env bash
# The test command: installs missing packages, configures and builds ./build,
# runs the whole test suite with CTest and exits with its status.
set -euo pipefail

REPO_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$REPO_DIR/build"
cd "$REPO_DIR"

bash scripts/install-packages.sh
cmake -S . -B "$BUILD" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD" -j2

status=0
ctest --test-dir "$BUILD" --output-on-failure --timeout 600 || status=$?
exit "$status"
