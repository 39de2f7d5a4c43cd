#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer, in build-fuzz) and runs each for SECONDS (default 60).
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (targets: directory_file query_file
# sql_reader format_value ldap_schema ldap_name ldap_entry; default all)
# Each target's corpus (build-fuzz/corpus/TARGET) starts from the test fixtures, the demo
# directory, the docs' examples and what directory servers sent (tests/fuzz/seeds), and
# keeps what the runs add; a crash, leak or hang is written to build-fuzz/artifacts/TARGET/
# and stops the script with status 1.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(directory_file query_file sql_reader format_value ldap_schema ldap_name ldap_entry)
build=build-fuzz

export CCACHE_BASEDIR="$PWD"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DVELTRANE_FUZZ=ON -DVELTRANE_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

seed() {
    case "$1" in
    directory_file) ls data/demo-directory.json tests/data/*.json tests/data/cli/*.json ;;
    query_file) ls tests/data/*.REQ docs/examples/*.req bench/queries/*.req ;;
    sql_reader) ls tests/data/*.SQL ;;
    ldap_*) ls "tests/fuzz/seeds/$1"/* ;;
    esac
}

for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    artifacts="$build/artifacts/$target"
    mkdir -p "$corpus" "$artifacts"
    if [ "$target" = format_value ]; then
        # One value of each syntax: its number, then a few counted bytes.
        for syntax in $(seq 0 39); do
            printf "$(printf '\\x%02x' "$syntax")\\x03\\x00\\x00\\x00abc\\x02\\x00\\x00\\x00de" >"$corpus/seed-$syntax"
        done
    else
        while read -r file; do cp "$file" "$corpus/seed-$(basename "$file")"; done < <(seed "$target")
    fi
    dictionary=()
    [ -f "tests/fuzz/$target.dict" ] && dictionary=(-dict="tests/fuzz/$target.dict")
    echo "== $target for ${seconds}s"
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 \
        "$build/tests/fuzz/fuzz_$target" "$corpus" "${dictionary[@]}" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 -artifact_prefix="$artifacts/" 2>&1 |
        grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)|ERROR|SUMMARY|Test unit written|^==' || true
    if [ -n "$(ls -A "$artifacts")" ]; then
        echo "fuzz_$target found a fault: $(ls "$artifacts")"
        exit 1
    fi
done
