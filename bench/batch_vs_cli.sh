#!/usr/bin/env bash
# coordconv-batch's background conversion (without a display: the job the window runs) against
# coordconv-cli on the same 1 000 000 lines with the same options, in the same run, with one
# and with two blocks converted at once. Prints lines per second of both and the ratio.
#   bench/batch_vs_cli.sh [LINES] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build >/dev/null
lines=${1:-1000000}
runs=${2:-3}
cli=build/cli/coordconv-cli
job=build/bench/batch_job
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Named points in decimal degrees, a header: WGS-84 geodetic to SK-42 plane coordinates.
awk -v n="$lines" 'BEGIN {
    srand(7); print "name B L H"
    for (i = 0; i < n; ++i)
        printf "P%d %.9f %.9f %.3f\n", i, 40 + 35 * rand(), 36 + 6 * rand(), 3000 * rand()
}' >"$work/points.txt"
options="--angles degrees --columns 2,3,4 --skip 1 wgs84-blh sk42-xyh"

source bench/best_time.sh

echo "| --jobs | coordconv-cli (M lines/s) | coordconv-batch's job (M lines/s) | batch / cli |"
echo "|---:|---:|---:|---:|"
for jobs in 1 2; do
    ours=$(best_time bash -c "$job --jobs $jobs $options $work/points.txt $work/batch.txt")
    theirs=$(best_time bash -c "$cli --jobs $jobs $options <$work/points.txt >$work/cli.txt")
    cmp -s "$work/batch.txt" "$work/cli.txt" || { echo "the outputs differ" >&2; exit 1; }
    awk -v jobs="$jobs" -v n="$lines" -v a="$ours" -v b="$theirs" 'BEGIN {
        printf "| %d | %.2f | %.2f | %.2f |\n", jobs, n / b / 1e6, n / a / 1e6, b / a
    }'
done
