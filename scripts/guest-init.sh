#!/bin/sh
# /init of the guest's initramfs (busybox; see scripts/guest-vm.sh). Mounts the
# host's root (9p tag "hostroot", read-only) under a tmpfs overlay, the run
# folder (9p tag "guestrun", read-write) at /guest, the kernel's modules at
# /lib/modules/VERSION, then runs /guest/run.sh chrooted in that root, writes
# its exit status to /guest/rc and powers off.
# Kernel command line: guest.modules=HOSTPATH, guest.shell=1 (a console shell).
export PATH=/bin
say() { echo "guest-init: $*"; }
stop() { say "$*"; poweroff -f; }

mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
# virtio, 9p and overlay, each after the modules it needs (named in order)
for m in /modules/*.ko; do insmod "$m" || say "insmod $m failed"; done
modules=
shell=
for a in $(cat /proc/cmdline); do
    case $a in
    guest.modules=*) modules=${a#guest.modules=} ;;
    guest.shell=1) shell=1 ;;
    esac
done

mount -t 9p -o ro,trans=virtio,version=9p2000.L,msize=262144,cache=loose hostroot /lower ||
    stop "cannot mount the host's root"
mount -t tmpfs -o mode=755 rw /rw
mkdir -p /rw/upper /rw/work
mount -t overlay -o lowerdir=/lower,upperdir=/rw/upper,workdir=/rw/work overlay /root ||
    stop "cannot make the overlay"
R=/root
mount -t proc proc $R/proc
mount -t sysfs sys $R/sys
mount -t devtmpfs dev $R/dev
mkdir -p $R/dev/pts $R/dev/shm
mount -t devpts -o ptmxmode=666 devpts $R/dev/pts
mount -t tmpfs shm $R/dev/shm
# what udev would make: bash's process substitution reads /dev/fd/N
ln -s /proc/self/fd $R/dev/fd
# the host's sockets, locks and Wine servers in /tmp and /run mean nothing here
rm -rf $R/tmp/.wine-* $R/tmp/.X*-lock $R/tmp/.X11-unix $R/run 2>/dev/null
mkdir -p $R/run/lock $R/guest
chmod 1777 $R/tmp
mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144,cache=none guestrun $R/guest ||
    stop "cannot mount the run folder"
if [ -n "$modules" ]; then
    version=$(uname -r)
    mkdir -p "$R/lib/modules/$version"
    mount --bind "$R$modules" "$R/lib/modules/$version"
fi
# the host polls for this line in the console to know the guest is up
say "up after $(cut -d' ' -f1 /proc/uptime) s"

if [ -n "$shell" ]; then
    setsid -c chroot $R /bin/bash -l </dev/ttyS0 >/dev/ttyS0 2>&1
else
    chroot $R /bin/bash /guest/run.sh </dev/null
fi
rc=$?
echo $rc >$R/guest/rc
sync
stop "run.sh exited $rc after $(cut -d' ' -f1 /proc/uptime) s"
