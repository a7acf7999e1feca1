#!/usr/bin/env bash
# The test command: installs missing packages, configures and builds, runs
# tests and exits with their status.
#
#   scripts/test.sh              builds ./build and runs the whole test suite
#   scripts/test.sh --sanitize   builds ./build-sanitize with clang, AddressSanitizer
#                                and UndefinedBehaviorSanitizer, and runs the suite
#                                there except the Qt windows (no Qt in that build)
#                                and the checks of the deployment's layout
#   scripts/test.sh --fuzz [SECONDS]
#                                runs each fuzz target of ./build-sanitize (built by
#                                --sanitize) for SECONDS (default 60) from its seed
#                                inputs; a finding is kept under
#                                build-sanitize/fuzz-findings and fails the run
#
# .ci/run runs all three in this order. CMAKE_BUILD_PARALLEL_LEVEL sets the
# build's jobs (default 2), KASSA_TEST_JOBS the tests run at once (default 2).
set -euo pipefail

REPO_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$REPO_DIR"
mode="${1:-}"
jobs="${CMAKE_BUILD_PARALLEL_LEVEL:-2}"
test_jobs="${KASSA_TEST_JOBS:-2}"
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

case "$mode" in
  "")
    BUILD="$REPO_DIR/build"
    bash scripts/install-packages.sh
    cmake -S . -B "$BUILD" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
    cmake --build "$BUILD" -j"$jobs"
    status=0
    ctest --test-dir "$BUILD" --output-on-failure --timeout 600 -j"$test_jobs" || status=$?
    exit "$status"
    ;;
  --sanitize)
    BUILD="$REPO_DIR/build-sanitize"
    bash scripts/install-packages.sh
    # -O1: what the sanitizers are made for, and a quicker build than -O2.
    CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G "Unix Makefiles" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g -DNDEBUG" \
      -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g -DNDEBUG" -DKASSA_SANITIZE=ON \
      -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON "${launcher[@]}"
    cmake --build "$BUILD" -j"$jobs"
    # Every finding ends the program that made it; leaks are findings too.
    export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}"
    export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
    export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$REPO_DIR/tests/fuzz/lsan.supp}"
    status=0
    ctest --test-dir "$BUILD" --output-on-failure --timeout 900 -j"$test_jobs" -E '^(packaging_|deploy_holds_user_programs_only)' \
      || status=$?
    exit "$status"
    ;;
  --fuzz)
    seconds="${2:-60}"
    BUILD="$REPO_DIR/build-sanitize"
    [[ -d "$BUILD/tests/fuzz" ]] || { echo "test.sh --fuzz: run test.sh --sanitize first" >&2; exit 2; }
    export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
    export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
    export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$REPO_DIR/tests/fuzz/lsan.supp}"
    status=0
    for target in workbook_file cell_typing; do
      corpus="$BUILD/fuzz-corpus/$target" findings="$BUILD/fuzz-findings/$target"
      mkdir -p "$corpus" "$findings"
      echo "fuzzing $target for ${seconds}s"
      # New inputs go to the build's corpus; the seeds stay as they are.
      "$BUILD/tests/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$corpus" "tests/fuzz/corpus/$target" \
        || { status=1; echo "test.sh --fuzz: $target found a fault; the input is in $findings" >&2; }
    done
    exit "$status"
    ;;
  *)
    echo "usage: scripts/test.sh [--sanitize | --fuzz [SECONDS]]" >&2
    exit 2
    ;;
esac
