#!/usr/bin/env bash
# coordconv-cli against PROJ's cct on the same 1 000 000 points, in the same run: WGS-84
# geodetic (decimal degrees) → a user's local system (МСК) from a catalogue file, given as a
# PROJ string with +towgs84, so that cct runs the very pipeline PROJ builds for that string:
# geocentric on WGS-84, the inverse position-vector Helmert of +towgs84, geodetic on
# Krasovsky's ellipsoid, transverse Mercator. Prints both times (best of RUNS), the points
# per second and the ratio, after checking that the two outputs agree within 1 mm on a sample.
#   bench/msk_vs_cct.sh [POINTS] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build >/dev/null
points=${1:-1000000}
runs=${2:-3}
cli=build/cli/coordconv-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# An МСК-like zone about 38°29′ E (illustrative numbers, as in data/systems.example.toml).
tmerc="+proj=tmerc +lat_0=0 +lon_0=38.48333333333333 +k=1 +x_0=1250000 +y_0=-5412900.566 +ellps=krass"
# +towgs84's seven numbers (position vector: m, ″, ppm), and the same as the Helmert step.
towgs84=23.57,-140.95,-79.8,0,0.35,0.79,-0.22
helmert="+x=23.57 +y=-140.95 +z=-79.8 +rx=0 +ry=0.35 +rz=0.79 +s=-0.22"
cat >"$work/systems.toml" <<EOF
[system.msk-bench]
name = "МСК для измерения"
proj = "$tmerc +towgs84=$towgs84 +units=m +no_defs"
EOF
pipeline="+proj=pipeline +step +proj=cart +ellps=WGS84"
pipeline+=" +step +inv +proj=helmert +convention=position_vector $helmert"
pipeline+=" +step +inv +proj=cart +ellps=krass +step $tmerc"

# Points within 3° of the central meridian, latitudes 50°–60° N, heights 0–500 m, decimal
# degrees with 9 decimals (0.1 mm) and millimetres; cct reads longitude first.
awk -v n="$points" -v seed=42 'BEGIN {
    srand(seed)
    for (i = 0; i < n; ++i) {
        B = 50 + 10 * rand(); L = 35.5 + 6 * rand(); H = 500 * rand()
        printf "%.9f %.9f %.3f\n", B, L, H > "'"$work"'/blh.txt"
        printf "%.9f %.9f %.3f\n", L, B, H > "'"$work"'/lbh.txt"
    }
}'

# Both write metres with 4 decimals (cct's default for projected coordinates); coordconv-cli's
# own default, 12 significant digits, is timed beside.
ours="$cli --jobs 1 --angles degrees --decimals 4 --systems $work/systems.toml wgs84-blh msk-bench"
general="$cli --jobs 1 --angles degrees --systems $work/systems.toml wgs84-blh msk-bench"
theirs="cct -d 4 $pipeline"

# The same points from both (cct writes easting, northing, height, time): within 1 mm.
head -n 10000 "$work/blh.txt" | $ours >"$work/ours.txt"
head -n 10000 "$work/lbh.txt" | $theirs >"$work/theirs.txt"
paste "$work/ours.txt" "$work/theirs.txt" | awk '
    function abs(v) { return v < 0 ? -v : v }
    {
        d = abs($1 - $5); if (abs($2 - $4) > d) d = abs($2 - $4); if (abs($3 - $6) > d) d = abs($3 - $6)
        if (d > worst) worst = d
        ++n
    }
    END {
        printf "agreement on %d points: largest difference %.2f mm\n", n, worst * 1000
        if (n != 10000 || worst > 0.001) { print "coordconv-cli and cct disagree" > "/dev/stderr"; exit 1 }
    }'

source bench/best_time.sh
one=$(best_time bash -c "$ours <$work/blh.txt")
twelve=$(best_time bash -c "$general <$work/blh.txt")
proj=$(best_time bash -c "$theirs <$work/lbh.txt")
echo "| $points points, WGS-84 → МСК (+towgs84) | seconds | M points/s |"
echo "|---|---:|---:|"
awk -v n="$points" -v a="$one" -v b="$twelve" -v c="$proj" 'BEGIN {
    printf "| coordconv-cli --jobs 1 --decimals 4 | %.3f | %.2f |\n", a, n / a / 1e6
    printf "| coordconv-cli --jobs 1 (12 significant digits) | %.3f | %.2f |\n", b, n / b / 1e6
    printf "| cct -d 4 | %.3f | %.2f |\n", c, n / c / 1e6
    printf "coordconv-cli --jobs 1 --decimals 4 is %.1f times as fast as cct (%.1f with 12 digits)\n",
        c / a, c / b
}'
