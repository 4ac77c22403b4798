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
[[ "$output" == "2850703.231 2849972.61724" ]]
