#!/usr/bin/env bash
# Sets up, builds (scripts/build.sh i686 x86_64) and writes the release of
# the checked-out commit into build/release/:
#   tarnvel-VERSION-i686.exe, tarnvel-VERSION-x86_64.exe   the programs as built
#   tarnvel-VERSION-windows.zip   both programs, README.txt for Windows users, LICENSE.txt
#   SHA256SUMS                    the checksums of those three files
# VERSION is the project's version in CMakeLists.txt. Two releases of one
# commit are the same bytes wherever the sources lie and whenever they are
# built: the programs hold no time stamp and no path of the machine, and the
# zip's entries carry the commit's time (SOURCE_DATE_EPOCH, when set, wins).
# The release is checked before it is done: hardening and old-Windows imports
# of both programs, and the reproducibility rules (tests/release/check_release.py).
#   scripts/release.sh
#   scripts/release.sh --package-only DIR   write the release of the present build into DIR
#   scripts/release.sh --check-reproducible release in two fresh clones of HEAD at two
#                                           paths, one after the other, and compare
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

project_version() {
    sed -n 's/^project(Tarnvel VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt"
}

source_date_epoch() {
    if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
        echo "$SOURCE_DATE_EPOCH"
    else
        git -C "$root" log -1 --format=%ct
    fi
}

# Copies the built programs into DIR under their release names, then writes
# the zip and the checksums there.
package() {
    local out=$1 version epoch stage
    version=$(project_version)
    epoch=$(source_date_epoch)
    [ -n "$version" ] || { echo "release: no project version in CMakeLists.txt" >&2; return 1; }
    rm -rf "$out"
    mkdir -p "$out"
    for arch in i686 x86_64; do
        install -m 0644 "$root/build/$arch/tarnvel.exe" "$out/tarnvel-$version-$arch.exe"
    done
    stage=$(mktemp -d)
    sed "s/@VERSION@/$version/g" "$root/res/README-windows.txt" >"$stage/README.txt"
    python3 "$root/scripts/release_zip.py" "$out/tarnvel-$version-windows.zip" "$epoch" \
        "README.txt=$stage/README.txt" \
        "tarnvel-$version-i686.exe=$out/tarnvel-$version-i686.exe" \
        "tarnvel-$version-x86_64.exe=$out/tarnvel-$version-x86_64.exe" \
        "LICENSE.txt=$root/LICENSE"
    rm -rf "$stage"
    chmod 0644 "$out/tarnvel-$version-windows.zip"
    (cd "$out" && sha256sum "tarnvel-$version-i686.exe" "tarnvel-$version-x86_64.exe" \
        "tarnvel-$version-windows.zip" >SHA256SUMS)
}

# The release's own checks; prints their lines and fails when any failed.
check_release() {
    local out=$1 version
    version=$(project_version)
    python3 "$root/tests/pe/check_hardening.py" "$out/tarnvel-$version-i686.exe" "$out/tarnvel-$version-x86_64.exe" &&
        python3 "$root/tests/pe/check_imports.py" "$out/tarnvel-$version-i686.exe" &&
        python3 "$root/tests/release/check_release.py" "$out" "$version" "$(source_date_epoch)" \
            --forbid "$root" --forbid "${HOME:-}"
}

# Releases HEAD in two fresh clones at two different paths, one after the
# other, and compares their release folders file by file.
check_reproducible() {
    local base head first second passed=0 failed=0 name
    [ -z "$(git -C "$root" status --porcelain)" ] ||
        echo "release: uncommitted changes are not part of this check: it releases HEAD"
    head=$(git -C "$root" rev-parse HEAD)
    base=$(mktemp -d)
    # The folder's name goes into the trap now: base is local to this function.
    # shellcheck disable=SC2064
    trap "rm -rf '$base'" EXIT
    first="$base/first"
    second="$base/second/at-another-path"
    for clone in "$first" "$second"; do
        echo "== release of $head in $clone"
        git clone -q "$root" "$clone"
        git -C "$clone" checkout -q "$head"
        if ! "$clone/scripts/release.sh" >"$clone.log" 2>&1; then
            tail -40 "$clone.log"
            echo "FAIL the release in $clone"
            echo "0 passed, 1 failed"
            return 1
        fi
        (cd "$clone/build/release" && sha256sum -- *)
    done
    for name in $( (ls "$first/build/release"; ls "$second/build/release") | sort -u); do
        if cmp -s "$first/build/release/$name" "$second/build/release/$name"; then
            echo "PASS the same bytes in both clones: $name"
            passed=$((passed + 1))
        else
            echo "FAIL not the same in both clones (or missing in one): $name"
            failed=$((failed + 1))
        fi
    done
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}

case "${1:-}" in
    --package-only)
        [ $# -eq 2 ] || { echo "usage: $0 --package-only DIR" >&2; exit 2; }
        package "$2"
        ;;
    --check-reproducible)
        check_reproducible
        ;;
    "")
        "$root/scripts/setup.sh"
        "$root/scripts/build.sh" i686 x86_64
        [ -z "$(git -C "$root" status --porcelain)" ] ||
            echo "release: the sources have uncommitted changes: this is not a release of the commit"
        package "$root/build/release"
        echo "== checks of the release"
        check_release "$root/build/release"
        echo "== build/release/"
        cat "$root/build/release/SHA256SUMS"
        ;;
    *)
        echo "usage: $0 [--package-only DIR | --check-reproducible]" >&2
        exit 2
        ;;
esac
