#!/usr/bin/env bash
# How far coordconv-cli's EGM96 normal heights are from PROJ's: WGS-84 ellipsoidal heights to
# EGM96 heights, coordconv-cli wgs84-blh → wgs84-blh+egm96 against cs2cs EPSG:4979 →
# EPSG:4326+5773 (the same egm96_15.gtx of Debian's proj-data, offline), on POINTS random
# points over Russia (41°–82° N, 19°–190° E, h 0–3000 m) and every node of the grid from
# 42° to 82° N, 170° to 190° E (across 180°). Prints the largest difference.
#   bench/geoid_agreement.sh [POINTS]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build >/dev/null
points=${1:-5000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk -v n="$points" 'BEGIN {
    srand(7)
    for (i = 0; i < n; ++i) printf "%.9f %.9f %.3f\n", 41 + 41 * rand(), 19 + 171 * rand(), 3000 * rand()
    for (b = 42; b <= 82; b += 0.25) for (l = 170; l <= 190; l += 0.25) printf "%.2f %.2f 100\n", b, l
}' >"$work/ours.in"
# cs2cs takes longitudes within ±180°.
awk '{ l = $2; if (l > 180) l -= 360; printf "%s %.9f %s\n", $1, l, $3 }' "$work/ours.in" >"$work/theirs.in"
build/cli/coordconv-cli --angles degrees --precision 17 wgs84-blh wgs84-blh+egm96 "$work/ours.in" |
    awk '{ print $3 }' >"$work/ours.txt"
cs2cs -f %.9f EPSG:4979 EPSG:4326+5773 "$work/theirs.in" | awk '{ print $3 }' >"$work/theirs.txt"
paste "$work/ours.txt" "$work/theirs.txt" | awk '
    function abs(v) { return v < 0 ? -v : v }
    { d = abs($1 - $2); if (d > worst) worst = d }
    END { printf "%d points: largest difference from cs2cs %.6f mm\n", NR, worst * 1000 }'
