#!/usr/bin/env bash
# Measures the accuracy figures that the README, --help, --describe and the manual pages state,
# each over a grid of points, against PROJ's cct with the sets of engine/datums.h written out as
# explicit pipelines (coordinate-frame Helmert steps, +proj=cart for the exact geodetic <->
# geocentric conversion, +proj=tmerc for plane coordinates):
#   - the window's WGS-84 -> SK-42 against GOST 32453-2017 over a 1-degree grid of Russia;
#   - the window's XYZ -> BLH (its iteration one pass behind) at ordinary heights, satellite
#     heights and near the poles;
#   - negating GOST 32453-2017's SK-42 parameters against their exact inverse;
#   - the arithmetic of coordconv-cli's gost2017 routes against the same routes in PROJ;
#   - the README's example, run as written, against PROJ.
# Prints each figure with its minimum, maximum, RMS and where the maximum is.
#   bench/accuracy.sh [BUILD_DIR]      (default build/)
# PROJ options travel in unquoted variables, split into words on purpose.
# shellcheck disable=SC2046,SC2086
set -euo pipefail
build=${1:-$(dirname "$0")/../build}
cli=$build/cli/coordconv-cli
[[ -x $cli ]] || { echo "accuracy.sh: no coordconv-cli in $build (build first)" >&2; exit 1; }
cli=$(realpath "$cli")
cd "$(dirname "$0")/.."
command -v cct >/dev/null || { echo "accuracy.sh: PROJ's cct is missing (proj-bin)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The sets to PZ-90.11 (engine/datums.h): dX dY dZ (m), wX wY wZ (arc-seconds), m (ppm).
set_wgs84="-0.013 0.106 0.022 -0.0023 0.00354 -0.00421 -0.008"
set_sk42="23.557 -140.844 -79.778 -0.0023 -0.34646 -0.79421 -0.228"
set_sk95="24.457 -130.784 -81.538 -0.0023 0.00354 -0.13421 -0.228"
set_gsk="0 0.014 -0.008 -0.000562 -0.000019 0.000053 -0.0006"
# A set as cct's coordinate-frame Helmert step, X' = T + (1 + m) R X with the rotations to
# first order, as GOST 32453-2017 writes it.
helmert() {  # dX dY dZ wX wY wZ m
    echo "+proj=helmert +convention=coordinate_frame +x=$1 +y=$2 +z=$3 +rx=$4 +ry=$5 +rz=$6 +s=$7"
}
# The same set with every parameter negated, the usual shortcut for the way back.
negated() { helmert $(awk '{ for (i = 1; i <= 7; ++i) printf "%.12g ", -$i }' <<<"$*"); }
# The exact way back, X = A^-1 (X' - T) with A = (1 + m) R, as an affine step. PROJ's own
# "+inv +proj=helmert" applies the transpose of R, which is not its inverse to second order
# (0.1 mm for SK-42), so the inverse matrix is worked out here from its cofactors.
exact_inverse() {  # dX dY dZ wX wY wZ m
    awk '{
        r = atan2(0, -1) / 648000; x = $4 * r; y = $5 * r; z = $6 * r; k = 1 + $7 * 1e-6
        a[1,1] = k; a[1,2] = k * z; a[1,3] = -k * y
        a[2,1] = -k * z; a[2,2] = k; a[2,3] = k * x
        a[3,1] = k * y; a[3,2] = -k * x; a[3,3] = k
        for (i = 1; i <= 3; ++i) for (j = 1; j <= 3; ++j) {  # cofactor of a[j,i] / det
            i1 = j % 3 + 1; i2 = (j + 1) % 3 + 1; j1 = i % 3 + 1; j2 = (i + 1) % 3 + 1
            b[i,j] = a[i1,j1] * a[i2,j2] - a[i1,j2] * a[i2,j1]
        }
        det = a[1,1] * b[1,1] + a[1,2] * b[2,1] + a[1,3] * b[3,1]
        t[1] = $1; t[2] = $2; t[3] = $3
        printf "+proj=affine"
        for (i = 1; i <= 3; ++i) {
            off = 0
            for (j = 1; j <= 3; ++j) { b[i,j] /= det; off -= b[i,j] * t[j]; printf " +s%d%d=%.17g", i, j, b[i,j] }
            printf " +%soff=%.17g", substr("xyz", i, 1), off
        }
        printf "\n"
    }' <<<"$*"
}
e_wgs84="+a=6378137 +rf=298.257223563"
e_window="+a=6378137 +rf=298.257"  # the window's WGS-84
e_krass="+a=6378245 +rf=298.3"
e_pz9011="+a=6378136 +rf=298.25784"
e_gsk="+a=6378136.5 +rf=298.2564151"
# WGS-84 geodetic -> SK-42 geocentric under GOST 32453-2017, lon lat h in.
wgs84_to_sk42="+step +proj=cart $e_wgs84 +step $(helmert $set_wgs84) +step $(exact_inverse $set_sk42)"

