#!/usr/bin/env bash
# testenv.sh start <testenv-dir> <deploy-dir>
# testenv.sh stop <testenv-dir>
# testenv.sh galera-start <testenv-dir> <deploy-dir> [nodes]
# testenv.sh galera-stop <testenv-dir>
# testenv.sh connect-hosts <connect-file> <hosts>
#
# A private test installation: the deployment tree copied to
# <testenv>/deploy, a MariaDB server with its files in <testenv>/db on a free
# loopback port, Pass_Parametrs.ini with a random root password, the ledger
# database installed by the copied setupdb, and the components registered in
# <testenv>/components.conf.
#
# start on an existing test environment reuses its server when it runs (and
# its data folder and root password when it does not); the database is
# installed afresh each time. Tests then use:
#   KASSA_TESTENV=<testenv> KASSA_DEPLOY=<testenv>/deploy
#   KASSA_DB_DIR=<testenv>/db KASSA_COMPONENTS=<testenv>/components.conf
#
# galera-start makes the same kind of installation on a MariaDB Galera
# cluster of three nodes (scripts/galera-cluster, files in <testenv>/cluster):
# always a new cluster; the ledger is installed through the first node and
# replicated to the others, and Connect_Parametrs.ini gets the ninth line
# naming every node ("127.0.0.1:<port>,..."), so the programs fail over from
# one node to the next. Tests then use, besides the variables above,
#   KASSA_GALERA=<testenv>/cluster
# and control the nodes with scripts/galera-cluster (kill, start-node,
# status, node-of-port, wait) or the C++ support in tests/support/galera.h.
# galera-stop stops every node. connect-hosts writes (or replaces) the ninth
# line of a parameters file, as after each new installation of the ledger.
set -euo pipefail

SCRIPTS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

die() { echo "testenv: $*" >&2; exit 1; }

# A TCP port on the loopback interface that nothing listens on now.
free_port() {
  if command -v python3 >/dev/null 2>&1; then
    python3 -c 'import socket
s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()'
    return
  fi
  local p
  for _ in $(seq 1 200); do
    p=$((20000 + RANDOM % 30000))
    port_free "$p" && { echo "$p"; return; }
  done
  die "no free port found"
}

