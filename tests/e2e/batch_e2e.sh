#!/usr/bin/env bash
# The batch window under Xvfb: open a file given on the command line, convert it with
# Ctrl+S into a name typed in the file dialog, and compare the file with what coordconv-cli
# writes; end the program with Ctrl+Q and expect status 0.
#   batch_e2e.sh COORDCONV_BATCH COORDCONV_CLI
set -euo pipefail
batch=$1 cli=$2
title="Пакетный пересчёт координат"
work=$(mktemp -d)
export QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME=$work/config
# The choices the window starts with: a header line, a point name in the first field.
mkdir -p "$work/config/coordconv"
printf '[General]\nsource=1\ntarget=6\nparameters=0\nangles=2\ncolumns="2,3,4"\nskip=1\n' \
    >"$work/config/coordconv/coordconv-batch.conf"
{
    echo "name B L H"
    for i in $(seq 0 2999); do echo "P$i 55:$((i % 60)):30.5N 37:37:$((i % 60))E $((i % 700))"; done
} >"$work/points.txt"

"$batch" "$work/points.txt" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
wid=$(timeout 30 xdotool search --sync --onlyvisible --name "$title" | head -n 1 || true)
[[ -n "$wid" ]] || { echo "coordconv-batch did not show its window" >&2; exit 1; }
xdotool windowfocus "$wid"
sleep 0.5
xdotool key --delay 50 ctrl+s
dialog=$(timeout 20 xdotool search --sync --onlyvisible --name "Пересчитать в файл" | head -n 1 || true)
[[ -n "$dialog" ]] || { echo "no file dialog" >&2; exit 1; }
xdotool windowfocus "$dialog"
sleep 0.5
xdotool key --delay 30 ctrl+a
xdotool type --delay 10 "$work/result.txt"
xdotool key --delay 30 Return
for _ in $(seq 100); do [[ -s "$work/result.txt" ]] && break; sleep 0.1; done
sleep 0.3
"$cli" --angles dms --columns 2,3,4 --skip 1 wgs84-blh sk42-xyh <"$work/points.txt" >"$work/expected.txt"
xdotool windowfocus "$wid"
sleep 0.2
xdotool key --delay 50 ctrl+q
status=0
timeout 10 tail --pid="$pid" -f /dev/null || true
wait "$pid" || status=$?
echo "exit status: $status"
cmp "$work/result.txt" "$work/expected.txt" || { echo "the file differs from coordconv-cli's" >&2; exit 1; }
[[ $status -eq 0 ]] || { echo "expected exit status 0" >&2; exit 1; }
echo "ok: $(wc -l <"$work/result.txt") lines as coordconv-cli writes them"
