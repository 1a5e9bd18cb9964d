#!/usr/bin/env bash
# Runs the program under Windows 98, 2000, XP, 7 and 10 (i686) and 7 and 10
# (x86_64), and at 96, 120 and 144 DPI, each in a Wine prefix of its own;
# exits non-zero when any setting fails.
#   tests/e2e/run_matrix.sh [--arch ARCH] [--dpi-both] [-k NAME-PART ...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exec /usr/bin/env python3 "$here/run_matrix.py" "$@"
