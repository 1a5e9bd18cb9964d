#!/usr/bin/env python3
"""Makes the Wine prefixes of the tests, the benchmarks and scripts/run.sh.

Most of a prefix is what `wineboot -i` installs: Wine's DLLs, programs, fonts
and locale tables, about 1.3 GB for win64 and 0.6 GB for win32, the same in
every prefix of an architecture and only read afterwards. So each
architecture has one template, build/wine-template/ARCH, made once by
`wineboot -i` and given Wine's own fonts; no program runs in it afterwards.
Every other prefix is its own directory made from the template, where those
big files are hard links to the template's and every other file is a copy
of its own: the files at the top of the prefix (the registry the wineserver
rewrites, the update stamp) and the small files, among them the .ini and .pnf
files Wine's profile and setup functions rewrite in place. So a prefix keeps
its own registry, settings and wineserver, and costs a few MB.

A prefix is remade when it was made from another template (one made by
another Wine, or an older layout without a template); otherwise it is reused.

    scripts/wine_prefix.py make ARCH PREFIX   # PREFIX ready to use (made or reused)
    scripts/wine_prefix.py verify             # the templates are as made; exits 1 if not
"""

import fcntl
import json
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

import wine_loaders

ROOT = Path(__file__).resolve().parents[1]
TEMPLATES = ROOT / "build" / "wine-template"
WINE_FONT_DIRS = ["/usr/share/wine/fonts", "/usr/lib/x86_64-linux-gnu/wine/fonts",
                  "/usr/lib/i386-linux-gnu/wine/fonts"]
SHARED_MIN_SIZE = 64 * 1024  # smaller files are copied: all together a few MB
STAMP = ".tarnvel-template"   # in a prefix: the identity of the template it was made from


