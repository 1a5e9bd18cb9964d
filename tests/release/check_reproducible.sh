#!/usr/bin/env bash
# The quick reproducibility check of the release, on the present build
# (scripts/build.sh i686 x86_64 first): writes the release twice into two
# folders (scripts/release.sh --package-only), two seconds apart, under
# different time zones and umasks, and expects the same bytes; checks the
# first against the release rules (check_release.py: no PE time stamp, the
# project's version, no path of this machine, fixed zip entries and times,
# the checksums); and shows that those rules catch a PE time stamp and a
# source path put into a copy. The full check, two fresh clones built one
# after the other, is scripts/release.sh --check-reproducible.
#   tests/release/check_reproducible.sh
# Ends with "N passed, N failed"; exits non-zero when anything failed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
version=$(sed -n 's/^project(Tarnvel VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

count() {
    local output=$1
    printf '%s\n' "$output"
    passed=$((passed + $(grep -c '^PASS ' <<<"$output")))
    failed=$((failed + $(grep -c '^FAIL ' <<<"$output")))
}

verdict() {
    if [ "$1" = yes ]; then
        echo "PASS $2"
        passed=$((passed + 1))
    else
        echo "FAIL $2"
        failed=$((failed + 1))
    fi
}

echo "== the release written twice"
(umask 022 && TZ=UTC "$root/scripts/release.sh" --package-only "$work/a") || verdict no "first --package-only run"
sleep 2
(umask 077 && TZ=TST-14 "$root/scripts/release.sh" --package-only "$work/b") || verdict no "second --package-only run"
for file in "$work/a"/*; do
    name=${file##*/}
    same=no
    cmp -s "$file" "$work/b/$name" && same=yes
    verdict "$same" "written twice, the same bytes: $name"
done

echo "== the release rules"
count "$(python3 "$here/check_release.py" "$work/a" "$version" "$epoch" --forbid "$root" --forbid "${HOME:-}" 2>&1)"

echo "== the rules catch a PE time stamp and a source path"
cp -r "$work/a" "$work/damaged"
damaged="$work/damaged/tarnvel-$version-i686.exe"
python3 - "$damaged" "$root" <<'EOF'
import struct, sys
path, root = sys.argv[1], sys.argv[2]
data = bytearray(open(path, "rb").read())
(pe,) = struct.unpack_from("<I", data, 0x3C)
struct.pack_into("<I", data, pe + 8, 0x5F000000)
data += (root + "/ui/main.cpp").encode() + b"\0"
open(path, "wb").write(data)
EOF
caught=$(python3 "$here/check_release.py" "$work/damaged" "$version" "$epoch" --forbid "$root" 2>&1)
for check in "i686 time-stamp" "i686 paths"; do
    found=no
    grep -q "^FAIL release $check:" <<<"$caught" && found=yes
    verdict "$found" "a damaged copy fails \"$check\""
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
