#!/usr/bin/env bash
# The set-up-and-run command: installs missing packages, builds ./build,
# starts the local database server (data in build/db, port 3407), installs
# the ledger database, registers the components, then opens the sample
# workbook in the workbook window (with a display) or runs the demo scenario
# headless (without one). Safe to run again: an installed ledger database is
# kept; pass --reinstall to recreate it empty (the installer is told so
# through KASSA_REINSTALL=yes instead of asking).
set -euo pipefail

REPO_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$REPO_DIR/build"
DEPLOY="$BUILD/deploy"
DEFAULT_PORT=3407
cd "$REPO_DIR"

reinstall=0
for arg in "$@"; do
  case "$arg" in
    --reinstall) reinstall=1 ;;
    *) echo "usage: scripts/setup.sh [--reinstall]" >&2; exit 2 ;;
  esac
done

step() { echo; echo "== $*"; }

step "packages"
bash scripts/install-packages.sh

step "build ($BUILD)"
cmake -S . -B "$BUILD" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD" -j2

step "database server"
mkdir -p "$DEPLOY/DLLs"
pass_file="$DEPLOY/Pass_Parametrs.ini"
if [[ ! -f "$pass_file" ]]; then
  root_password="K$(head -c 48 /dev/urandom | base64 | tr -dc 'A-Za-z0-9' | head -c 16)"
  (umask 077; printf '%s\r\n%s\r\n' "$DEFAULT_PORT" "$root_password" >"$pass_file")
  echo "wrote $pass_file (port $DEFAULT_PORT, random root password)"
fi
export KASSA_DB_DIR="$BUILD/db" KASSA_DEPLOY="$DEPLOY"
bash scripts/kassa-db start

step "ledger database"
connect_file="$DEPLOY/DLLs/Connect_Parametrs.ini"
app_can_connect() {
  [[ -f "$connect_file" ]] || return 1
  local port db user pw
  port="$(sed -n 2p "$connect_file" | tr -d '\r')"
  db="$(sed -n 4p "$connect_file" | tr -d '\r')"
  user="$(sed -n 6p "$connect_file" | tr -d '\r')"
  pw="$(sed -n 8p "$connect_file" | tr -d '\r')"
  MYSQL_PWD="$pw" mariadb --no-defaults -h127.0.0.1 -P"$port" -u"$user" "$db" \
    -e 'select Size_NAL_BUFFER from Count_NAL_BUFFER' >/dev/null 2>&1
}
fresh_ledger=0
if ((reinstall)) || ! app_can_connect; then
  # --reinstall answers the installer's question before it drops a ledger
  # holding payments; otherwise the installer asks (and, with nobody to ask,
  # keeps the ledger).
  status=0
  if ((reinstall)); then
    KASSA_REINSTALL=yes "$DEPLOY/setupdb" || status=$?
  else
    "$DEPLOY/setupdb" || status=$?
  fi
  if ((status == 6)); then
    echo "setupdb kept db_pnr_l: it holds payments. To recreate it empty: scripts/setup.sh --reinstall" >&2
    exit 1
  fi
  ((status == 0)) || { echo "setupdb failed (exit $status)" >&2; exit 1; }
  fresh_ledger=1
  echo "installed db_pnr_l; connection parameters in $connect_file"
else
  echo "db_pnr_l already installed and reachable (scripts/setup.sh --reinstall recreates it empty)"
fi

step "components"
bash scripts/register-components.sh "$DEPLOY"

step "run"
book="$DEPLOY/Kassa.xls"
if [[ -n "${DISPLAY:-}" && -x "$DEPLOY/kassa-book" ]]; then
  echo "opening $book in the workbook window"
  exec "$DEPLOY/kassa-book" "$book"
fi
# The demo fills the ledger with its own rows, so it runs by itself only on a
# ledger installed empty by this run; a kept ledger is never touched.
demo_dir="$BUILD/demo"
run_demo() {
  rm -rf "$demo_dir" && mkdir -p "$demo_dir"
  cp "$DEPLOY/Kassa.xls" examples/demo.ks "$demo_dir/"
  (cd "$demo_dir" && "$DEPLOY/kassa-script" demo.ks)
}
if ((fresh_ledger)); then
  echo "no display: running the demo scenario headless (examples/demo.ks in $demo_dir)"
  run_demo
else
  echo "no display; the ledger database holds your data, so the demo (which replaces it"
  echo "with demo rows) was not run. To run it anyway: scripts/setup.sh --reinstall"
fi
echo
if [[ -x "$DEPLOY/kassa-book" ]]; then
  echo "To open the workbook window on a desktop: $DEPLOY/kassa-book $book"
else
  echo "note: the workbook window (build/deploy/kassa-book) is not built yet."
fi
echo "Database server: KASSA_DB_DIR=$BUILD/db KASSA_DEPLOY=$DEPLOY scripts/kassa-db status|stop|start"
