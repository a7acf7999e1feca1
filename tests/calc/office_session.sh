#!/usr/bin/env bash
# office_session.sh <deploy-of-the-build> <screenshots>: Kassa.xls used in
# LibreOffice Calc as a person uses it, with only the Kassa extension
# installed (no test hooks in the office): the office is started on the
# display ($DISPLAY, see with-xvfb.sh) with the workbook, and driven with
# real keystrokes (xdotool) from outside.
#   1. The workbook opens synchronised: a value typed into the cash sheet is
#      written to the ledger at once.
#   2. Saving (Ctrl+S) a sheet that differs from the ledger (changed behind
#      it, as by another workstation) asks before overwriting that change;
#      Нет overwrites: the sheet is stored and the file written, keeping the
#      host's data (the buttons' captions).
#   3. Closing a sheet that differs from the ledger asks, in the office's
#      own message box, whether to store it; Escape cancels: the workbook
#      stays open.
#   4. Closing again and answering with Enter (Да), then Нет to the other
#      workstation's change, stores the sheet and closes the window; the file written keeps the value and the host's
#      data.
# Needs the test environment (KASSA_DEPLOY, KASSA_DB_DIR, KASSA_COMPONENTS).
set -uo pipefail
build_deploy="$1" shots="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
fail() {
  echo "office_session: $*" >&2
  [[ -f "${work:-}/office.log" ]] && grep -a "kassa" "$work/office.log" >&2
  [[ -n "${shots:-}" ]] && import -window root "$shots/office-session-failed.png"
  if [[ -n "${KASSA_SESSION_DEBUG:-}" && -n "$office_pid" ]]; then
    gdb -p "$office_pid" -batch -ex "thread apply all bt 40" >"$KASSA_SESSION_DEBUG" 2>&1
  fi
  exit 1
}
[[ -n "${DISPLAY:-}" ]] || fail "no display"

