# best_time COMMAND...: the best of $runs runs of a command, in seconds (sourced by the
# comparison scripts).
best_time() {
    local best=""
    for _ in $(seq "$runs"); do
        local start end seconds
        start=$(date +%s%N)
        "$@" >/dev/null
        end=$(date +%s%N)
        seconds=$(awk -v ns=$((end - start)) 'BEGIN { printf "%.4f", ns / 1e9 }')
        if [[ -z "$best" ]] || awk -v a="$seconds" -v b="$best" 'BEGIN { exit !(a < b) }'; then
            best=$seconds
        fi
    done
    echo "$best"
}
