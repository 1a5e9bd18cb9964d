#!/usr/bin/env python3
"""A virtual machine for the suites that need the i686 program under Wine,
on a machine whose kernel runs no 32-bit programs.

Debian's own amd64 kernel runs them, and QEMU boots it here by software
emulation. Its root file system is this machine's root, shared read-only
over 9p, so the guest runs the very Wine, Xvfb, xdotool, ImageMagick and
Python that scripts/setup.sh installed; the project folder is shared
read-write at the same path, so a suite writes its prefixes, logs and
screenshots where it would here. A Windows executable run straight from
the share can crash at its entry, so the guest copies build/i686 into its
own memory and mounts the copy over that folder.

The kernel comes from Debian's package (`apt-get download`, unpacked into
build/vm; nothing is installed) and a small initramfs of busybox and the
9p modules; both are made once and reused.

    scripts/vm.py prepare          # kernel and initramfs in build/vm (once)
    scripts/vm.py probe            # exits 0 when the machine starts and runs a command
    scripts/vm.py run [--timeout S] [--name NAME] -- COMMAND
                                   # COMMAND, from the project folder, in the machine

Every wait has a deadline that fires whether or not the guest prints: on
it, and on Ctrl+C or SIGTERM, QEMU is ended and waited for, and the line
says what ran out of time. QEMU also dies with the process that started it.
"""

import ctypes
import hashlib
import json
import os
import queue
import re
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
VM_DIR = ROOT / "build" / "vm"
GUEST_SCRIPT = ROOT / "scripts" / "vm_guest.sh"
# virtio_pci finds the shared folders, 9pnet_virtio carries 9p over them, 9p mounts them.
MODULES = ["virtio_pci", "9pnet_virtio", "9p"]
MEMORY_MB = 4096
# The probe boots a machine and runs `true`: about 5 s, far longer on a loaded machine.
PROBE_SECONDS = 300
CPUS = 2
# The guest's clocks run at the host's pace, its programs about three times slower.
SLOWDOWN = 3
# Handed to the guest's commands from this machine's environment; everything
# else is left out, above all the run's decision about 32-bit programs, which
# the guest makes again for itself.
DECISION, DECISION_WHY = "TARNVEL_VM", "TARNVEL_VM_WHY"
# The guest script's lines around the command's output.
JOB_BEGINS, JOB_ENDS = "== tarnvel-vm: the command begins", "== tarnvel-vm: the command ended"
PASSED_ON = ("PATH", "LANG", "LC_ALL", "TZ", "TARNVEL_SOAK_SEED")

# The initramfs's /init: loads the modules, mounts this machine's root
# read-only and the project folder read-write at its own path, and hands
# over to scripts/vm_guest.sh there.
INIT = r"""#!/bin/busybox sh
export PATH=/bin
busybox mount -t proc proc /proc
busybox mount -t devtmpfs dev /dev
for module in $(busybox cat /modules.order); do busybox insmod "/modules/$module" || exit 1; done
project= ; job=
for word in $(busybox cat /proc/cmdline); do
    case "$word" in
        tarnvel.project=*) project=${word#tarnvel.project=} ;;
        tarnvel.job=*) job=${word#tarnvel.job=} ;;
    esac
done
options=trans=virtio,version=9p2000.L,msize=512000
busybox mkdir -p /newroot
busybox mount -t 9p -o "$options,ro,cache=loose" hostroot /newroot || exit 1
busybox mount -t 9p -o "$options,rw,cache=loose" project "/newroot$project" || exit 1
busybox umount /dev
busybox umount /proc
exec busybox switch_root /newroot /bin/bash "$project/scripts/vm_guest.sh" "$project" "$job"
"""


class VmError(RuntimeError):
    """The virtual machine could not be made or started; the message says why."""


def run_quietly(command, timeout=600, **kwargs):
    try:
        done = subprocess.run(command, capture_output=True, text=True, errors="replace", timeout=timeout,
                              stdin=subprocess.DEVNULL, **kwargs)
    except subprocess.TimeoutExpired:
        raise VmError(f"`{' '.join(map(str, command))}` gave no answer in {timeout} s") from None
    except OSError as error:
        raise VmError(f"`{command[0]}` cannot run: {error.strerror or error}") from None
    if done.returncode != 0:
        said = (done.stderr or done.stdout).strip().splitlines()
        raise VmError(f"`{' '.join(map(str, command))}` exited {done.returncode}" + (f": {said[-1]}" if said else ""))
    return done.stdout


