#!/usr/bin/env bash
# with-xvfb.sh <command> [args...]: runs the command with $DISPLAY set to a
# private virtual X server (Xvfb, 1280x1024) on a display number the server
# itself found free (-displayfd, so two runs at once never share one), and
# stops that server afterwards (by its process id). The exit status is the
# command's.
set -uo pipefail
command -v Xvfb >/dev/null || { echo "with-xvfb: Xvfb is not installed" >&2; exit 2; }
fifo_dir="$(mktemp -d "${TMPDIR:-/tmp}/kassa-xvfb.XXXXXX")"
mkfifo "$fifo_dir/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo_dir/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$fifo_dir"' EXIT
display=""
# The server writes its display number once it accepts connections.
read -r -t 30 display <"$fifo_dir/display"
[[ -n "$display" ]] || { echo "with-xvfb: the virtual display did not start" >&2; exit 2; }
DISPLAY=":$display" "$@"
