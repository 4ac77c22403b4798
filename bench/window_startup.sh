#!/usr/bin/env bash
# Start-up of the real window under Xvfb: milliseconds from the start of the process to
# its window shown, and resident memory once it is up, over several runs.
#   bench/window_startup.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build >/dev/null
runs=${1:-10}
exec xvfb-run --auto-servernum --server-args="-screen 0 800x600x24" bash -c '
    probe=build/bench/x11_probe
    title="Перевычисление координат"
    for run in $(seq '"$runs"'); do
        report=$(mktemp)
        "$probe" launch "$title" build/app/coordconv >"$report" 2>/dev/null &
        probe_pid=$!
        until [[ -s "$report" ]]; do sleep 0.01; done
        read -r pid ms <"$report"
        sleep 0.5
        kb=$("$probe" rss "$pid")
        echo "$ms $kb"
        "$probe" close "$(xdotool search --onlyvisible --name "$title" | head -n 1)"
        wait "$probe_pid"
        rm -f "$report"
    done | sort -n | awk "
        { ms[NR] = \$1; kb[NR] = \$2 }
        END {
            print sprintf(\"runs %d: window shown after %.1f ms (median; min %.1f, max %.1f), resident %.1f MB\",
                          NR, ms[int((NR + 1) / 2)], ms[1], ms[NR], kb[int((NR + 1) / 2)] / 1024)
        }"
'
