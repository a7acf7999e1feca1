#!/usr/bin/env bash
# check-deploy.sh <deploy-dir>: the deployment folder holds what a user runs
# and the libraries it loads, and no test or bench program or library.
# Prints each stray file; exit status 1 when there is one.
set -euo pipefail
deploy="${1:?usage: check-deploy.sh <deploy-dir>}"
[[ -d "$deploy" ]] || { echo "no deployment folder $deploy"; exit 1; }
stray=0
while IFS= read -r -d '' f; do
  name="$(basename "$f")"
  case "$name" in
    *test* | *bench* | *Test*)
      echo "not for users: ${f#"$deploy"/}"
      stray=1
      ;;
  esac
done < <(find "$deploy" -maxdepth 2 -type f -print0)
for p in kassa-book paydesk setupdb; do
  [[ -x "$deploy/$p" ]] || { echo "missing program: $p"; stray=1; }
done
[[ -f "$deploy/doc/guide.ru.md" ]] || { echo "missing the user's guide: doc/guide.ru.md"; stray=1; }
exit "$stray"
