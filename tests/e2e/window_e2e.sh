#!/usr/bin/env bash
# The real window under Xvfb: start coordconv, type a point, click "Перевод --->", read
# the result through the clipboard, close it as the title-bar close button does, and
# expect exit status 0. Leaves a screenshot in the artifacts folder.
#   window_e2e.sh COORDCONV X11_PROBE ARTIFACTS
set -euo pipefail
coordconv=$1 probe=$2 artifacts=$3
mkdir -p "$artifacts"
title="Перевычисление координат"

# The probe starts the program (arguments are ignored by it: pass some to show it),
# reports when its window is shown, and ends with the program's exit status.
report=$(mktemp)
trap 'rm -f "$report"' EXIT
"$probe" launch "$title" "$coordconv" --any-argument 42 >"$report" &
probe_pid=$!
for _ in $(seq 300); do
    [[ -s "$report" ]] && break
    kill -0 "$probe_pid" 2>/dev/null || { echo "coordconv did not show its window" >&2; exit 1; }
    sleep 0.1
done
read -r pid startup_ms <"$report"
echo "window shown ${startup_ms} ms after the start of process $pid"
wid=$(xdotool search --onlyvisible --name "$title" | head -n 1)
xdotool windowfocus "$wid"
sleep 0.3

# Dialog units to window pixels: the window is the dialog's 203 × 119 units.
eval "$(xdotool getwindowgeometry --shell "$wid")"
click_units() {  # x y in dialog units
    xdotool mousemove --window "$wid" $(($1 * WIDTH / 203)) $(($2 * HEIGHT / 119)) click 1
    sleep 0.2
}
keys() {
    xdotool key --delay 30 "$@"
    sleep 0.1
}
type_text() {
    xdotool type --delay 30 "$1"
    sleep 0.1
}

# The focus starts on "Справка"; Tab reaches the source list, Down picks WGS-84 (BLH).
keys Tab Down
keys Tab Tab ctrl+a
type_text 554500
keys Tab ctrl+a
type_text 373700
keys Tab ctrl+a
type_text 100
click_units 48 94   # "Перевод --->"
click_units 160 30  # the first result field
keys ctrl+a ctrl+c
# The program may take a moment to own the clipboard on a loaded machine.
for _ in $(seq 30); do
    result=$("$probe" clipboard)
    [[ -n "$result" ]] && break
    sleep 0.1
done
echo "first result: $result"
"$probe" screenshot "$artifacts/coordconv-window.png"

"$probe" close "$wid"
status=0
wait "$probe_pid" || status=$?
echo "exit status: $status"

[[ "$result" == "2849972.61724" ]] || { echo "expected 2849972.61724, read '$result'" >&2; exit 1; }
[[ $status -eq 0 ]] || { echo "expected exit status 0" >&2; exit 1; }
echo "ok"
