#!/usr/bin/env bash
# The example catalogue as installed: coordconv-cli reads it and lists its systems, its
# commented patterns read once uncommented, and its systems convert as PROJ does.
#   example_catalogue_test.sh BUILD_DIR CASES
set -euo pipefail
build=$1 cases=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
cli=$work/prefix/bin/coordconv-cli
example=$work/prefix/share/coordconv/systems.example.toml
export XDG_CONFIG_HOME=$work/config  # no catalogue of whoever runs the test

listed=$("$cli" --systems "$example" --list)
for id in msk-example-1 msk-example-2; do
    grep -q "^$id .*systems.example.toml:" <<<"$listed" || { echo "--list lacks $id" >&2; exit 1; }
done

# The patterns' lines are "# [table]" and "# key = …"; the explanations never look so.
sed -E 's/^# ((\[(system|datum)\.|[a-z_0-9]+ = ).*)$/\1/' "$example" >"$work/all.toml"
listed=$("$cli" --systems "$work/all.toml" --list)
for id in msk-example-proj local-example-blh; do
    grep -q "^$id " <<<"$listed" || { echo "the uncommented pattern $id is not listed" >&2; exit 1; }
done

# Each row's point converted, every value within the row's tolerance (angles in metres
# along the meridian, 1° ≈ 111 km; stricter for longitudes, whose degree is shorter).
failures=0 rows=0
while IFS='|' read -r from to input expected tolerance; do
    [[ "$from" =~ ^[[:space:]]*(#|$) ]] && continue
    read -r from <<<"$from"
    read -r to <<<"$to"
    rows=$((rows + 1))
    geodetic=0
    [[ "$to" == *-blh ]] && geodetic=1
    got=$("$cli" --angles degrees --precision 17 --systems "$work/all.toml" "$from" "$to" <<<"$input")
    if ! awk -v got="$got" -v want="$expected" -v tol="$tolerance" -v geodetic=$geodetic 'BEGIN {
        n = split(got, g, " "); split(want, w, " ")
        bad = n < 3
        for (i = 1; i <= 3; ++i) {
            limit = (geodetic && i < 3) ? tol / 111000 : tol
            d = g[i] - w[i]
            if (d < 0) d = -d
            if (d > limit) bad = 1
        }
        exit bad
    }'; then
        echo "$from -> $to ($input): got $got, expected$expected within$tolerance m" >&2
        failures=$((failures + 1))
    fi
done <"$cases"
echo "$rows points, $failures wrong"
[[ $failures == 0 && $rows -gt 0 ]]