# Grids, each line B L H in degrees and metres (latitude first, as coordconv-cli reads them).
# Russia: every whole degree of 40-82 N, 19-190 E, heights 0-2900 m.
awk 'BEGIN { for (B = 40; B <= 82; ++B) for (L = 19; L <= 190; ++L)
    printf "%d %d %d\n", B, L, ((B * 7 + L * 13) % 30) * 100 }' >"$work/russia"
# Ordinary heights over the globe: every half degree of latitude, every 1.1 degrees of
# longitude, heights 0-9000 m.
awk 'BEGIN { for (B = -89.75; B < 90; B += 0.5) for (L = 0.3; L < 360; L += 1.1)
    printf "%.2f %.1f %d\n", B, L, (int(B * 7 + L * 130 + 1000) % 31) * 300 }' >"$work/globe"
# Satellite heights: every degree of latitude, every 2.5 degrees of longitude, at 19 100 and
# 20 200 km (GLONASS, GPS), off
# the equator: a latitude within 0.0001" of it is written as 0 (the output's rule for small
# values, as the window writes them: up to 3 mm on the ground, 13 mm at 20 000 km).
awk 'BEGIN { for (B = -89.5; B < 90; ++B) for (L = 1.25; L < 360; L += 2.5)
    printf "%.1f %.1f %d\n", B, L, (int(L) % 2 ? 19100e3 : 20200e3) }' >"$work/satellite"
# Near the poles, north and south: distances from the pole of 1e-8 degrees to 10 degrees in
# steps of 15 %, from the ground to 20 000 km.
awk 'BEGIN { split("0 1e3 1e6 5e6 1e7 14.6e6 2e7", h)
    for (s = -1; s <= 1; s += 2) for (c = 1e-8; c < 10; c *= 1.15) for (j = 1; j <= 7; ++j)
        printf "%.12f %d %.0f\n", s * (90 - c), 15 + 30 * (j % 4), h[j] }' >"$work/pole"
swap() { awk '{ print $2, $1, $3 }'; }  # B L H <-> L B H (cct reads and writes lon lat)
xyz() { awk '{ print $1, $2, $3 }'; }   # cct's first three columns

# The error of each point in metres, on a (a, 1/f) ellipsoid at the point's height: "mine" and
# "theirs" are B L H files (degrees, metres); prints the error (3D, or horizontal when the fifth
# argument is "horizontal"), the north, east and up differences, and the point ($work/where).
geodetic_error() {  # mine theirs a rf [horizontal]
    paste -d ' ' "$1" "$2" "$work/where" | awk -v a="$3" -v rf="$4" -v horizontal="${5:-}" '{
        f = 1 / rf; e2 = f * (2 - f); r = atan2(0, -1) / 180
        s = sin($4 * r); w = sqrt(1 - e2 * s * s); M = a * (1 - e2) / w ^ 3; N = a / w
        dL = $2 - $5; dL -= 360 * int(dL / 360); if (dL > 180) dL -= 360; if (dL < -180) dL += 360
        n = ($1 - $4) * r * (M + $6); e = dL * r * (N + $6) * cos($4 * r); u = $3 - $6
        d = horizontal == "" ? sqrt(n * n + e * e + u * u) : sqrt(n * n + e * e)
        printf "%.9g %.4f %.4f %.4f %s %s %s\n", d, n, e, u, $7, $8, $9 }'
}
# The distance between the points of two X Y Z files.
geocentric_error() {  # mine theirs
    paste -d ' ' "$1" "$2" "$work/where" | awk '{
        printf "%.9g 0 0 0 %s %s %s\n", sqrt(($1-$4)^2 + ($2-$5)^2 + ($3-$6)^2), $7, $8, $9 }'
}
# min, max, RMS in a unit (m or mm), where the maximum is, and the share under a limit.
report() {  # title unit [limit]
    awk -v title="$1" -v unit="$2" -v limit="${3:-}" '{
        d = $1 * (unit == "mm" ? 1000 : 1); ++n; sum += d * d
        if (n == 1 || d < lo) lo = d
        if (n == 1 || d > hi) { hi = d; at = sprintf("%s, %s, H %s m", $5, $6, $7) }
        if (limit != "" && d < limit) ++under
    } END {
        printf "%s\n    %.3g-%.3g %s, RMS %.3g %s over %d points; largest at %s", title, lo, hi,
            unit, sqrt(sum / n), unit, n, at
        if (limit != "") printf "; %.0f %% under %s %s", 100 * under / n, limit, unit
        printf "\n"
    }'
}

