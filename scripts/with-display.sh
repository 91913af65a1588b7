#!/usr/bin/env bash
# Runs a command on a virtual X display with a window manager, so windows get the activation,
# focus and close events a desktop delivers (the offscreen platform delivers none of them).
#   scripts/with-display.sh COMMAND [ARGS...]
# DISPLAY is set for the command; the server and the window manager end with it.
set -euo pipefail

for tool in Xvfb openbox wmctrl xdotool; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$0: $tool is missing (the packages xvfb, openbox, wmctrl and xdotool provide them)" >&2
        exit 1
    fi
done

runtime=$(mktemp -d)
cleanup() {
    [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null || true
    [ -n "${x_pid:-}" ] && kill "$x_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$runtime"
}
trap cleanup EXIT

# The server picks a free display number and writes it to the pipe; no fixed :99 to collide on.
mkfifo "$runtime/displayfd"
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp -noreset 3>"$runtime/displayfd" 2>"$runtime/xvfb.log" &
x_pid=$!
read -r -t 30 number <"$runtime/displayfd" || { echo "$0: Xvfb did not start:" >&2; cat "$runtime/xvfb.log" >&2; exit 1; }
export DISPLAY=":$number"

mkdir -p "$runtime/config"
XDG_CONFIG_HOME="$runtime/config" openbox --sm-disable >"$runtime/openbox.log" 2>&1 &
wm_pid=$!
# The window manager is ready once it answers for itself.
for _ in $(seq 1 100); do
    if wmctrl -m >/dev/null 2>&1; then
        break
    fi
    sleep 0.1
done
if ! wmctrl -m >/dev/null 2>&1; then
    echo "$0: openbox did not start:" >&2
    cat "$runtime/openbox.log" >&2
    exit 1
fi

export XDG_RUNTIME_DIR="$runtime"
"$@"
