#!/usr/bin/env bash
# Runs the engine benchmark and prints points per second of every operation beside PROJ's
# equivalent, measured in the same run:  bench/engine_table.sh [benchmark options]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build >/dev/null
build/bench/engine_bench --benchmark_format=csv "$@" 2>/dev/null | awk -F, '
    /^"(Ours|Proj)_/ {
        name = $1; gsub(/"/, "", name)
        side = substr(name, 1, 4); operation = substr(name, 6)
        rate[side, operation] = $7 / 1e6
        if (!(operation in seen)) { seen[operation] = 1; order[++count] = operation }
    }
    END {
        printf "| operation | coordconv (M points/s) | PROJ (M points/s) | ratio |\n"
        printf "|---|---:|---:|---:|\n"
        for (i = 1; i <= count; ++i) {
            o = order[i]
            if ((("Proj", o) in rate))
                printf "| %s | %.1f | %.1f | %.2f |\n", o, rate["Ours", o], rate["Proj", o],
                       rate["Ours", o] / rate["Proj", o]
            else
                printf "| %s | %.1f | – | – |\n", o, rate["Ours", o]
        }
    }'
