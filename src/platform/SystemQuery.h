#pragma once

// The machine's disks, mounts, swap areas, controllers and hardware facts, read through a Sysroot:
// the live system in the program, a captured fixture tree in tests. Nothing here decides letters or
// classes; it reports what the system says and, where a fact is missing, why.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/sysroot.h"

namespace bw {

// One whole disk (a row of the disk-drive query).
struct DiskInfo {
    int index = 0;               // position in natural name order: 0, 1, ...
    std::string name;            // "sda", "nvme0n1", "zram1"
    std::string transport;       // "ata", "usb", "nvme", "virtio", "scsi", "mmc", "ieee1394",
                                 // "loop", "zram", "ram", "" (unknown)
    std::string caption;         // "WDC WD10EZEX-00BN5A0 ATA Device"
    std::string interface_type;  // "IDE", "USB", "1394", "SCSI" or ""
    std::string manufacturer;    // vendor text of the device, trimmed ("ATA", "Samsung")
    std::optional<std::uint64_t> size_bytes;
    std::optional<std::uint32_t> bytes_per_sector;
    bool removable = false;
    bool rotational = false;
    std::string identity;    // "wwn:...", "serial:..." or "path:/dev/sda": what the disk is known by
    std::string controller;  // PCI address of the controller it hangs on, "" when none
    std::vector<std::string> reasons;  // facts that could not be read, and why
};

// One line of /proc/self/mountinfo, escapes resolved.
struct MountEntry {
    unsigned major = 0, minor = 0;
    std::string root;    // path inside the filesystem that is mounted here
    std::string target;  // mount point
    std::string fstype;
    std::string source;  // "/dev/sda1", "tmpfs", ...
    std::string options;
};

struct SwapEntry {
    std::string filename;  // "/swapfile", "/dev/sda3"
    std::string type;      // "file", "partition"
};

struct UsbHub {
    std::string device_id;    // "usb2"
    std::string description;  // "USB3 Root Hub" for 5000 Mbit/s and faster, else "USB2 Root Hub"
    int speed_mbps = 0;
};

struct IdeController {
    std::string device_id;    // PCI address
    std::string name;         // kernel driver ("ahci", "ata_piix", "mpt3sas")
    std::string description;  // "Serial ATA AHCI Controller", "Parallel ATA Controller", ...
};

struct ProcessorInfo {
    std::string name;               // "Intel(R) Core(TM) i7-3770 CPU @ 3.40GHz"
    std::string manufacturer;       // "GenuineIntel"
    std::string description;        // "x86_64 Family 6 Model 58 Stepping 9"
    std::string socket;             // SMBIOS socket designation, "" when unknown
    std::string max_clock_mhz;      // "3400" or ""
    std::string current_clock_mhz;  // "3401" or ""
};

// Filesystem identity of a block device.
struct FsIdentity {
    std::string type, uuid, label;
    std::string reason;  // why it is incomplete, "" when found
};

struct FsSpace {
    std::uint64_t block_size = 0;    // f_frsize
    std::uint64_t blocks = 0;        // f_blocks
    std::uint64_t free_blocks = 0;   // f_bfree
    std::uint64_t avail_blocks = 0;  // f_bavail (what an unprivileged writer may use)
    std::uint64_t files = 0, free_files = 0;
    std::uint64_t total_bytes() const { return blocks * block_size; }
    std::uint64_t avail_bytes() const { return avail_blocks * block_size; }
};

struct DeviceBytes {
    std::string bytes;  // what was read (may be shorter than asked at the end of a device)
    std::string error;  // "" when the read worked
};

class SystemQuery {
  public:
    explicit SystemQuery(Sysroot root = Sysroot("/"));
    const Sysroot& sysroot() const { return root_; }

    // Whole disks in natural name order (sdz before sdaa, loop2 before loop10), with their index.
    // Stacked devices (dm, md), partitions, optical drives, floppies and loop/zram devices that are
    // not set up are left out.
    std::vector<DiskInfo> disks() const;
    // Optical drive names ("sr0").
    std::vector<std::string> optical_drives() const;
    // Names of the whole disks beneath a block device: a partition's parent, a dm/md device's
    // slaves followed down, a disk itself. Empty when the device is unknown.
    std::vector<std::string> disks_under(const std::string& device_name) const;
    // Block device name ("sda1", "dm-0") for a device number, or for a "/dev/..." source.
    std::string device_name(unsigned major, unsigned minor, const std::string& source) const;
    // The device node to open for the same device: /dev/ and the kernel's own name for it (DEVNAME
    // of its uevent, "cciss/c0d0" where sysfs says "cciss!c0d0"), which exists without udev,
    // unlike /dev/block/MAJ:MIN. "" when the device is unknown.
    std::string device_node(unsigned major, unsigned minor, const std::string& source) const;
    bool is_removable_disk(const std::string& disk_name) const;
    // The file behind a loop device ("" for another device or a loop device without one).
    std::string loop_backing_file(const std::string& disk_name) const;
    // The system trims its filesystems periodically (fstrim.timer is enabled).
    bool periodic_trim_enabled() const;

    std::vector<MountEntry> mounts(std::string* error = nullptr) const;
    std::vector<SwapEntry> swaps() const;

    FsIdentity identify(const std::string& device_name) const;
    std::optional<FsSpace> space(const std::string& mount_point,
                                 std::string* error = nullptr) const;
    // Reads `length` bytes at `offset` of /dev/<name> (read-only).
    DeviceBytes read_device(const std::string& device_name, std::uint64_t offset,
                            std::size_t length) const;
    // A filesystem statistic exposed by the kernel, e.g. ("ext4", "sda1", "errors_count").
    std::optional<std::string> fs_statistic(const std::string& fstype,
                                            const std::string& device_name,
                                            const std::string& key) const;
    // A folder this process may create files in, and the filesystem it is on (live system only).
    bool writable_folder(const std::string& path) const;
    std::optional<std::uint64_t> filesystem_id(const std::string& path) const;
    // Health of a mounted XFS as its kernel driver knows it: metadata found damaged (`sick`) among
    // the parts it has checked. nullopt with the reason when the driver does not say (live only).
    struct XfsHealth {
        std::uint32_t sick = 0, checked = 0;
    };
    std::optional<XfsHealth> xfs_health(const std::string& mount_point, std::string* error) const;
    // Error counters of a mounted btrfs (summed over its devices), nullopt when not exposed.
    std::optional<std::uint64_t> btrfs_error_count(const std::string& uuid) const;

    std::vector<UsbHub> usb_hubs() const;
    std::vector<IdeController> ide_controllers() const;

    // One record per processor package; the first carries the socket when SMBIOS has it.
    std::vector<ProcessorInfo> processors() const;
    int online_processors() const;
    std::string board_product() const;               // "" when unknown
    std::string system_model() const;                // "" when unknown
    std::string bios_version() const;                // "" when unknown
    std::vector<std::string> memory_speeds() const;  // per installed module, MT/s as text
    std::string os_name() const;                     // PRETTY_NAME of os-release

  private:
    Sysroot root_;
};

// Natural name order of block devices.
bool disk_name_less(const std::string& a, const std::string& b);

// Resolves the octal escapes the kernel writes in /proc files ("\040" for a blank).
std::string unescape_octal(const std::string& text);

// The program-wide service; tests install one over a fixture.
SystemQuery& system_query();
void set_system_query(std::shared_ptr<SystemQuery> query);  // nullptr restores the live one

}  // namespace bw
