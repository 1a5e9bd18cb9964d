#!/usr/bin/env bash
# A seeded random run of tarnvel.exe under Wine with its invariants checked
# after every action; exits non-zero when one breaks (printing the seed and
# the action to replay it).
#   tests/soak/run_soak.sh [--seed N] [--actions N] [--arch i686|x86_64] [--cycles N] [--windows VERSION]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exec /usr/bin/env python3 "$here/soak.py" "$@"
