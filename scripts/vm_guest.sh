#!/bin/bash
# The first process of the virtual machine of scripts/vm.py, started on this
# machine's root (shared read-only) with the project folder shared
# read-write. It gives the guest fresh kernel file systems and memory-backed
# folders where programs write, and keeps in memory what Wine reads and
# writes most, since Wine over the share is several times slower and a
# Windows executable run from it can crash at its entry. So the build folder
# is memory, holding:
#   - i686, the executables, copied;
#   - the i686 template prefix, copied from build/wine-template when it is
#     there, else made in memory by the job and copied back once it ends;
#   - the prefixes the job makes from the template, as hard links;
#   - vm (the job) and e2e-artifacts (logs and screenshots), which are the
#     share's own folders.
# Then it runs the job as the user who started the machine, checks that
# nothing wrote through to the template, writes the exit code beside the job
# and powers the machine off.
#   vm_guest.sh PROJECT JOB
project=$1
job=$2
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
mkdir -p /dev/pts /dev/shm /dev/project
mount -t devpts devpts /dev/pts
# The project folder stays in view where memory covers a folder it lies in
# (a clone in /tmp or /root).
mount --bind "$project" /dev/project
for folder in /dev/shm /tmp /run /root /var/tmp /var/lib/xkb; do
    mount -t tmpfs -o size=75% tmpfs "$folder"
done
chmod 1777 /tmp /var/tmp /dev/shm
mkdir -p "$project"
mount --bind /dev/project "$project"
read -r uid gid <"$job/user"
echo "== tarnvel-vm: the command begins" >/dev/console
# The share's build folder stays reachable here while memory covers it.
shared=/tmp/shared-build
memory=/tmp/vm-memory
build="$project/build"
mkdir -p "$shared" "$memory" "$build/vm" "$build/e2e-artifacts"
mount --bind "$build" "$shared"
[ -d "$shared/i686" ] && cp -a "$shared/i686" "$memory/i686"
mkdir -p "$memory/wine-template" "$memory/vm" "$memory/e2e-artifacts"
had_template=0
if [ -f "$shared/wine-template/i686.json" ] && [ -d "$shared/wine-template/i686" ]; then
    had_template=1
    cp -a "$shared/wine-template/i686" "$shared/wine-template/i686.json" "$memory/wine-template/"
fi
chown -R "$uid:$gid" "$memory"
# One file system for the template and the prefixes, which are its hard links.
mount --bind "$memory" "$build"
mount --bind "$shared/vm" "$build/vm"
mount --bind "$shared/e2e-artifacts" "$build/e2e-artifacts"
templates="$build/wine-template"

as_user() {
    setpriv --reuid="$uid" --regid="$gid" --clear-groups "$@" </dev/null
}
as_user /bin/bash "$job/job.sh" >/dev/console 2>&1
code=$?
# No test may have written through a prefix's hard links to the template.
if [ -f "$templates/i686.json" ] && ! as_user python3 "$project/scripts/wine_prefix.py" verify >/tmp/verify.log 2>&1; then
    cat /tmp/verify.log >/dev/console
    [ "$code" = 0 ] && code=1
fi
echo "$code" >"$job/exit-code"
echo "== tarnvel-vm: the command ended" >/dev/console

# A template made here is kept for the next machine.
if [ "$had_template" = 0 ] && [ -f "$templates/i686.json" ]; then
    rm -rf "$shared/wine-template/i686.copying"
    mkdir -p "$shared/wine-template"
    cp -a "$templates/i686" "$shared/wine-template/i686.copying" &&
        rm -rf "$shared/wine-template/i686" &&
        mv "$shared/wine-template/i686.copying" "$shared/wine-template/i686" &&
        cp "$templates/i686.json" "$shared/wine-template/i686.json"
fi
sync
busybox poweroff -f
