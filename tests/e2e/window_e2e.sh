#!/usr/bin/env bash
# The real window under Xvfb: start coordconv, type a point, click "Перевод --->", read
# the result through the clipboard, end the program with "Закрыть" and expect status 0.
#   window_e2e.sh COORDCONV
set -euo pipefail
coordconv=$1
title="Перевычисление координат"

# The X server, whatever platform the caller's environment asks Qt for.
export QT_QPA_PLATFORM=xcb
"$coordconv" --any-argument 42 &  # arguments are ignored by the program
pid=$!
# On every way out, the program this test started ends with it.
trap 'kill "$pid" 2>/dev/null || true' EXIT
wid=$(timeout 30 xdotool search --sync --onlyvisible --name "$title" | head -n 1 || true)
[[ -n "$wid" ]] || { echo "coordconv did not show its window" >&2; exit 1; }
xdotool windowfocus "$wid"
sleep 0.3

# Dialog units to window pixels: the window is the dialog's 203 × 119 units.
eval "$(xdotool getwindowgeometry --shell "$wid")"
click_units() {  # x y in dialog units
    xdotool mousemove --window "$wid" $(($1 * WIDTH / 203)) $(($2 * HEIGHT / 119)) click 1
    sleep 0.2
}
keys() { xdotool key --delay 30 "$@"; sleep 0.1; }

# The focus starts on "Справка"; Tab reaches the source list, Down picks WGS-84 (BLH).
keys Tab Down Tab Tab ctrl+a
for value in 554500 373700 100; do
    xdotool type --delay 30 "$value"
    keys Tab ctrl+a
done
click_units 48 94   # "Перевод --->"
click_units 160 30  # the first result field
keys ctrl+a ctrl+c
result=
for _ in $(seq 30); do  # the program may take a moment to own the clipboard
    result=$(xclip -o -selection clipboard 2>/dev/null || true)
    [[ -n "$result" ]] && break
    sleep 0.1
done
echo "first result: $result"
click_units 32 110  # "Закрыть"
status=0
timeout 10 tail --pid="$pid" -f /dev/null || true
wait "$pid" || status=$?
echo "exit status: $status"
[[ "$result" == "2849972.61724" ]] || { echo "expected 2849972.61724, read '$result'" >&2; exit 1; }
[[ $status -eq 0 ]] || { echo "expected exit status 0" >&2; exit 1; }
echo "ok"
