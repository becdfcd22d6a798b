#!/usr/bin/env bash
# A small virtual machine that boots Debian 12's own kernel on this machine's
# filesystem, for what the machine's own kernel cannot do (load the kernel's
# vivid test camera driver, say).
#
#   guest-vm.sh --setup            install qemu, fetch the kernel, make the initramfs
#   guest-vm.sh SCRIPT [ARGS...]   set up (first time only), boot, run SCRIPT (bash)
#                                  in the guest, power off; exit status = SCRIPT's
#   guest-vm.sh --shell            a shell on the guest's console (needs a terminal)
#
# The guest sees this machine's whole filesystem at the same paths, read-only
# through 9p under a tmpfs overlay (what it writes stays in the guest and goes
# with it), Debian's kernel modules at /lib/modules (modprobe works), and a
# read-write run folder at /guest: what SCRIPT writes under /guest/out is
# copied to $GUEST_OUT afterwards. The console (the script's output, the
# kernel's warnings) goes to stdout.
#
# Exit status: SCRIPT's; 125 when the guest could not be set up, did not boot
# within GUEST_BOOT_TIMEOUT, or ended without the script's status; 124 when
# the script did not end within GUEST_TIMEOUT. Each failure says so in a last
# line starting "guest-vm: ".
#
# How it works
#   * The kernel is the one Debian's linux-image-amd64 depends on, fetched with
#     apt-get download and unpacked with dpkg-deb -x (nothing installed), its
#     module index made with depmod -b.
#   * The initramfs holds busybox and the modules that mount the host's root
#     (virtio PCI, 9p, overlay); its /init is scripts/guest-init.sh.
#   * KVM where /dev/kvm offers it. A PVM hypervisor's /dev/kvm (kvm_pvm, KVM
#     without hardware virtualization, as on this project's machines) boots
#     only PVM-enabled guest kernels: Debian's hangs there right after it is
#     decompressed. There, and without /dev/kvm, qemu's TCG emulates the CPU,
#     with SMAP off: qemu 7.2's TCG makes the stack reads of a user-mode iretq
#     (Wine's system call dispatcher returns with one) supervisor accesses,
#     which SMAP turns into a kernel oops.
#
# The kernel and initramfs are cached in ~/.cache/vcxguest (GUEST_CACHE moves
# it; about 400 MB); the packages go into the system (scripts/setup.sh).
#
# Settings (environment)
#   GUEST_CACHE          state folder (default ~/.cache/vcxguest)
#   GUEST_ACCEL          auto (default), kvm or tcg
#   GUEST_MEMORY         default 3G;  GUEST_CPUS  default: this machine's CPUs
#   GUEST_OUT            where /guest/out goes (default ./guest-out)
#   GUEST_BOOT_TIMEOUT   seconds until the guest is up (default 60)
#   GUEST_TIMEOUT        seconds for the whole run (default 900)
#   GUEST_APPEND         more kernel command line arguments
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
CACHE=${GUEST_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vcxguest}

log() { printf 'guest-vm: %s\n' "$*" >&2; }
die() { log "$*"; exit 125; }

# The kernel version Debian's linux-image-amd64 depends on.
kernel_version() {
    apt-cache depends linux-image-amd64 2>/dev/null |
        awk '/Depends: linux-image-/ { sub("linux-image-", "", $2); print $2; exit }'
}

