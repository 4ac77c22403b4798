#!/usr/bin/env bash
# Installs this build into a scratch prefix and builds a small project against it.
#   consumer_test.sh BUILD_DIR SOURCE_DIR [CMAKE OPTIONS…]
set -euo pipefail
build=$1 source=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S "$source/tests/package/consumer" -B "$work/consumer" -G Ninja \
    -DCMAKE_PREFIX_PATH="$work/prefix" "$@" >/dev/null
cmake --build "$work/consumer" >/dev/null
output=$("$work/consumer/consumer")
echo "$output"
# Line 2, the user's system, from PROJ 9.1.1, cct -d 6 +proj=pipeline
#   +step +proj=cart +ellps=WGS84 +step +inv +proj=helmert +convention=position_vector
#   +x=23.57 +y=-140.95 +z=-79.8 +rx=0 +ry=0.35 +rz=0.79 +s=-0.22 +step +inv +proj=cart
#   +ellps=krass +step +proj=tmerc +lon_0=38.48333333333333 +k=1 +x_0=1250000
#   +y_0=-5412900.566 +ellps=krass   on 38.5 55.75 150: 1251163.343799 767929.561025 146.544709
[[ "$output" == $'2850703.231 2849972.61724\n767929.561 1251163.344 146.545' ]]
for header in catalogue_file.h geoid_grid.h proj_string.h route.h; do
    [[ -f "$work/prefix/include/coordconv/systems/$header" ]]
done
# toml++ is compiled into the library: neither the CMake package nor a header asks for it.
if grep -rl tomlplusplus "$(dirname "$(find "$work/prefix" -name coordconvConfig.cmake)")" ||
    grep -rl '#include <toml' "$work/prefix/include/coordconv"; then
    echo "the installed package requires toml++ of its users" >&2
    exit 1
fi
# Nor Eigen, which only the fit library's sources include (the consumer links coordconv::fit).
[[ -f "$work/prefix/include/coordconv/fit/fit.h" ]]
if grep -rl Eigen "$(dirname "$(find "$work/prefix" -name coordconvConfig.cmake)")" ||
    grep -rl '#include <Eigen' "$work/prefix/include/coordconv"; then
    echo "the installed package requires Eigen of its users" >&2
    exit 1
fi