def wine_env(arch, prefix, env=None):
    """The environment for Wine in that prefix: quiet, without the Gecko and
    Mono installers, on the caller's display."""
    env = dict(os.environ if env is None else env)
    env.update(WINEPREFIX=str(prefix), WINEARCH="win32" if arch == "i686" else "win64", WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    return wine_loaders.wine_env(arch, env)


class PrefixError(RuntimeError):
    """A prefix could not be made; the message names the command and what it printed."""


def wine_version(arch):
    return subprocess.run([wine_loaders.loader(arch), "--version"], capture_output=True, text=True,
                          timeout=60).stdout.strip()


def last_words(output):
    """The last line a command printed, for a one-line report."""
    lines = [line.strip() for line in (output or "").splitlines() if line.strip()]
    return lines[-1] if lines else "nothing"


def is_shared(relative, size):
    """Whether a file of the template is hard-linked into the prefixes."""
    return len(relative.parts) > 1 and size >= SHARED_MIN_SIZE


def file_list(top):
    """{relative path: [size, mtime in ns, mode]} of every file (not link) under top."""
    files = {}
    for folder, _, names in os.walk(top):
        for name in names:
            path = Path(folder) / name
            if not path.is_symlink():
                info = path.stat()
                files[str(path.relative_to(top))] = [info.st_size, info.st_mtime_ns, info.st_mode]
    return files


def copy_wine_fonts(prefix):
    """Debian's Wine does not find its own fonts: give the prefix a copy, so
    that captions and message boxes are drawn in the faces they expect."""
    fonts = Path(prefix) / "drive_c" / "windows" / "Fonts"
    for own in map(Path, WINE_FONT_DIRS):
        if own.is_dir():
            fonts.mkdir(parents=True, exist_ok=True)
            for font in own.iterdir():
                if not (fonts / font.name).exists():
                    shutil.copy(font, fonts / font.name)


def make_template(arch, env, templates=TEMPLATES):
    """build/wine-template/ARCH by `wineboot -i`, with Wine's fonts, and
    ARCH.json beside it: the Wine that made it and its files as made."""
    final, made_in = templates / arch, templates / f"{arch}.making"
    for old in (final, made_in):
        shutil.rmtree(old, ignore_errors=True)
    templates.mkdir(parents=True, exist_ok=True)
    print(f"wine: making the {arch} template prefix {final} (once)", flush=True)
    env = wine_env(arch, made_in, env)
    command = [wine_loaders.loader(arch, env), "wineboot", "-i"]
    try:
        booted = subprocess.run(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                text=True, errors="replace", timeout=600, check=False)
        said = last_words(booted.stderr)
    except OSError as error:
        said = str(error)
    except subprocess.TimeoutExpired:
        said = "no end in 600 s"
    for actions in (["-w"], ["-k", "-w"]):  # wait for the registry to be saved; else end what still runs
        try:
            for action in actions:
                subprocess.run(["wineserver", action], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, timeout=120, check=False)
            break
        except subprocess.TimeoutExpired:
            pass
    if not (made_in / "system.reg").is_file():
        raise PrefixError(f"`{' '.join(command)}` made no {arch} prefix; it printed: {said}")
    copy_wine_fonts(made_in)
    os.rename(made_in, final)
    (templates / f"{arch}.json").write_text(json.dumps({
        "wine": wine_version(arch), "made": time.time_ns(), "files": file_list(final)}))


def template_identity(arch, templates=TEMPLATES):
    """What a prefix records of its template; None when there is no template."""
    try:
        made = json.loads((templates / f"{arch}.json").read_text())
    except (OSError, ValueError):
        return None
    if not (templates / arch / "system.reg").is_file():
        return None
    return f"{arch} {made['wine']} {made['made']}"


def clone(template, prefix, identity):
    """Makes prefix from template (see the module's description); a prefix
    already there is replaced."""
    prefix = Path(prefix)
    made_in = prefix.with_name(prefix.name + ".making")
    shutil.rmtree(made_in, ignore_errors=True)
    for folder, dirs, names in os.walk(template):
        relative = Path(folder).relative_to(template)
        (made_in / relative).mkdir(parents=True, exist_ok=True)
        for name in dirs + names:
            source, target = Path(folder) / name, made_in / relative / name
            if source.is_symlink():
                os.symlink(os.readlink(source), target)
            elif name in names:
                if is_shared(relative / name, source.stat().st_size):
                    try:
                        os.link(source, target)
                        continue
                    except OSError:  # another file system: a copy of its own
                        pass
                shutil.copy2(source, target)
    (made_in / STAMP).write_text(identity)
    shutil.rmtree(prefix, ignore_errors=True)
    os.rename(made_in, prefix)


def make(arch, prefix, env=None, templates=TEMPLATES):
    """The prefix ready for use: reused when it was made from the current
    template, else made from it (the template first, when there is none or
    another Wine made it). Returns True when the prefix was made."""
    if arch not in ("i686", "x86_64"):
        raise ValueError(f"unknown architecture {arch!r}")
    prefix = Path(prefix)
    templates.mkdir(parents=True, exist_ok=True)
    with open(templates / f"{arch}.lock", "w") as lock:  # suites of one architecture may start together
        fcntl.flock(lock, fcntl.LOCK_EX)
        identity = template_identity(arch, templates)
        if identity is None or not identity.startswith(f"{arch} {wine_version(arch)} "):
            make_template(arch, env, templates)
            identity = template_identity(arch, templates)
        try:
            if (prefix / "system.reg").is_file() and (prefix / STAMP).read_text() == identity:
                return False
        except OSError:
            pass
        print(f"wine: making the prefix {prefix} from the {arch} template", flush=True)
        prefix.parent.mkdir(parents=True, exist_ok=True)
        clone(templates / arch, prefix, identity)
        return True


def whole_seconds(listed):
    """A file_list entry with its time in whole seconds: a template copied
    through a virtual machine's shared folder keeps no finer times, and a
    program that writes through to a template does so seconds after it was made."""
    return listed and [listed[0], listed[1] // 1_000_000_000, listed[2]]


def verify(templates=TEMPLATES):
    """Problems found with the templates: a file changed, added or removed
    since the template was made (a program wrote through a hard link, so
    every prefix saw it), or a file the prefixes should copy that one shares."""
    problems = []
    for listing in sorted(templates.glob("*.json")):
        template = templates / listing.stem
        made = json.loads(listing.read_text())["files"]
        now = file_list(template)
        for name in sorted(set(made) | set(now)):
            if whole_seconds(made.get(name)) != whole_seconds(now.get(name)):
                problems.append(f"{template.name}/{name}: made as {made.get(name)}, now {now.get(name)}")
            elif not is_shared(Path(name), now[name][0]) and (template / name).stat().st_nlink != 1:
                problems.append(f"{template.name}/{name}: shared, though the prefixes should copy it")
    return problems


def main(argv):
    if len(argv) == 3 and argv[0] == "make":
        try:
            make(argv[1], argv[2])
        except PrefixError as error:
            print(f"wine: could not make the {argv[1]} prefix: {error}", file=sys.stderr)
            return 1
        return 0
    if argv == ["verify"]:
        checked = sorted(p.stem for p in TEMPLATES.glob("*.json"))
        problems = verify()
        for problem in problems:
            print(f"FAIL {problem}")
        if not checked:
            print("FAIL no template to check in", TEMPLATES)
            return 1
        print(f"templates {', '.join(checked)}: {'changed' if problems else 'as made'}")
        print(f"{0 if problems else 1} passed, {1 if problems else 0} failed")
        return 1 if problems else 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
