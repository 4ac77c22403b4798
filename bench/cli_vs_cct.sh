#!/usr/bin/env bash
# coordconv-cli against PROJ's cct on the same 1 000 000 points, in the same run:
# geodetic → geocentric on the Krasovsky ellipsoid, the PZ-90 → SK-42 Helmert shift, and
# SK-42 geodetic → Gauss–Krüger zone 7 with the window's parameters; and WGS-84 geodetic →
# SK-42 plane coordinates of zone 7 under GOST 32453-2017 (through PZ-90.11, the exact
# projection). Prints points per second of coordconv-cli with one and with two blocks
# converted at once (--jobs) and of cct, and the ratios.
#   bench/cli_vs_cct.sh [POINTS] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build >/dev/null
points=${1:-1000000}
runs=${2:-3}
cli=build/cli/coordconv-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Realistic SK-42 points: latitudes 40°–75° N, longitudes 20°–180° E (36°–42° for the
# zone-7 file), heights 0–3000 m, in decimal degrees with 9 decimals and millimetres.
awk -v n="$points" -v seed=42 'BEGIN {
    srand(seed)
    for (i = 0; i < n; ++i) {
        B = 40 + 35 * rand(); L = 20 + 160 * rand(); L7 = 36 + 6 * rand(); H = 3000 * rand()
        printf "%.9f %.9f %.3f\n", B, L, H > "'"$work"'/blh.txt"
        printf "%.9f %.9f %.3f\n", L, B, H > "'"$work"'/lbh.txt"
        printf "%.9f %.9f %.3f\n", B, L7, H > "'"$work"'/blh7.txt"
        printf "%.9f %.9f %.3f\n", L7, B, H > "'"$work"'/lbh7.txt"
    }
}'
"$cli" --parameters window --angles degrees sk42-blh pz90-xyz <"$work/blh.txt" >"$work/xyz.txt"

source bench/best_time.sh

compare() {  # name, coordconv command, cct command (each reading its own file)
    local name=$1 one two theirs
    one=$(best_time bash -c "${2/$cli/$cli --jobs 1}")
    two=$(best_time bash -c "${2/$cli/$cli --jobs 2}")
    theirs=$(best_time bash -c "$3")
    awk -v name="$name" -v n="$points" -v a="$one" -v b="$two" -v c="$theirs" 'BEGIN {
        printf "| %s | %.2f | %.2f | %.2f | %.1f | %.2f |\n", name, n / a / 1e6, n / b / 1e6,
            n / c / 1e6, c / a, a / b
    }'
}

echo "| pipeline | --jobs 1 (M points/s) | --jobs 2 | cct | --jobs 1 / cct | --jobs 2 / --jobs 1 |"
echo "|---|---:|---:|---:|---:|---:|"
compare "geodetic → geocentric (Krasovsky)" \
    "$cli --parameters window --angles degrees sk42-blh sk42-xyz <$work/blh.txt" \
    "cct +proj=cart +ellps=krass <$work/lbh.txt"
compare "PZ-90 → SK-42 Helmert" \
    "$cli --parameters window pz90-xyz sk42-xyz <$work/xyz.txt" \
    "cct +proj=helmert +convention=coordinate_frame +x=-25 +y=141 +z=80 +rx=0 +ry=0.35 +rz=0.66 +s=0 <$work/xyz.txt"
compare "SK-42 geodetic → Gauss–Krüger zone 7" \
    "$cli --parameters window --angles degrees --zone 7 sk42-blh sk42-xyh <$work/blh7.txt" \
    "cct +proj=tmerc +ellps=krass +k=1 +lon_0=39 +x_0=7500000 +y_0=0 <$work/lbh7.txt"
compare "GOST 32453-2017: WGS-84 geodetic → SK-42 plane, zone 7" \
    "$cli --angles degrees --zone 7 wgs84-blh sk42-xyh <$work/blh7.txt" \
    "cct +proj=pipeline +step +proj=cart +ellps=WGS84 \
        +step +proj=helmert +convention=coordinate_frame +x=-0.013 +y=0.106 +z=0.022 \
              +rx=-0.0023 +ry=0.00354 +rz=-0.00421 +s=-0.008 \
        +step +inv +proj=helmert +convention=coordinate_frame +x=23.557 +y=-140.844 \
              +z=-79.778 +rx=-0.0023 +ry=-0.34646 +rz=-0.79421 +s=-0.228 \
        +step +inv +proj=cart +ellps=krass \
        +step +proj=tmerc +ellps=krass +k=1 +lon_0=39 +x_0=7500000 +y_0=0 <$work/lbh7.txt"