def kernel_package():
    """The kernel package Debian's linux-image-amd64 stands for."""
    for attempt in range(2):
        listed = subprocess.run(["apt-cache", "depends", "linux-image-amd64"], capture_output=True, text=True)
        named = re.search(r"Depends:\s*(linux-image-\S+)", listed.stdout)
        if named:
            return named.group(1)
        if attempt == 0:  # no package lists yet on a fresh machine
            run_quietly(["sudo", "-n", "apt-get", "update", "-q"] if os.geteuid() else ["apt-get", "update", "-q"],
                        timeout=600)
    raise VmError("apt-cache knows no package behind linux-image-amd64")


def module_order(dependencies, wanted):
    """The module files to load, each after those it depends on, from the
    lines of modules.dep ("kernel/x.ko: kernel/dep.ko ...")."""
    deps = {}
    for line in dependencies.splitlines():
        if ":" in line:
            module, needs = line.split(":", 1)
            deps[module] = needs.split()
    by_name = {Path(module).name.split(".")[0].replace("-", "_"): module for module in deps}
    order = []

    def visit(module):
        if module in order:
            return
        for need in reversed(deps.get(module, [])):
            visit(need)
        order.append(module)

    for name in wanted:
        if name not in by_name:
            raise VmError(f"the kernel has no module {name}")
        visit(by_name[name])
    return order


def cpio_newc(entries):
    """A newc cpio archive of (name, mode, data) entries, as the kernel
    unpacks an initramfs."""
    out = bytearray()
    for number, (name, mode, data) in enumerate(entries + [("TRAILER!!!", 0, b"")], start=1):
        encoded = name.encode() + b"\0"
        fields = [number, mode, 0, 0, 1, 0, len(data), 0, 0, 0, 0, len(encoded), 0]
        out += b"070701" + b"".join(b"%08X" % field for field in fields) + encoded
        out += b"\0" * (-len(out) % 4) + data
        out += b"\0" * (-len(out) % 4)
    return bytes(out)


def initramfs(tree, version, busybox="/bin/busybox"):
    """The initramfs: busybox, the modules in load order and /init."""
    modules = Path(tree) / "lib" / "modules" / version
    order = module_order((modules / "modules.dep").read_text(), MODULES)
    entries = [(folder, 0o40755, b"") for folder in ("bin", "dev", "proc", "modules")]
    entries.append(("bin/busybox", 0o100755, Path(busybox).read_bytes()))
    entries += [(f"modules/{Path(m).name}", 0o100644, (modules / m).read_bytes()) for m in order]
    entries.append(("modules.order", 0o100644, "".join(Path(m).name + "\n" for m in order).encode()))
    entries.append(("init", 0o100755, INIT.encode()))
    return cpio_newc(entries)


def stamp_of(package):
    """What the kernel and initramfs in build/vm were made from."""
    return f"{package} {hashlib.sha256(INIT.encode()).hexdigest()[:16]}"


