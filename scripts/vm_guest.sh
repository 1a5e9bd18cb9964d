#!/bin/bash
# The first process of the virtual machine of scripts/vm.py, started on this
# machine's root (shared read-only) with the project folder shared
# read-write. It gives the guest fresh kernel file systems and memory-backed
# folders where programs write, and keeps in memory what Wine reads and
# writes most, since Wine over the share is several times slower and a
# Windows executable run from it can crash at its entry:
#   - build/i686, the executables, copied;
#   - the i686 template prefix, copied from build/wine-template when it is
#     there, else made in memory by the job and copied back once it ends;
#   - the folders of the other prefixes, empty: the job makes its prefixes
#     from the template, as hard links.
# Logs and screenshots go to the share. Then it runs the job as the user who
# started the machine, checks that nothing wrote through to the template,
# writes the exit code beside the job and powers the machine off.
#   vm_guest.sh PROJECT JOB
project=$1
job=$2
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
for folder in /dev/shm /tmp /run /root /var/tmp /var/lib/xkb; do
    mount -t tmpfs tmpfs "$folder"
done
chmod 1777 /tmp /var/tmp /dev/shm
read -r uid gid <"$job/user"
echo "== tarnvel-vm: the command begins" >/dev/console
memory=/tmp/vm-memory

# Mounts a folder of memory over PROJECT/build/NAME, holding a copy of what
# was there when COPY is 1.
in_memory() {
    local name=$1 copy=$2 shared="$project/build/$1"
    mkdir -p "$memory/$name" "$shared"
    [ "$copy" = 1 ] && cp -a "$shared/." "$memory/$name/"
    chown -R "$uid:$gid" "$memory/$name"
    mount --bind "$memory/$name" "$shared"
}

in_memory i686 1
templates="$project/build/wine-template"
had_template=0
[ -f "$templates/i686.json" ] && [ -d "$templates/i686" ] && had_template=1
mkdir -p "$memory/wine-template"
if [ "$had_template" = 1 ]; then
    cp -a "$templates/i686" "$templates/i686.json" "$memory/wine-template/"
fi
chown -R "$uid:$gid" "$memory/wine-template"
mount --bind "$memory/wine-template" "$templates"
for prefixes in wine wine-e2e wine-matrix; do
    in_memory "$prefixes" 0
done

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
    umount "$templates"
    rm -rf "$templates/i686.copying"
    cp -a "$memory/wine-template/i686" "$templates/i686.copying" &&
        mv "$templates/i686.copying" "$templates/i686" &&
        cp "$memory/wine-template/i686.json" "$templates/i686.json"
fi
sync
busybox poweroff -f
