#!/usr/bin/env bash
# coordconv-fit --save, then coordconv-cli: the saved system converts the source's points to
# the target's within their residuals; the catalogue keeps what it held, an id is never
# overwritten without --replace, and --json parses as JSON.
set -euo pipefail
fit=$1 cli=$2 root=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export XDG_CONFIG_HOME=$dir/config
wgs=$root/data/fit-example-wgs84.txt local=$root/data/fit-example-local.txt
data=$root/tests/data/fit

# The largest difference between two lists of "name x y [H]" over their common names but one
# (at least five of them).
worst() {
    awk -v skip="$3" 'NR == FNR { if ($1 !~ /^#/) { x[$1] = $2; y[$1] = $3; z[$1] = $4 }; next }
        ($1 in x) && $1 != skip { ++n; d = sqrt(($2 - x[$1])^2 + ($3 - y[$1])^2 + ($4 - z[$1])^2 * zw)
                                  if (d > m) m = d }
        END { if (n < 5) print "too-few-points"; else printf "%.6f\n", m }' zw="${4:-0}" "$1" "$2"
}

# A plane fit saved into the user's catalogue, made with its directory.
"$fit" --model similarity2d --plane sk42-xyh --exclude P07 --angles degrees --save msk-fit \
    --name "МСК пример" wgs84-blh "$wgs" plane "$local" >"$dir/fit.txt"
grep -q "^saved: system msk-fit in $dir/config/coordconv/systems.toml$" "$dir/fit.txt"
grep -v '^#' "$wgs" | awk '{ print $2, $3, $4, $1 }' |
    "$cli" --angles degrees --columns 1,2,3 --decimals 4 wgs84-blh msk-fit |
    awk '{ print $4, $1, $2 }' >"$dir/converted.txt"
# Residuals of 0.1 mm in the fit: the saved keys put the points within 1 mm of the list.
[[ $(worst "$local" "$dir/converted.txt" P07) < 0.001000 ]] || {
    echo "msk-fit misses the local points by $(worst "$local" "$dir/converted.txt" P07) m"; exit 1; }

# Taken ids: refused, then replaced in place; what the file held besides stays.
printf '# my notes\n[system.kept]\nname = "Kept"\ndatum = "sk42"\nform = "geodetic"\n' \
    >"$dir/mine.toml"
"$fit" --model similarity2d --plane sk42-xyh --angles degrees --save kept --name K \
    --systems "$dir/mine.toml" wgs84-blh "$wgs" plane "$local" >/dev/null 2>"$dir/err" &&
    { echo "an id taken was overwritten"; exit 1; }
grep -q "system kept is defined at .*mine.toml:2; choose another id, or --replace it" "$dir/err"
for run in 1 2; do
    "$fit" --model helmert7 --save my-pz --name "ПЗ подобранный" ${replace:-} \
        --systems "$dir/mine.toml" sk42-xyz "$data/sk42-xyz.txt" pz9011-xyz \
        "$data/pz9011-xyz.txt" >/dev/null
    replace=--replace
done
# One table of each, and one comment line of the fit: a replaced table takes its comments along.
[[ $(grep -c '^\[system.my-pz\]$' "$dir/mine.toml") == 1 &&
   $(grep -c '^\[datum.my-pz\]$' "$dir/mine.toml") == 1 &&
   $(grep -c '^# coordconv-fit helmert7' "$dir/mine.toml") == 1 ]] || { cat "$dir/mine.toml"; exit 1; }
grep -q '^# my notes$' "$dir/mine.toml" && grep -q '^\[system.kept\]$' "$dir/mine.toml"
awk '{ print $2, $3, $4, $1 }' "$data/sk42-xyz.txt" |
    "$cli" --systems "$dir/mine.toml" --columns 1,2,3 --decimals 4 sk42-xyz my-pz |
    awk '{ print $4, $1, $2, $3 }' >"$dir/converted.txt"
[[ $(worst "$data/pz9011-xyz.txt" "$dir/converted.txt" "" 1) < 0.001000 ]] || {
    echo "my-pz misses PZ-90.11 by $(worst "$data/pz9011-xyz.txt" "$dir/converted.txt" "" 1) m"
    exit 1; }

# --json: one object; the planted point first and flagged, its leave-one-out beyond 0.3 m.
"$fit" --json --model similarity2d --plane sk42-xyh --angles degrees wgs84-blh "$wgs" plane \
    "$local" | python3 -c '
import json, sys
fit = json.load(sys.stdin)
worst = fit["points"][0]
assert fit["model"] == "similarity2d" and worst["name"] == "P07" and worst["flagged"], worst
assert not any(p["flagged"] for p in fit["points"][1:]), fit["points"]
assert abs(worst["leave_one_out"][0] - 0.312) < 0.05 and worst["residuals"][2] is None, worst
assert sorted(fit["ignored"]) == sorted(["пп-Южный", "Rp-12"]), fit["ignored"]
assert fit["parameters"]["rotation"]["unit"] == "″"'
echo "fit save ok"