setup() {
    "$HERE/setup.sh" qemu-system-x86 busybox-static kmod v4l-utils >/dev/null ||
        die "the guest's packages could not be installed"
    local version
    version=$(kernel_version)
    if [ -z "$version" ]; then
        "$HERE/apt-retry.sh" apt-get -q update >/dev/null || true
        version=$(kernel_version)
    fi
    [ -n "$version" ] || die "apt knows no linux-image-amd64: no kernel version"
    local kernel=$CACHE/kernel-$version
    if [ ! -f "$kernel/.done" ]; then
        log "fetching linux-image-$version"
        rm -rf "$kernel" "$CACHE/debs"
        mkdir -p "$kernel" "$CACHE/debs"
        (cd "$CACHE/debs" && "$HERE/apt-retry.sh" apt-get -q -o APT::Sandbox::User=root download "linux-image-$version" >/dev/null) ||
            die "apt-get download linux-image-$version failed"
        dpkg-deb -x "$CACHE"/debs/linux-image-"$version"_*.deb "$kernel"
        rm -rf "$CACHE/debs"
        depmod -b "$kernel" "$version"
        touch "$kernel/.done"
    fi
    [ "$(cat "$CACHE/initramfs.id" 2>/dev/null)" = "$version $(md5sum <"$HERE/guest-init.sh")" ] &&
        return 0
    make_initramfs "$version"
}

# busybox, the modules that mount the host's root in load order (each one's
# dependencies first), and guest-init.sh as /init.
make_initramfs() {
    local version=$1 modules=$CACHE/kernel-$1/lib/modules/$1
    local root=$CACHE/initramfs
    rm -rf "$root"
    mkdir -p "$root"/{bin,dev,proc,sys,modules,lower,rw,root}
    cp /bin/busybox "$root/bin/busybox"
    local a
    for a in sh mount insmod cat echo cut mkdir rm chmod sync chroot setsid poweroff; do
        ln -s busybox "$root/bin/$a"
    done
    local n=0 loaded=" " m line f
    for m in virtio_pci 9pnet_virtio 9p overlay; do
        # modules.dep: "kernel/.../name.ko: dependency.ko ..." (the last loaded first)
        line=$(awk -F: -v m="$m" '{ b = $1; sub(".*/", "", b); sub("[.]ko.*$", "", b); gsub("-", "_", b) }
                                  b == m { print; exit }' "$modules/modules.dep")
        [ -n "$line" ] || die "the kernel has no module $m"
        for f in $(tr ' ' '\n' <<<"${line#*:}" | sed '/^$/d' | tac) "${line%%:*}"; do
            case $loaded in *" $f "*) continue ;; esac
            loaded="$loaded$f "
            n=$((n + 1))
            unpack_module "$modules/$f" "$root/modules/$(printf %02d $n)-$(basename "${f%.xz}")"
        done
    done
    cp "$HERE/guest-init.sh" "$root/init"
    chmod +x "$root/init"
    (cd "$root" && find . | /bin/busybox cpio -o -H newc 2>/dev/null | gzip -1) >"$CACHE/initramfs.gz"
    rm -rf "$root"
    echo "$version $(md5sum <"$HERE/guest-init.sh")" >"$CACHE/initramfs.id"
    log "initramfs made for kernel $version"
}

# busybox's insmod takes only uncompressed modules
unpack_module() {
    case $1 in
    *.xz) xz -dc "$1" >"$2" ;;
    *) cp "$1" "$2" ;;
    esac
}

# kvm where /dev/kvm is usable and not PVM's, else tcg
accelerator() {
    case ${GUEST_ACCEL:-auto} in
    kvm | tcg) echo "$GUEST_ACCEL" ;;
    auto) if [ -w /dev/kvm ] && [ ! -d /sys/module/kvm_pvm ]; then echo kvm; else echo tcg; fi ;;
    *) die "GUEST_ACCEL must be auto, kvm or tcg" ;;
    esac
}

