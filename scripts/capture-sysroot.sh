#!/bin/bash
# Copies the files Brantwell reads to know a machine's disks, volumes and system facts into a new
# folder, so that the drive list of a machine can be reproduced elsewhere:
#
#   scripts/capture-sysroot.sh DEST          (as root for SMBIOS and superblocks; works without)
#   brantwell-cli drives --sysroot DEST      shows what the program saw
#
# Only what is needed is taken: sysfs attributes of block devices, controllers and USB hubs, the
# mount table, swap areas, processor and DMI facts, os-release, the filesystem type/UUID/label of
# each device (not serial numbers), statvfs figures of each mount point and, when readable, the
# first 2 KiB of each mounted ext2/3/4 device (its superblock, for the dirty check). Attach the
# folder (tar czf) to a bug report.
set -u
umask 022

if [ $# -ne 1 ]; then
    echo "usage: $0 DEST" >&2
    exit 2
fi
DEST=$1
if [ -e "$DEST" ] && [ -n "$(ls -A "$DEST" 2>/dev/null)" ]; then
    echo "$0: $DEST exists and is not empty" >&2
    exit 1
fi
mkdir -p "$DEST" || exit 1

# copy_file ABS: the file's content (not a link) at the same path beneath DEST.
copy_file() {
    local src=$1
    [ -r "$src" ] && [ -f "$src" ] || return 0
    mkdir -p "$DEST$(dirname "$src")"
    cat "$src" >"$DEST$src" 2>/dev/null || rm -f "$DEST$src"
}

# copy_link ABS: the symlink itself, with its (relative) target unchanged.
copy_link() {
    local src=$1
    [ -L "$src" ] || return 0
    mkdir -p "$DEST$(dirname "$src")"
    ln -sfn "$(readlink "$src")" "$DEST$src"
}

# Attributes of a block device folder that the inventory reads.
BLOCK_FILES="size removable hidden dev partition queue/logical_block_size queue/rotational
device/vendor device/model device/name loop/backing_file dm/name"

copy_block_dir() {
    local dir=$1 f
    for f in $BLOCK_FILES; do copy_file "$dir/$f"; done
    for f in "$dir"/slaves/*; do copy_link "$f"; done
}

for link in /sys/block/*; do
    [ -L "$link" ] || continue
    copy_link "$link"
    real=$(readlink -f "$link") || continue
    copy_block_dir "$real"
    for part in "$real"/*/partition; do
        [ -e "$part" ] && copy_block_dir "$(dirname "$part")"
    done
done
for link in /sys/class/block/* /sys/dev/block/*; do copy_link "$link"; done
for id in /sys/class/ata_device/*/id; do copy_file "$id"; done
for hub in /sys/bus/usb/devices/usb*; do copy_file "$hub/speed"; done
for dev in /sys/bus/pci/devices/*; do
    copy_file "$dev/class"
    copy_link "$dev/driver"
done
for f in board_name product_name bios_version; do copy_file "/sys/class/dmi/id/$f"; done
for entry in /sys/firmware/dmi/entries/0-* /sys/firmware/dmi/entries/2-* \
    /sys/firmware/dmi/entries/4-* /sys/firmware/dmi/entries/17-*; do
    copy_file "$entry/raw"
done
copy_file /sys/devices/system/cpu/online
copy_file /sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq
for stat in /sys/fs/ext4/*/*; do
    case "$(basename "$stat")" in
    errors_count | warning_count | lifetime_write_kbytes | session_write_kbytes | first_error_time | \
        last_error_time | delayed_allocation_blocks | reserved_clusters) copy_file "$stat" ;;
    esac
done
for stat in /sys/fs/btrfs/*/devinfo/*/error_stats; do copy_file "$stat"; done

mkdir -p "$DEST/proc/self"
cat /proc/self/mountinfo >"$DEST/proc/self/mountinfo"
copy_file /proc/swaps
copy_file /proc/cpuinfo
copy_file /proc/sys/kernel/arch
copy_file /etc/os-release

# Filesystem identity only, from the udev database (it also holds serial numbers: left out).
for db in /run/udev/data/b*; do
    [ -r "$db" ] || continue
    lines=$(grep -E '^E:ID_FS_(TYPE|UUID|LABEL)=' "$db")
    [ -n "$lines" ] || continue
    mkdir -p "$DEST/run/udev/data"
    printf '%s\n' "$lines" >"$DEST$db"
done
if [ -r "/run/udev/data/+dmi:id" ]; then
    mkdir -p "$DEST/run/udev/data"
    grep -E '^E:MEMORY_DEVICE_[0-9]+_(PRESENT|SPEED_MTS|CONFIGURED_SPEED_MTS|SIZE)=' \
        "/run/udev/data/+dmi:id" >"$DEST/run/udev/data/+dmi:id"
fi

# Mounted devices without a udev record (no udev on this machine): ask blkid, which needs root.
while read -r _ _ devno _rest; do
    [ -e "$DEST/run/udev/data/b$devno" ] && continue
    name=$(basename "$(readlink -f "/sys/dev/block/$devno" 2>/dev/null)")
    if [ -z "$name" ] || [ ! -b "/dev/$name" ]; then continue; fi
    lines=$(blkid -o udev "/dev/$name" 2>/dev/null | grep -E '^ID_FS_(TYPE|UUID|LABEL)=' | sed -e 's/^/E:/')
    [ -n "$lines" ] || continue
    mkdir -p "$DEST/run/udev/data"
    printf '%s\n' "$lines" >"$DEST/run/udev/data/b$devno"
done </proc/self/mountinfo

# statvfs of every mount point: "<frsize> <blocks> <bfree> <bavail> <files> <ffree> <mount point
# escaped as in mountinfo>", and the superblock of mounted ext filesystems.
mkdir -p "$DEST/brantwell-capture"
: >"$DEST/brantwell-capture/statvfs"
while read -r _ _ devno _ target _rest; do
    # shellcheck disable=SC2059  # the kernel's \ooo escapes are resolved by printf %b
    path=$(printf '%b' "$target")
    figures=$(stat -f -c '%S %b %f %a %c %d' -- "$path" 2>/dev/null) || continue
    printf '%s %s\n' "$figures" "$target" >>"$DEST/brantwell-capture/statvfs"
done </proc/self/mountinfo
while read -r _ _ devno _ _ _ rest; do
    fstype=$(printf '%s' "$rest" | sed -e 's/.* - //' | cut -d' ' -f1)
    case "$fstype" in ext2 | ext3 | ext4) ;; *) continue ;; esac
    name=$(basename "$(readlink -f "/sys/dev/block/$devno" 2>/dev/null)")
    if [ -z "$name" ] || [ ! -b "/dev/$name" ]; then continue; fi
    mkdir -p "$DEST/dev"
    dd if="/dev/$name" of="$DEST/dev/$name" bs=2048 count=1 status=none 2>/dev/null ||
        rm -f "$DEST/dev/$name"
done </proc/self/mountinfo

echo "captured into $DEST ($(find "$DEST" | wc -l) entries)"
echo "check it with: brantwell-cli drives --sysroot $DEST"
