#!/usr/bin/env bash
# Screenshots of every window (main, Confirm box, Options, About, time-up
# notice) on a Traditional Chinese Windows (code page 950, with the Chinese
# face names the program asks for mapped to an installed Ming face with
# Big5 coverage) and on a Western one (1252, with no Chinese face), with
# checks of the About text each draws and of the time fields' faces; see
# code_pages.py beside this script.
#   tests/screens/font_screens.sh [i686|x86_64]
# Saves build/e2e-artifacts/<arch>/codepage-{950,1252}/*.png. Ends with
# "N passed, N failed"; exits non-zero when anything failed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exec /usr/bin/env python3 "$here/code_pages.py" "${1:-i686}"
