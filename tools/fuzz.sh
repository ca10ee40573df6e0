#!/usr/bin/env bash
# Fuzzing: builds the libFuzzer targets with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/ and runs each for a bounded time on a copy of its seed
# corpus (fuzz/corpus/<target>/ stays as committed). Exits non-zero on any finding: a crash, a
# sanitizer report, a time-out, an exception that is not a documented one, or a broken check.
#   tools/fuzz.sh [seconds-per-target] [target...]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build-fuzz
seconds=${1:-10}
[ $# -gt 0 ] && shift
all_targets=(fuzz_text_form fuzz_decrypt_string fuzz_decode_record fuzz_text_file fuzz_data_file
    fuzz_line_store fuzz_kvf2)
if [ $# -gt 0 ]; then targets=("$@"); else targets=("${all_targets[@]}"); fi

case $seconds in
'' | *[!0-9]*)
    echo "usage: tools/fuzz.sh [seconds-per-target] [target...]" >&2
    exit 2
    ;;
esac

# clang and libFuzzer's runtime come on top of what the normal build needs.
packages=(clang libclang-rt-dev cmake ninja-build qt6-base-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi

mkdir -p "$build/fuzz-logs"
if [ ! -f "$build/build.ninja" ] || ! grep -q '^KESTOVAR_FUZZ:BOOL=ON' "$build/CMakeCache.txt"; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DKESTOVAR_FUZZ=ON \
        -DKESTOVAR_WERROR=ON -DBUILD_TESTING=OFF -DKESTOVAR_BENCH=OFF \
        >"$build/fuzz-logs/configure.log" 2>&1 ||
        { cat "$build/fuzz-logs/configure.log" >&2; exit 1; }
fi
cmake --build "$build" -j 2 --target "${targets[@]}" >"$build/fuzz-logs/build.log" 2>&1 ||
    { cat "$build/fuzz-logs/build.log" >&2; exit 1; }

export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
total=0
passed=0
failed=0
for target in "${targets[@]}"; do
    corpus=$build/corpus-run/$target
    findings=$build/fuzz-findings/$target
    log=$build/fuzz-logs/$target.log
    rm -rf "$corpus" "$findings"
    mkdir -p "$corpus" "$findings"
    cp -R "$root/fuzz/corpus/$target/." "$corpus/"

    status=0
    "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$findings/" -print_final_stats=1 "$corpus" >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^Done \([0-9]*\) runs in .*/\1/p' "$log" | tail -n 1)

    if [ "$status" -ne 0 ] || [ -z "$runs" ]; then
        failed=$((failed + 1))
        echo "FINDING in $target (exit $status); log: $log"
        tail -n 40 "$log"
        echo "inputs kept in $findings: $(ls "$findings")"
        printf '%-22s %12s\n' "$target" "FAILED"
    else
        passed=$((passed + 1))
        total=$((total + runs))
        printf '%-22s %12d runs in %ss\n' "$target" "$runs" "$seconds"
    fi
done
printf '%-22s %12d runs\n' "total" "$total"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