port_free() {
  ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

random_password() {
  local pw
  pw="$(head -c 48 /dev/urandom | base64 | tr -dc 'A-Za-z0-9' | head -c 20)"
  echo "Kt${pw}"
}

cmd_start() {
  local testenv="$1" source_deploy="$2"
  [[ -d "$source_deploy" ]] || die "no deployment folder $source_deploy"
  source_deploy="$(cd "$source_deploy" && pwd)"
  mkdir -p "$testenv"
  testenv="$(cd "$testenv" && pwd)"
  local db="$testenv/db" deploy="$testenv/deploy" saved="$testenv/root.ini"
  export KASSA_TESTENV="$testenv" KASSA_DEPLOY="$deploy" KASSA_DB_DIR="$db"
  export KASSA_COMPONENTS="$testenv/components.conf"

  # Port and root password: kept while the data folder lives.
  local port="" password="" running=0
  if KASSA_DB_DIR="$db" "$SCRIPTS/kassa-db" status >/dev/null 2>&1; then running=1; fi
  if [[ -f "$saved" && -f "$db/.initialised" ]]; then
    port="$(sed -n 1p "$saved" | tr -d '\r')"
    password="$(sed -n 2p "$saved" | tr -d '\r')"
  elif ((running)); then
    KASSA_DB_DIR="$db" "$SCRIPTS/kassa-db" stop >/dev/null
    running=0
  fi
  if [[ -z "$password" ]]; then
    rm -rf "$db"
    password="$(random_password)"
    port=""
  fi
  if ((!running)) && { [[ -z "$port" ]] || ! port_free "$port"; }; then
    port="$(free_port)"
  fi
  (umask 077; printf '%s\n%s\n' "$port" "$password" >"$saved")

  # A fresh copy of the deployment tree.
  rm -rf "$deploy"
  cp -a "$source_deploy" "$deploy"
  rm -f "$deploy/DLLs/Connect_Parametrs.ini"
  rm -f "$deploy/Pass_Parametrs.ini"
  (umask 077; printf '%s\r\n%s\r\n' "$port" "$password" >"$deploy/Pass_Parametrs.ini")

  KASSA_DB_FAST=1 "$SCRIPTS/kassa-db" start
  [[ -x "$deploy/setupdb" ]] || die "no setupdb in $source_deploy (build it first)"
  # Unattended: the installer's messages go to standard error, never to a
  # window; the test ledger is replaced whatever it holds.
  if ! KASSA_UI=console KASSA_REINSTALL=yes "$deploy/setupdb"; then
    die "setupdb failed in $deploy"
  fi
  [[ -f "$deploy/DLLs/Connect_Parametrs.ini" ]] || die "setupdb wrote no Connect_Parametrs.ini"
  bash "$SCRIPTS/register-components.sh" "$deploy"
  echo "testenv: ready in $testenv (server on 127.0.0.1:$port)"
}

cmd_stop() {
  local testenv="$1"
  [[ -d "$testenv" ]] || { echo "testenv: nothing at $testenv"; return 0; }
  KASSA_DB_DIR="$testenv/db" KASSA_DEPLOY="$testenv/deploy" "$SCRIPTS/kassa-db" stop
}

# The ninth line of Connect_Parametrs.ini: the ledger's servers (CR LF).
cmd_connect_hosts() {
  local file="$1" hosts="$2" tmp
  [[ -f "$file" ]] || die "no parameters file $file"
  tmp="$(mktemp "$file.XXXXXX")"
  { head -n 8 "$file" | tr -d '\r' | sed 's/$/\r/'; printf '%s\r\n' "$hosts"; } >"$tmp"
  chmod --reference="$file" "$tmp"
  mv "$tmp" "$file"
}

cmd_galera_start() {
  local testenv="$1" source_deploy="$2" nodes="${3:-3}"
  [[ -d "$source_deploy" ]] || die "no deployment folder $source_deploy"
  source_deploy="$(cd "$source_deploy" && pwd)"
  mkdir -p "$testenv"
  testenv="$(cd "$testenv" && pwd)"
  local cluster="$testenv/cluster" deploy="$testenv/deploy"
  export KASSA_TESTENV="$testenv" KASSA_DEPLOY="$deploy" KASSA_DB_DIR="$cluster"
  export KASSA_COMPONENTS="$testenv/components.conf" KASSA_GALERA="$cluster"
  local password
  password="$(random_password)"
  "$SCRIPTS/galera-cluster" start "$cluster" "$password" "$nodes"
  local port hosts
  port="$(awk '$1 == 1 { print $2 }' "$cluster/nodes")"
  hosts="$("$SCRIPTS/galera-cluster" hosts "$cluster")"

  rm -rf "$deploy"
  cp -a "$source_deploy" "$deploy"
  rm -f "$deploy/DLLs/Connect_Parametrs.ini" "$deploy/Pass_Parametrs.ini"
  (umask 077; printf '%s\r\n%s\r\n' "$port" "$password" >"$deploy/Pass_Parametrs.ini")
  [[ -x "$deploy/setupdb" ]] || die "no setupdb in $source_deploy (build it first)"
  # Unattended, on a new cluster: nothing to keep.
  if ! KASSA_UI=console KASSA_REINSTALL=yes "$deploy/setupdb"; then
    die "setupdb failed in $deploy"
  fi
  [[ -f "$deploy/DLLs/Connect_Parametrs.ini" ]] || die "setupdb wrote no Connect_Parametrs.ini"
  cmd_connect_hosts "$deploy/DLLs/Connect_Parametrs.ini" "$hosts"
  bash "$SCRIPTS/register-components.sh" "$deploy"
  echo "testenv: ledger on the Galera cluster $hosts, installation in $testenv"
}

cmd_galera_stop() {
  local testenv="$1"
  [[ -f "$testenv/cluster/ports" ]] || { echo "testenv: no cluster at $testenv"; return 0; }
  "$SCRIPTS/galera-cluster" stop "$testenv/cluster"
}

case "${1:-}" in
  start) [[ $# -eq 3 ]] || die "usage: testenv.sh start <testenv-dir> <deploy-dir>"; cmd_start "$2" "$3" ;;
  stop) [[ $# -eq 2 ]] || die "usage: testenv.sh stop <testenv-dir>"; cmd_stop "$2" ;;
  galera-start)
    [[ $# -ge 3 && $# -le 4 ]] || die "usage: testenv.sh galera-start <testenv-dir> <deploy-dir> [nodes]"
    cmd_galera_start "$2" "$3" "${4:-3}" ;;
  galera-stop) [[ $# -eq 2 ]] || die "usage: testenv.sh galera-stop <testenv-dir>"; cmd_galera_stop "$2" ;;
  connect-hosts)
    [[ $# -eq 3 ]] || die "usage: testenv.sh connect-hosts <connect-file> <hosts>"
    cmd_connect_hosts "$2" "$3" ;;
  *) die "usage: testenv.sh start|galera-start <testenv-dir> <deploy-dir> | stop|galera-stop <testenv-dir>" ;;
esac
