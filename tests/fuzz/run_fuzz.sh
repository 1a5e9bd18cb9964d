#!/usr/bin/env bash
# Builds the fuzz targets of the portable core with clang (libFuzzer,
# AddressSanitizer, UndefinedBehaviorSanitizer) into build/fuzz, replays the
# kept crash inputs of tests/fuzz/regressions/<target>/, then fuzzes each
# target for a bounded time, starting from tests/fuzz/seeds/<target>/ and the
# corpus kept in build/fuzz/corpus/<target>/.
#   tests/fuzz/run_fuzz.sh [seconds-per-target]      (default 20)
# A crash is copied into tests/fuzz/regressions/<target>/ so that every later
# run replays it. Ends with "N passed, N failed"; exits non-zero on a crash.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
seconds=${1:-20}
case "$seconds" in
    '' | *[!0-9]* | 0) echo "usage: $0 [seconds-per-target]" >&2; exit 2 ;;
esac
build="$root/build/fuzz"
targets=(fuzz_field_rules fuzz_number_text fuzz_countdown_clock fuzz_gif_image)

# clang and its fuzzer runtime, from Debian's packages.
fuzzer_runtime() {
    command -v clang++ >/dev/null 2>&1 &&
        [ -f "$(clang++ -print-resource-dir)/lib/linux/libclang_rt.fuzzer-$(uname -m).a" ]
}
if ! fuzzer_runtime; then
    echo "fuzz: installing clang and its fuzzer runtime"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q -o DPkg::Lock::Timeout=900 \
        --no-install-recommends clang libclang-rt-dev >/dev/null || { echo "fuzz: could not install clang" >&2; exit 1; }
fi

mkdir -p "$build/logs"
echo "== build fuzz targets in ${build#"$root"/}"
if ! cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        >"$build/logs/configure.log" 2>&1 ||
    ! cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" >"$build/logs/build.log" 2>&1; then
    cat "$build/logs/configure.log" "$build/logs/build.log" 2>/dev/null | tail -40
    echo "0 passed, 1 failed"
    exit 1
fi

passed=0
failed=0

# The lines of a libFuzzer log that say what went wrong.
show_failure() {
    {
        grep -A1 'invariant broken' "$1"
        grep -E 'runtime error|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)' "$1"
    } | head -8 | grep . || tail -20 "$1"
}

for target in "${targets[@]}"; do
    exe="$build/$target"
    kept="$here/regressions/$target"

    inputs=()
    [ -d "$kept" ] && mapfile -t inputs < <(find "$kept" -type f | sort)
    if [ ${#inputs[@]} -gt 0 ]; then
        log="$build/logs/$target-replay.log"
        if "$exe" "${inputs[@]}" >"$log" 2>&1; then
            echo "PASS $target: replayed ${#inputs[@]} kept crash inputs"
            passed=$((passed + 1))
        else
            echo "FAIL $target: a kept crash input still fails (log: ${log#"$root"/})"
            show_failure "$log"
            failed=$((failed + 1))
        fi
    else
        echo "     $target: no kept crash inputs to replay"
    fi

    corpus="$build/corpus/$target"
    artifacts="$build/artifacts/$target"
    log="$build/logs/$target.log"
    mkdir -p "$corpus"
    rm -rf "$artifacts"
    mkdir -p "$artifacts"
    "$exe" -max_total_time="$seconds" -max_len=256 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$corpus" "$here/seeds/$target" >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    size=$(find "$corpus" -type f | wc -l)
    if [ "$status" -eq 0 ]; then
        echo "PASS $target: ${runs:-?} executions in ${seconds} s, corpus of $size inputs"
        passed=$((passed + 1))
    else
        echo "FAIL $target: exit status $status after ${runs:-?} executions (log: ${log#"$root"/})"
        show_failure "$log"
        mkdir -p "$kept"
        for artifact in "$artifacts"/*; do
            [ -f "$artifact" ] || continue
            cp "$artifact" "$kept/"
            echo "     kept ${kept#"$root"/}/$(basename "$artifact") for replay"
        done
        failed=$((failed + 1))
    fi
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