def prepare(vm_dir=VM_DIR):
    """The kernel and initramfs in vm_dir, made on first use; returns their paths."""
    stamp_file, kernel, initrd = vm_dir / "made-from", vm_dir / "vmlinuz", vm_dir / "initrd.img"
    if stamp_file.is_file() and kernel.is_file() and initrd.is_file():
        package = stamp_file.read_text().split()[0]
        if stamp_file.read_text() == stamp_of(package):
            return kernel, initrd
    for tool, package in (("apt-get", "apt"), ("dpkg-deb", "dpkg"), ("depmod", "kmod")):
        if not shutil.which(tool) and not Path("/sbin", tool).exists():
            raise VmError(f"{tool} is not installed: install the package {package} (scripts/setup.sh does)")
    if not Path("/bin/busybox").is_file():
        raise VmError("busybox is not installed: install the package busybox-static (scripts/setup.sh does)")
    package = kernel_package()
    vm_dir.mkdir(parents=True, exist_ok=True)
    work = Path(tempfile.mkdtemp(prefix="making-", dir=vm_dir))
    work.chmod(0o755)  # apt-get download writes as its own user
    try:
        print(f"vm: making the guest's kernel and initramfs from {package} (once)", flush=True)
        run_quietly(["apt-get", "download", package], cwd=work)
        deb = next(work.glob("*.deb"))
        run_quietly(["dpkg-deb", "-x", str(deb), str(work / "tree")])
        version = package[len("linux-image-"):]
        depmod = shutil.which("depmod") or "/sbin/depmod"
        run_quietly([depmod, "-b", str(work / "tree"), version])
        # Written beside and renamed, so that a reader sees the old files or the new ones, never half of one.
        shutil.copy(work / "tree" / "boot" / f"vmlinuz-{version}", work / "vmlinuz")
        (work / "initrd.img").write_bytes(initramfs(work / "tree", version))
        (work / "made-from").write_text(stamp_of(package))
        for name in ("vmlinuz", "initrd.img", "made-from"):
            os.replace(work / name, vm_dir / name)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return kernel, initrd


def job_script(command, env, slowdown=SLOWDOWN):
    """The shell script the guest runs: the environment, then the command
    from the project folder, as the user who started the machine."""
    lines = ["#!/bin/bash", f"# {len(command)} words, run in the virtual machine"]
    exports = {name: env[name] for name in PASSED_ON if name in env}
    exports.update(HOME="/tmp/home", TARNVEL_IN_VM="1", TARNVEL_SLOWDOWN=str(slowdown))
    lines += [f"export {name}={shlex.quote(value)}" for name, value in sorted(exports.items())]
    lines += ["mkdir -p \"$HOME\"", f"cd {shlex.quote(str(ROOT))}", shlex.join(command)]
    return "\n".join(lines) + "\n"


def qemu_command(kernel, initrd, job):
    return ["qemu-system-x86_64", "-accel", "tcg,thread=multi", "-cpu", "qemu64", "-smp", str(CPUS),
            "-m", str(MEMORY_MB), "-nographic", "-nic", "none", "-no-reboot", "-monitor", "none",
            "-kernel", str(kernel), "-initrd", str(initrd),
            "-append", f"console=ttyS0 quiet loglevel=1 panic=-1 tarnvel.project={ROOT} tarnvel.job={job}",
            "-fsdev", "local,id=hostroot,path=/,readonly=on,security_model=none,multidevs=remap",
            "-device", "virtio-9p-pci,fsdev=hostroot,mount_tag=hostroot",
            "-fsdev", f"local,id=project,path={ROOT},security_model=none,multidevs=remap",
            "-device", "virtio-9p-pci,fsdev=project,mount_tag=project"]


class Stopped(Exception):
    """SIGTERM reached this process while a machine ran."""


class Interrupted(VmError):
    """Ctrl+C or SIGTERM stopped the machine: the caller was asked to end."""


def stop_on_sigterm(signum, frame):
    """A SIGTERM handler that raises Stopped where the process is."""
    raise Stopped()


def die_with_parent(sig=signal.SIGKILL):
    """For preexec_fn: the kernel sends the child sig when the thread that
    started it ends, however that ends (PR_SET_PDEATHSIG)."""
    ctypes.CDLL(None, use_errno=True).prctl(1, sig)


def end_machine(machine):
    """Ends QEMU and waits for it, whatever state it is in."""
    if machine.poll() is None:
        machine.kill()
    machine.wait()


def machine_lines(machine, lines):
    """Passes the machine's output lines on to a queue, then None at its end."""
    for line in iter(machine.stdout.readline, b""):
        lines.put(line)
    lines.put(None)