work="$(mktemp -d "${TMPDIR:-/tmp}/kassa-session.XXXXXX")"
office_pid=""
cleanup() {
  [[ -n "$office_pid" ]] && kill -9 "$office_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The office with the Kassa extension alone, in a private profile.
bash "$here/../../scripts/calc-profile.sh" "$KASSA_TESTENV/calc-profile-product" \
  "$build_deploy/kassa-calc.oxt" || fail "no office profile"
cp -a "$KASSA_TESTENV/calc-profile-product" "$work/profile"

# A fresh ledger and the sample workbook.
KASSA_UI=console KASSA_REINSTALL=yes "$KASSA_DEPLOY/setupdb" >/dev/null 2>&1 || fail "setupdb failed"
password="$(sed -n 2p "$KASSA_DEPLOY/Pass_Parametrs.ini" | tr -d '\r')"
sql() {
  mariadb --no-defaults --socket="$KASSA_DB_DIR/mysqld.sock" -uroot -p"$password" db_pnr_l -N -e "$1"
}
cp "$KASSA_DEPLOY/Kassa.xls" "$work/Kassa.xls"

start_office() {
  (cd "$work" && exec env SAL_USE_VCLPLUGIN=gen KASSA_UI=console \
    /usr/lib/libreoffice/program/soffice.bin --norestore --nologo --nolockcheck \
    "-env:UserInstallation=file://$work/profile" "$work/Kassa.xls" >"$work/office.log" 2>&1) &
  office_pid=$!
}
# The office restarts itself once after setting up a new profile.
start_office
for _ in $(seq 1 40); do kill -0 "$office_pid" 2>/dev/null || break; sleep 0.25; done
kill -0 "$office_pid" 2>/dev/null || start_office

window=""
for _ in $(seq 1 120); do
  window="$(xdotool search --name "Kassa.xls" 2>/dev/null | head -1)"
  [[ -n "$window" ]] && break
  sleep 0.25
done
[[ -n "$window" ]] || fail "the workbook's window did not appear"
# The extension takes the workbook on and refreshes the active sheet.
for _ in $(seq 1 60); do
  [[ "$(sql "SELECT count(*) FROM information_schema.PROCESSLIST WHERE USER = 'pnrowner'")" -gt 0 ]] && break
  sleep 0.25
done
sleep 4

keys() { xdotool windowfocus --sync "$window"; xdotool key --delay 60 --clearmodifiers "$@"; }
# The id of the window named $1, waited for up to 30 s ("" when none came).
window_named() {
  local id=""
  for _ in $(seq 1 120); do
    id="$(xdotool search --name "$1" 2>/dev/null | head -1)"
    [[ -n "$id" ]] && break
    sleep 0.25
  done
  echo "$id"
}
# The ledger was changed behind the sheet, as by another workstation: the
# store asks first; Нет (the second button) overwrites the other change.
answer_overwrite() {
  local changed
  changed="$(window_named "Изменения с другого рабочего места")"
  [[ -n "$changed" ]] || fail "the store did not ask about the other workstation's change"
  sleep 0.5
  xdotool windowfocus --sync "$changed"; xdotool key Tab Return
  for _ in $(seq 1 40); do
    [[ -z "$(xdotool search --name "Изменения с другого рабочего места" 2>/dev/null | head -1)" ]] && break
    sleep 0.25
  done
}
# Cell C2 of the cash sheet (its purpose column), typed on the Russian layout.
keys ctrl+Home Down Right Right
setxkbmap -layout ru && sleep 0.3
xdotool type --delay 60 "Проба"
setxkbmap -layout us && sleep 0.3
keys Return
for _ in $(seq 1 80); do
  [[ "$(sql "SELECT ESTABLISH_PAYMENT FROM NAL WHERE ID_EXL = 2")" == "Проба" ]] && break
  sleep 0.25
done
[[ "$(sql "SELECT ESTABLISH_PAYMENT FROM NAL WHERE ID_EXL = 2")" == "Проба" ]] ||
  fail "the typed value did not reach the ledger"
import -window root "$shots/office-session-1-typed.png"

# The ledger changes behind the sheet: saving (Ctrl+S) compares the sheet
# with the ledger and stores it, and the office writes the file.
sql "UPDATE NAL SET ESTABLISH_PAYMENT = 'чужое' WHERE ID_EXL = 2"
before="$(stat -c %Y.%s "$work/Kassa.xls")"
sleep 1
keys ctrl+s
answer_overwrite
for _ in $(seq 1 80); do
  [[ "$(sql "SELECT ESTABLISH_PAYMENT FROM NAL WHERE ID_EXL = 2")" == "Проба" &&
     "$(stat -c %Y.%s "$work/Kassa.xls")" != "$before" ]] && break
  sleep 0.25
done
[[ "$(sql "SELECT ESTABLISH_PAYMENT FROM NAL WHERE ID_EXL = 2")" == "Проба" ]] ||
  fail "saving did not store the sheet"
[[ "$(stat -c %Y.%s "$work/Kassa.xls")" != "$before" ]] || fail "saving wrote no file"
sleep 1
unzip -p "$work/Kassa.xls" xl/sharedStrings.xml | grep -q "Проба" || fail "the saved file lacks the typed value"
unzip -p "$work/Kassa.xls" docProps/custom.xml | grep -q "Меню" ||
  fail "the saved file lost the buttons' captions"

# The ledger changes behind the sheet again: closing asks to store the sheet.
sql "UPDATE NAL SET ESTABLISH_PAYMENT = 'чужое' WHERE ID_EXL = 2"
keys ctrl+w
box="$(window_named "Запрос на внесение в базу")"
[[ -n "$box" ]] || fail "closing asked no question"
sleep 0.5
import -window root "$shots/office-session-2-store-question.png"
xdotool windowfocus --sync "$box"; xdotool key Escape
for _ in $(seq 1 40); do
  [[ -z "$(xdotool search --name "Запрос на внесение в базу" 2>/dev/null | head -1)" ]] && break
  sleep 0.25
done
sleep 1
[[ -n "$(xdotool search --name "Kassa.xls" 2>/dev/null | head -1)" ]] || fail "Cancel closed the workbook"
[[ "$(sql "SELECT ESTABLISH_PAYMENT FROM NAL WHERE ID_EXL = 2")" == "чужое" ]] ||
  fail "Cancel stored the sheet"

keys ctrl+w
box="$(window_named "Запрос на внесение в базу")"
[[ -n "$box" ]] || fail "the second close asked no question"
sleep 0.5
xdotool windowfocus --sync "$box"; xdotool key Return
answer_overwrite
sleep 1
import -window root "$shots/office-session-3-stored.png"
for _ in $(seq 1 80); do
  [[ -z "$(xdotool search --name "Kassa.xls" 2>/dev/null | head -1)" ]] && break
  sleep 0.25
done
[[ -z "$(xdotool search --name "Kassa.xls" 2>/dev/null | head -1)" ]] || fail "the workbook did not close"
[[ "$(sql "SELECT ESTABLISH_PAYMENT FROM NAL WHERE ID_EXL = 2")" == "Проба" ]] ||
  fail "Да did not store the sheet"
unzip -p "$work/Kassa.xls" xl/sharedStrings.xml | grep -q "Проба" || fail "the file lacks the typed value"
unzip -p "$work/Kassa.xls" docProps/custom.xml | grep -q "KassaHost.000" || fail "the file lost the host's data"
echo "office_session: passed"
