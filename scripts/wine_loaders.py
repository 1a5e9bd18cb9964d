#!/usr/bin/env python3
"""Which Wine loaders run on this machine, and which one each prefix gets.

Debian's `wine` launcher starts the 32-bit loader whenever it is installed,
even for a 64-bit prefix, and the 32-bit loader starts 64-bit programs in
turn. On a kernel without 32-bit emulation that loader cannot run at all
("Exec format error"), so nothing started through the launcher does, while
the 64-bit loader, started directly with WINELOADER naming it, runs 64-bit
prefixes and programs as usual.

So the choice is made once per run by trying the 32-bit loader itself
(`--version`), or forced to "it cannot run" with TARNVEL_NO_WINE32=1. The
answer is kept in the environment (TARNVEL_WINE32 and TARNVEL_WINE32_WHY),
so every script and helper a run starts follows the same choice without
trying again:
- the 32-bit loader runs: every prefix goes through `wine`, as on any
  Debian machine with Wine's 32-bit part;
- it does not: the i686 program cannot run here, and 64-bit prefixes get the
  64-bit loader.

    scripts/wine_loaders.py decide          # shell exports of the decision
    scripts/wine_loaders.py can-run ARCH    # exits 1, with a line saying why, when ARCH cannot run
    scripts/wine_loaders.py run ARCH ARGS   # ARGS under the loader ARCH gets
"""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

LAUNCHER = "wine"
DEFAULT_LOADERS = {"wine32": "/usr/lib/wine/wine", "wine64": "/usr/lib/wine/wine64"}
DECISION = "TARNVEL_WINE32"      # "runs" or "fails"
DECISION_WHY = "TARNVEL_WINE32_WHY"
# Set to 1 for one run: the answer is "the 32-bit loader cannot run" without
# trying it, so that the path of such a machine can be taken on any machine.
FORCED = "TARNVEL_NO_WINE32"


def launcher_loaders(launcher=None):
    """The loaders Debian's launcher script names (wine32=..., wine64=...),
    or the Debian defaults when there is no such script."""
    found = dict(DEFAULT_LOADERS)
    path = launcher or shutil.which(LAUNCHER)
    try:
        text = Path(path).read_text(errors="replace") if path else ""
    except (OSError, UnicodeError):
        text = ""
    for name in found:
        named = re.search(rf"^{name}=(\S+)$", text, re.M)
        if named:
            found[name] = named.group(1)
    return found


def try_loader(loader):
    """(True, "") when `loader --version` runs, else (False, what went wrong)."""
    try:
        done = subprocess.run([loader, "--version"], capture_output=True, text=True, timeout=60)
    except FileNotFoundError:
        return False, f"{loader} is not installed"
    except OSError as error:
        return False, f"{loader} --version failed: {error.strerror or error}"
    except subprocess.TimeoutExpired:
        return False, f"{loader} --version gave no answer in 60 s"
    if done.returncode != 0:
        said = (done.stderr or done.stdout).strip().splitlines()
        return False, f"{loader} --version exited {done.returncode}" + (f": {said[-1]}" if said else "")
    return True, ""


def decide(env=None, loaders=None):
    """The run's decision as (wine32 runs, why not). Taken from env (or this
    process's environment) when a caller decided already; else tried once
    and kept in this process's environment, which the programs it starts
    inherit, and in env."""
    environments = ([env] if env is not None else []) + [os.environ]
    for known in environments:
        if known.get(DECISION) in ("runs", "fails"):
            return known[DECISION] == "runs", known.get(DECISION_WHY, "")
    if any(known.get(FORCED) == "1" for known in environments):
        runs, why = False, f"this machine is taken as one that cannot run 32-bit programs ({FORCED}=1)"
    else:
        runs, why = try_loader((loaders or launcher_loaders())["wine32"])
        if not runs:
            why = f"this machine cannot run 32-bit programs ({why})"
    for known in environments:
        known[DECISION], known[DECISION_WHY] = ("runs" if runs else "fails"), why
    return runs, why


def can_run(arch, env=None):
    """(True, "") when the ARCH program can run under Wine here, else (False, why)."""
    wine32, why = decide(env)
    if arch == "i686" and not wine32:
        return False, why
    return True, ""


def loader(arch, env=None, loaders=None):
    """The command that starts Wine for a prefix of that architecture."""
    wine32, _ = decide(env)
    if wine32 or arch != "x86_64":
        return LAUNCHER
    return (loaders or launcher_loaders())["wine64"]


def wine_env(arch, env):
    """env with what the chosen loader needs: WINELOADER naming it when it
    is started directly, so that Wine's own programs start the same one."""
    chosen = loader(arch, env)
    if chosen != LAUNCHER:
        env["WINELOADER"] = chosen
    return env


def shell_exports(env=None):
    env = os.environ if env is None else env
    decide(env)
    quote = lambda text: "'" + text.replace("'", "'\\''") + "'"  # noqa: E731
    return f"export {DECISION}={env[DECISION]} {DECISION_WHY}={quote(env[DECISION_WHY])}"


def main(argv):
    if argv == ["decide"]:
        print(shell_exports())
        return 0
    if len(argv) == 2 and argv[0] == "can-run":
        runs, why = can_run(argv[1])
        if not runs:
            print(f"The {argv[1]} program cannot run here: {why}; the x86_64 program can.", file=sys.stderr)
        return 0 if runs else 1
    if len(argv) >= 2 and argv[0] == "run":
        env = wine_env(argv[1], dict(os.environ))
        chosen = loader(argv[1], env)
        os.execvpe(chosen, [chosen] + argv[2:], env)
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
