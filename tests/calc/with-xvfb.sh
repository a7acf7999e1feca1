#!/usr/bin/env bash
# with-xvfb.sh <command> [args...]: runs the command with $DISPLAY set to a
# private virtual X server (Xvfb, 1280x1024) on a display number nobody else
# uses, and stops that server afterwards (by its process id). The exit
# status is the command's.
set -uo pipefail
command -v Xvfb >/dev/null || { echo "with-xvfb: Xvfb is not installed" >&2; exit 2; }
display=""
for n in $(seq 91 160); do
  if [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]]; then display=$n; break; fi
done
[[ -n "$display" ]] || { echo "with-xvfb: no free display" >&2; exit 2; }
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null' EXIT
for _ in $(seq 1 100); do
  [[ -e /tmp/.X11-unix/X$display ]] && break
  sleep 0.05
done
DISPLAY=":$display" "$@"
