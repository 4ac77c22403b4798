#!/usr/bin/env bash
# coordconv-cli against ogr2ogr on the same GeoPackage of 1 000 000 points, in the same run:
# WGS-84 geodetic to SK-42 plane coordinates of zone 7 under GOST 32453-2017, ogr2ogr running
# the same route as the PROJ pipeline coordconv-cli prints (-ct). Both write a GeoPackage with
# its attributes and spatial index; their results are compared point by point first. Prints
# the best time of each, the ratio, and ogr2ogr's time with coordconv-cli's SQLite page cache
# (where the difference lies), and coordconv-cli's peak memory.
#   bench/gis_vs_ogr2ogr.sh [POINTS] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build >/dev/null
points=${1:-1000000}
runs=${2:-2}
cli=$PWD/build/cli/coordconv-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Points over zone 7 (36°–42° E, 50°–60° N), heights 0–3000 m, with a name and a number; made
# into a GeoPackage by GDAL's own tools.
awk -v n="$points" 'BEGIN {
    srand(42)
    print "id,name,lon,lat,h"
    for (i = 1; i <= n; ++i)
        printf "%d,point %d,%.9f,%.9f,%.3f\n", i, i, 36 + 6 * rand(), 50 + 10 * rand(), 3000 * rand()
}' >points.csv
ogr2ogr --config OGR_SQLITE_CACHE 512 -f GPKG points.gpkg points.csv -nln points -a_srs EPSG:4326 \
    -oo X_POSSIBLE_NAMES=lon -oo Y_POSSIBLE_NAMES=lat -oo Z_POSSIBLE_NAMES=h \
    -oo KEEP_GEOM_COLUMNS=NO -oo AUTODETECT_TYPE=YES
rm points.csv

# ogr2ogr reads and writes x east, y north; the pipeline takes longitude, latitude and gives
# easting, northing, which EPSG:28407 holds northing first: hence OGC:CRS84 and the swap.
pipeline="$("$cli" --proj-pipeline wgs84-blh sk42-xyh --zone 7) +step +proj=axisswap +order=2,1"
ours() { rm -f ours.gpkg && "$cli" wgs84-blh sk42-xyh --zone 7 points.gpkg -o ours.gpkg; }
theirs() {
    rm -f theirs.gpkg &&
        ogr2ogr "$@" -f GPKG theirs.gpkg points.gpkg -s_srs OGC:CRS84 -t_srs EPSG:28407 \
            -ct "$pipeline"
}

# Agreement: every point within 0.1 mm (the CSV's 15 digits hold 10 nm here).
ours
theirs
ogr2ogr -f CSV /vsistdout/ ours.gpkg -lco GEOMETRY=AS_XYZ -select id >ours.csv
ogr2ogr -f CSV /vsistdout/ theirs.gpkg -lco GEOMETRY=AS_XYZ -select id >theirs.csv
paste -d, ours.csv theirs.csv | awk -F, -v n="$points" '
    NR > 1 {
        for (i = 1; i <= 3; ++i) { d = $i - $(i + 4); d = d < 0 ? -d : d; m = d > m ? d : m }
        if ($4 != $8) bad = 1
        ++count
    }
    END {
        printf "agreement: %d points, largest difference %.2g m\n", count, m
        exit !(count == n && !bad && m < 1e-4)
    }'
rm ours.csv theirs.csv

source "$OLDPWD/bench/best_time.sh"
one=$(best_time ours)
two=$(best_time theirs)
cached=$(best_time theirs --config OGR_SQLITE_CACHE 512)
memory=$(/usr/bin/time -f %M "$cli" wgs84-blh sk42-xyh --zone 7 points.gpkg -o again.gpkg 2>&1 >/dev/null |
    tail -1)
awk -v n="$points" -v a="$one" -v b="$two" -v c="$cached" -v kb="$memory" 'BEGIN {
    printf "| %d points, GeoPackage | coordconv-cli | ogr2ogr -ct | ogr2ogr / coordconv-cli |\n", n
    printf "|---|---:|---:|---:|\n"
    printf "| WGS-84 -> SK-42 zone 7 | %.2f s | %.2f s | %.2f |\n", a, b, b / a
    printf "| ogr2ogr with OGR_SQLITE_CACHE=512 | | %.2f s | %.2f |\n", c, c / a
    printf "coordconv-cli peak memory: %.0f MiB\n", kb / 1024
}'
