#!/usr/bin/env bash
# Checks the built executables: the i686 one against the Windows 2000 exports
# and against what Windows 98 SE implements (check_imports.py, with
# win2000_exports.txt and win98se_exports.txt), both against the hardening
# rules (check_hardening.py), and the checkers themselves against damaged
# copies (test_checkers.py). Build first with scripts/build.sh i686 x86_64.
#   tests/pe/run_pe_checks.sh
# Ends with "N passed, N failed"; exits non-zero when anything failed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
i686="$root/build/i686/tarnvel.exe"
x86_64="$root/build/x86_64/tarnvel.exe"

passed=0
failed=0
for exe in "$i686" "$x86_64"; do
    if [ ! -f "$exe" ]; then
        echo "FAIL missing ${exe#"$root"/}: run scripts/build.sh i686 x86_64 first"
        echo "0 passed, 1 failed"
        exit 1
    fi
done

# Runs one checker, shows its output, and counts its PASS and FAIL lines. A
# checker that ends badly without a FAIL line (a crash) counts as one failure.
run() {
    local title=$1
    shift
    echo "== $title"
    local output status p f
    output=$(python3 "$@" 2>&1)
    status=$?
    printf '%s\n' "$output"
    p=$(grep -c '^PASS ' <<<"$output")
    f=$(grep -c '^FAIL ' <<<"$output")
    if [ "$status" -ne 0 ] && [ "$f" -eq 0 ]; then
        echo "FAIL $title: exited with status $status"
        f=1
    elif [ "$status" -eq 0 ] && [ "$f" -ne 0 ]; then
        echo "FAIL $title: reported failures but exited with status 0"
        f=$((f + 1))
    fi
    passed=$((passed + p))
    failed=$((failed + f))
}

run "imports of the i686 executable (Windows 98 SE and 2000)" "$here/check_imports.py" "$i686"
run "hardening of both executables" "$here/check_hardening.py" "$i686" "$x86_64"
run "the checkers against damaged copies" "$here/test_checkers.py" "$i686" "$x86_64"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