# The qemu command line for the run folder $1 and extra kernel arguments $2,
# in qemu_command (with the accelerator in accel). (qemu's options hold commas.)
# shellcheck disable=SC2054
qemu_command() {
    local run=$1 extra=$2 version
    accel=$(accelerator)
    version=$(cat "$CACHE/initramfs.id")
    version=${version%% *}
    local kernel=$CACHE/kernel-$version
    qemu_command=(qemu-system-x86_64)
    case $accel in
    kvm) qemu_command+=(-enable-kvm -cpu host) ;;
    tcg) qemu_command+=(-accel tcg,thread=multi,tb-size=512 -cpu max,smap=off) ;;
    esac
    qemu_command+=(-m "${GUEST_MEMORY:-3G}" -smp "${GUEST_CPUS:-$(nproc)}" -no-reboot -nic none
        -kernel "$kernel/boot/vmlinuz-$version" -initrd "$CACHE/initramfs.gz"
        -append "console=ttyS0 quiet loglevel=3 panic=-1 guest.modules=$kernel/lib/modules/$version$extra${GUEST_APPEND:+ $GUEST_APPEND}"
        -fsdev local,id=hostroot,path=/,security_model=none,readonly=on,multidevs=remap
        -device virtio-9p-pci,fsdev=hostroot,mount_tag=hostroot
        -fsdev local,id=guestrun,path="$run",security_model=none,multidevs=remap
        -device virtio-9p-pci,fsdev=guestrun,mount_tag=guestrun)
}

# Boots the guest with run.sh in the run folder $1; prints the console,
# enforces the timeouts, and returns the script's status.
boot() {
    local run=$1 accel qemu_command reason
    qemu_command "$run" ""
    local console=$run/console.log
    : >"$console"
    "${qemu_command[@]}" -display none -monitor none -serial "file:$console" \
        </dev/null >"$run/qemu.log" 2>&1 &
    local qemu=$! start=$SECONDS
    tail -n +1 -s 0.5 --pid="$qemu" -f "$console" &
    local tailer=$!
    # shellcheck disable=SC2064
    trap "kill $qemu $tailer 2>/dev/null || true; rm -rf '$run'" EXIT

    local boot_limit=${GUEST_BOOT_TIMEOUT:-60} limit=${GUEST_TIMEOUT:-900} verdict=
    until grep -q '^guest-init: up' "$console"; do
        if ! kill -0 "$qemu" 2>/dev/null; then
            # the kernel's panic, else qemu's last word
            reason=$({ grep -m 1 -o 'Kernel panic.*' "$console" || grep . "$run/qemu.log" | tail -n 1; } |
                tr -d '\r' || true)
            verdict="qemu ended before the guest was up${reason:+: $reason}"
            break
        fi
        if [ $((SECONDS - start)) -ge "$boot_limit" ]; then
            verdict="the guest did not boot within $boot_limit s (accelerator $accel)"
            break
        fi
        sleep 0.5
    done
    if [ -z "$verdict" ]; then
        while kill -0 "$qemu" 2>/dev/null; do
            if [ $((SECONDS - start)) -ge "$limit" ]; then
                verdict="the guest's script did not end within $limit s"
                break
            fi
            sleep 1
        done
    fi
    kill "$qemu" 2>/dev/null || true
    wait "$qemu" 2>/dev/null || true
    wait "$tailer" 2>/dev/null || true
    log "the guest ran $((SECONDS - start)) s (accelerator $accel)"
    case $verdict in
    "") ;;
    *"did not end"*) log "$verdict"; return 124 ;;
    *) log "$verdict"; return 125 ;;
    esac
    [ -f "$run/rc" ] || { log "the guest stopped without the script's status"; return 125; }
    return "$(cat "$run/rc")"
}

case "${1:-}" in
"" | -h | --help) sed -n '2,22p' "$0"; exit 2 ;;
--setup) setup; exit 0 ;;
esac

setup
run=$(mktemp -d "$CACHE/run.XXXXXX")
mkdir -p "$run/out"
if [ "$1" = --shell ]; then
    trap 'rm -rf "$run"' EXIT
    : >"$run/run.sh"
    qemu_command "$run" " guest.shell=1"
    "${qemu_command[@]}" -nographic
    exit 0
fi
# the script, its arguments, and the machine's tools on the path
{ echo 'export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root'
  printf 'set --'; [ $# -gt 1 ] && printf ' %q' "${@:2}"; echo
  cat "$1"; } >"$run/run.sh"
status=0
boot "$run" || status=$?
if [ -n "$(ls -A "$run/out")" ]; then
    mkdir -p "${GUEST_OUT:-./guest-out}"
    cp -a "$run/out/." "${GUEST_OUT:-./guest-out}/"
fi
exit "$status"