def run(command, timeout=3600, env=None, out=sys.stdout, name=None, machine_command=None):
    """Runs command in a fresh virtual machine, its output passed on to out
    as it comes; returns its exit code. Raises VmError when the machine does
    not start, ends without an answer or runs past its deadline, which fires
    whether or not it prints; QEMU is ended and waited for on every path out.
    machine_command stands in for QEMU's (given the job folder), in tests."""
    what = name or shlex.join(command)
    if " " in str(ROOT):
        raise VmError(f"the project folder's path has a blank, which the kernel's command line cannot carry: {ROOT}")
    if machine_command is None:
        if not shutil.which("qemu-system-x86_64"):
            raise VmError("qemu-system-x86_64 is not installed: install the package qemu-system-x86 "
                          "(scripts/setup.sh does)")
        kernel, initrd = prepare()
        machine_command = lambda job: qemu_command(kernel, initrd, job)  # noqa: E731
    jobs = VM_DIR / "jobs"
    jobs.mkdir(parents=True, exist_ok=True)
    job = Path(tempfile.mkdtemp(prefix=f"{os.getpid()}-", dir=jobs))
    (job / "job.sh").write_text(job_script(command, dict(os.environ if env is None else env)))
    (job / "user").write_text(f"{os.getuid()} {os.getgid()}\n")
    on_main_thread = threading.current_thread() is threading.main_thread()
    if on_main_thread:
        previous = signal.signal(signal.SIGTERM, stop_on_sigterm)
    machine = None
    try:
        machine = subprocess.Popen(machine_command(job), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                   stderr=subprocess.STDOUT, preexec_fn=die_with_parent)
        lines = queue.Queue()
        threading.Thread(target=machine_lines, args=(machine, lines), daemon=True).start()
        deadline = time.monotonic() + timeout
        said, running = [], None  # the firmware's and the kernel's words are kept apart from the command's
        while True:
            try:
                line = lines.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                raise VmError(f"{what}: no end in {timeout:g} s; the virtual machine was stopped") from None
            if line is None:
                break
            text = line.decode("utf-8", "replace").replace("\r", "")
            if JOB_BEGINS in text or JOB_ENDS in text:  # the firmware's screen codes may come first
                running = JOB_BEGINS in text
            elif running:
                out.write(text)
                out.flush()
            elif text.strip():
                said.append(text.strip())
        machine.wait()
        answer = job / "exit-code"
        if not answer.is_file():
            raise VmError(f"{what}: the virtual machine ended (QEMU exited {machine.returncode}) without running "
                          "the command" + (f"; it last said: {said[-1]}" if said else ""))
        return int(answer.read_text().strip() or 1)
    except (KeyboardInterrupt, Stopped):
        raise Interrupted(f"{what}: stopped by a signal; the virtual machine was stopped") from None
    finally:
        if machine is not None:
            end_machine(machine)
        if on_main_thread:
            signal.signal(signal.SIGTERM, previous)
        shutil.rmtree(job, ignore_errors=True)


def probe():
    """(True, "") when the machine can be made and runs a command, else (False, why)."""
    try:
        with open(os.devnull, "w") as quiet:
            code = run(["true"], timeout=PROBE_SECONDS, out=quiet, name="the probe")
    except Interrupted:
        raise
    except (VmError, OSError) as error:
        return False, str(error)
    return (True, "") if code == 0 else (False, f"a command in it exited {code}")


def decide(env=None):
    """Whether the machine starts, as (True, "") or (False, why): probed once
    per run and kept in the environment (TARNVEL_VM, TARNVEL_VM_WHY) for the
    programs the run starts."""
    env = os.environ if env is None else env
    if env.get(DECISION) not in ("runs", "fails"):
        runs, why = probe()
        env[DECISION], env[DECISION_WHY] = ("runs" if runs else "fails"), why
    return env[DECISION] == "runs", env.get(DECISION_WHY, "")


def main(argv):
    if argv == ["prepare"]:
        print(json.dumps([str(p) for p in prepare()]))
        return 0
    if argv == ["probe"]:
        runs, why = probe()  # ends with its own line on every path
        print("the virtual machine runs" if runs else f"the virtual machine cannot start: {why}")
        return 0 if runs else 1
    if argv[:1] == ["run"] and "--" in argv:
        options, command = argv[1:argv.index("--")], argv[argv.index("--") + 1:]
        settings = dict(zip(options[::2], options[1::2]))
        if len(options) % 2 or set(settings) - {"--timeout", "--name"} or not command:
            print(__doc__, file=sys.stderr)
            return 2
        try:
            return run(command, timeout=float(settings.get("--timeout", 3600)), name=settings.get("--name"))
        except VmError as error:
            print(f"vm: {error}", file=sys.stderr, flush=True)
            return 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
