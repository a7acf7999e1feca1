#!/usr/bin/env bash
# run-scenario.sh <runner> <scenario.ks> <scenario.expected> [<prepare> [args...]]
#
# Runs the scenario runner on a copy of the scenario's folder and compares its
# transcript (standard output) with the expected file (diff -u). Passes when
# the transcripts are equal and the runner ended as the transcript says:
# exit status 0, or 1 with a final "FAIL ..." line.
#
# The copy is a fresh temporary folder holding the files of the scenario's
# folder and, unless the folder has its own, the sample workbook Kassa.xls of
# $KASSA_DEPLOY; so `open Kassa.xls` works and the files a scenario writes
# (saved workbooks, archive and emergency copies) never land in the sources.
# A <prepare> command, when given, runs next with its args and the folder's
# path as its last argument (to make test workbooks, put configurations in
# place). Paths of the folder in the transcript are written as ".", paths in
# the deployment $KASSA_DEPLOY as "$KASSA_DEPLOY".
# The folder is removed after a pass and kept (its path printed) otherwise.
# A file <name>.check beside the scenario, when present, checks the files the
# run left (bash, run in the scenario's folder after the transcript matched).
# With KASSA_UPDATE_EXPECTED=1 the expected file is written from this run.
set -uo pipefail

if [[ $# -lt 3 ]]; then
  echo "usage: run-scenario.sh <runner> <scenario.ks> <scenario.expected> [<prepare> [args...]]" >&2
  exit 2
fi
absolute() { [[ "$1" == /* ]] && printf '%s\n' "$1" || printf '%s\n' "$PWD/$1"; }
runner="$(absolute "$1")"
scenario="$(absolute "$2")"
expected="$(absolute "$3")"
shift 3
prepare=("$@")
[[ -x "$runner" ]] || { echo "run-scenario: no runner $runner" >&2; exit 2; }
[[ -r "$scenario" ]] || { echo "run-scenario: no scenario $scenario" >&2; exit 2; }

work="$(mktemp -d "${TMPDIR:-/tmp}/kassa-scenario.XXXXXX")"
actual="$(mktemp)"
keep_work=1
cleanup() {
  rm -f "$actual"
  if [[ $keep_work -eq 1 ]]; then
    echo "run-scenario: the scenario's folder is kept in $work" >&2
  else
    rm -rf "$work"
  fi
}
trap cleanup EXIT
cp -R "$(dirname "$scenario")/." "$work/"
if [[ ! -e "$work/Kassa.xls" && -n "${KASSA_DEPLOY:-}" && -f "$KASSA_DEPLOY/Kassa.xls" ]]; then
  cp "$KASSA_DEPLOY/Kassa.xls" "$work/Kassa.xls"
fi
if [[ ${#prepare[@]} -gt 0 ]] && ! "${prepare[@]}" "$work"; then
  echo "run-scenario: preparing the scenario's folder failed: ${prepare[*]}" >&2
  exit 2
fi
deploy_sed=()
[[ -n "${KASSA_DEPLOY:-}" ]] && deploy_sed=(-e "s|$KASSA_DEPLOY/|\$KASSA_DEPLOY/|g")
(cd "$work" && "$runner" "$(basename "$scenario")") |
  sed -e "s|$work/|./|g" -e "s|$work|.|g" "${deploy_sed[@]}" >"$actual"
status=${PIPESTATUS[0]}

last_line="$(tail -n 1 "$actual")"
ended_as_told=0
if [[ $status -eq 0 && "$last_line" != FAIL\ * ]] || [[ $status -eq 1 && "$last_line" == FAIL\ * ]]; then
  ended_as_told=1
fi

if [[ "${KASSA_UPDATE_EXPECTED:-}" == 1 ]]; then
  cat "$actual" >"$expected"
  echo "run-scenario: wrote $expected (runner exit status $status)" >&2
  [[ $ended_as_told -eq 1 ]] || exit 1
  keep_work=0
  exit 0
fi

if [[ ! -r "$expected" ]]; then
  echo "run-scenario: no expected transcript $expected; this run gave:" >&2
  cat "$actual" >&2
  exit 1
fi
if ! diff -u "$expected" "$actual"; then
  echo "run-scenario: transcript differs from $expected (runner exit status $status)" >&2
  exit 1
fi
if [[ $ended_as_told -ne 1 ]]; then
  echo "run-scenario: runner exit status $status does not match the transcript's end" >&2
  exit 1
fi
# A scenario may bring a check of the files it left: <name>.check, run with
# bash in the scenario's folder after the transcript matched.
check="${scenario%.ks}.check"
if [[ -f "$check" ]]; then
  if ! (cd "$work" && bash "$check"); then
    echo "run-scenario: the check $check failed" >&2
    exit 1
  fi
fi
keep_work=0
exit 0