echo "coordconv accuracy against PROJ $(cct --version 2>&1 | head -1 | cut -d' ' -f3 | tr -d ,)"
echo "(points B, L in degrees, H in metres; L may be given as 0-360)"
echo

# 1. The window's WGS-84 -> SK-42 against GOST 32453-2017.
window_against_gost() {  # grid
    cp "$work/$1" "$work/where"
    "$cli" --parameters window --angles degrees --precision 15 wgs84-blh sk42-blh \
        <"$work/$1" >"$work/window"
    swap <"$work/$1" | cct -d 10 +proj=pipeline $wgs84_to_sk42 +step +inv +proj=cart $e_krass |
        swap >"$work/gost"
}
window_against_gost russia
geodetic_error "$work/window" "$work/gost" 6378245 298.3 horizontal |
    report "window's WGS-84 -> SK-42 against GOST 32453-2017, horizontal, every degree of 40-82 N 19-190 E" m 2
geodetic_error "$work/window" "$work/gost" 6378245 298.3 | report "the same in 3D" m
echo "55.75 37.6167 100" >"$work/moscow"
window_against_gost moscow
geodetic_error "$work/window" "$work/gost" 6378245 298.3 | awk '{
    printf "    at Moscow (55.75, 37.6167, 100 m) the window minus GOST: %.2f m north, %.2f m east, %.2f m up\n\n", $2, $3, $4 }'

# 2. The window's XYZ -> BLH against the points that +proj=cart (closed form) carried to XYZ
# on the window's ellipsoid.
window_xyz_to_blh() {  # grid [height filter for the report]
    cp "$work/$1" "$work/where"
    swap <"$work/$1" | cct -d 6 +proj=cart $e_window | xyz >"$work/xyz"
    "$cli" --parameters window --angles degrees --precision 17 wgs84-xyz wgs84-blh \
        <"$work/xyz" >"$work/window"
    geodetic_error "$work/window" "$work/$1" 6378137 298.257 >"$work/errors"
}
window_xyz_to_blh globe
report "window's XYZ -> BLH, heights 0-9 km over the globe" mm <"$work/errors"
window_xyz_to_blh satellite
report "window's XYZ -> BLH, heights 19 100 and 20 200 km over the globe" mm <"$work/errors"
window_xyz_to_blh pole
awk '90 - ($5 < 0 ? -$5 : $5) >= 1e-4' "$work/errors" |
    report "window's XYZ -> BLH, 1e-4 to 10 degrees from a pole, heights 0-20 000 km" mm
for band in "0 1000" "1000000 10000000" "14600000 14600000" "20000000 20000000"; do
    read -r low high <<<"$band"
    awk -v low="$low" -v high="$high" '$7 >= low && $7 <= high && 90 - ($5 < 0 ? -$5 : $5) < 1e-4' \
        "$work/errors" |
        report "window's XYZ -> BLH, 1e-8 to 1e-4 degrees from a pole, heights $low-$high m" mm
done
echo

# 3. PZ-90.11 -> SK-42 by GOST's parameters negated, against their exact inverse.
cp "$work/russia" "$work/where"
swap <"$work/russia" | cct -d 6 +proj=cart $e_pz9011 | xyz >"$work/xyz"
cct -d 9 $(negated $set_sk42) <"$work/xyz" | xyz >"$work/negated"
cct -d 9 $(exact_inverse $set_sk42) <"$work/xyz" | xyz >"$work/exact"
geocentric_error "$work/negated" "$work/exact" |
    report "PZ-90.11 -> SK-42: the parameters negated against their exact inverse, Russia grid" mm
