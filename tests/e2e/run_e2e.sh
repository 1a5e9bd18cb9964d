#!/usr/bin/env bash
# Runs the end-to-end scenarios for one architecture (i686 or x86_64) against
# build/ARCH/tarnvel.exe; exits non-zero when any of them fails.
#   tests/e2e/run_e2e.sh ARCH [-k NAME-PART ...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exec /usr/bin/env python3 "$here/run_e2e.py" "$@"