cct -d 9 +inv $(helmert $set_sk42) <"$work/xyz" | xyz >"$work/transposed"
geocentric_error "$work/transposed" "$work/exact" |
    report "PZ-90.11 -> SK-42: PROJ's +inv helmert against the exact inverse, Russia grid" mm
echo

# 4. The arithmetic of the gost2017 routes against the same routes in PROJ, compared as
# geocentric points of the target datum: coordconv-cli's geodetic results go back through
# +proj=cart (closed form), its plane ones through +inv +proj=tmerc first, so that PROJ's
# inverse of +proj=cart (a single Bowring step, coarse at satellite heights) plays no part.
route() {  # title, from, to, grid, target ellipsoid, PROJ steps to the target's XYZ (lon lat h in)
    local title=$1 from=$2 to=$3 grid=$4 ellipsoid=$5
    shift 5
    cp "$work/$grid" "$work/where"
    "$cli" --angles degrees --precision 17 "$from" "$to" <"$work/$grid" |
        swap | cct -d 8 +proj=cart $ellipsoid | xyz >"$work/mine"
    swap <"$work/$grid" | cct -d 8 +proj=pipeline "$@" | xyz >"$work/theirs"
    geocentric_error "$work/mine" "$work/theirs" | report "gost2017 $title" mm
}
route "wgs84-blh -> sk42-blh, Russia grid" wgs84-blh sk42-blh russia "$e_krass" $wgs84_to_sk42
route "sk95-blh -> wgs84-blh, Russia grid" sk95-blh wgs84-blh russia "$e_wgs84" \
    +step +proj=cart $e_krass +step $(helmert $set_sk95) +step $(exact_inverse $set_wgs84)
route "wgs84-blh -> gsk2011-blh, satellite heights" wgs84-blh gsk2011-blh satellite "$e_gsk" \
    +step +proj=cart $e_wgs84 +step $(helmert $set_wgs84) +step $(exact_inverse $set_gsk)
route "wgs84-blh -> sk42-blh, near the poles" wgs84-blh sk42-blh pole "$e_krass" $wgs84_to_sk42
# Plane coordinates, each six-degree zone in its own cct run (the grid moved half a degree east,
# off the zones' edges).
: >"$work/where"
: >"$work/mine"
: >"$work/theirs"
for zone in $(seq 4 32); do
    awk -v z="$zone" '{ $2 += 0.5 } int($2 / 6) + 1 == z' "$work/russia" >"$work/zone"
    [[ -s $work/zone ]] || continue
    cat "$work/zone" >>"$work/where"
    tmerc="+proj=tmerc $e_krass +k=1 +lon_0=$((6 * zone - 3)) +x_0=$((zone * 1000000 + 500000))"
    "$cli" --angles degrees --precision 17 wgs84-blh sk42-xyh <"$work/zone" |
        awk '{ print $2, $1, $3 }' |
        cct -d 8 +proj=pipeline +step +inv $tmerc +step +proj=cart $e_krass | xyz >>"$work/mine"
    swap <"$work/zone" | cct -d 8 +proj=pipeline $wgs84_to_sk42 | xyz >>"$work/theirs"
done
geocentric_error "$work/mine" "$work/theirs" |
    report "gost2017 wgs84-blh -> sk42-xyh, Russia grid (through PROJ's inverse tmerc)" mm
echo

# 5. The README's example, exactly as written, and the same route in PROJ.
printf '%s\n' "README example: printf '# point 1\\n55.75 37.6167 100\\n' | coordconv-cli --angles degrees wgs84-blh sk42-xyh"
printf '# point 1\n55.75 37.6167 100\n' | "$cli" --angles degrees wgs84-blh sk42-xyh |
    sed 's/^/    coordconv-cli: /'
echo "37.6167 55.75 100" |
    cct -d 10 +proj=pipeline $wgs84_to_sk42 +step +inv +proj=cart $e_krass \
        +step +proj=tmerc $e_krass +k=1 +lon_0=39 +x_0=7500000 |
    awk '{ printf "    PROJ:          %s %s %s\n", $2, $1, $3 }'
