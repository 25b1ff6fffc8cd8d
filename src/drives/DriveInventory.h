#pragma once

// The drive inventory of the main window: what the machine's disks are, how each is classed, and
// the drive list the user picks from. The list-shaped members keep the main window's line
// formats: per-disk lines start with the disk index in a two-character field ("0 ", "12").

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "drives/VolumeMap.h"
#include "platform/SystemQuery.h"

namespace bw {

// Rows of the system queries the inventory runs, in the shape it reads them.
struct PageFileRecord {
    std::string Drive;  // "C:"
};
struct LogicalDiskRecord {
    std::string Caption;  // "D:"
    int DriveType = 3;    // 2 removable, 3 local, 4 network, 5 optical
    std::string Size;     // bytes as text, "" when unknown
    std::string VolumeName;
};
struct DiskDriveRecord {
    int Index = 0;
    std::string Caption, InterfaceType, Manufacturer, Size, BytesPerSector;
};
struct UsbHubRecord {
    std::string Description, DeviceID;
};
struct IdeControllerRecord {
    std::string Description, Name;
};

struct DriveQueries {
    std::vector<PageFileRecord> page_files;
    std::vector<LogicalDiskRecord> logical_disks;
    std::vector<DiskDriveRecord> disk_drives;
    std::vector<UsbHubRecord> usb_hubs;
    std::vector<IdeControllerRecord> controllers;
};

// The queries answered from the system and the volume map.
DriveQueries RunDriveQueries(const SystemQuery& query, const std::vector<DiskInfo>& disks,
                             const VolumeMap& map);

// The counter instances of the disk objects as the volume map names them: "0 C: D:" per disk
// (a disk without letters is just its number) and "C:" per lettered volume.
std::vector<std::string> PhysicalDiskInstances(const std::vector<DiskInfo>& disks,
                                               const VolumeMap& map);
std::vector<std::string> LogicalDiskInstances(const VolumeMap& map);
// The main window's list walk over instance names: no "_Total", logical names of exactly two
// characters, physical names of two or more, each once.
std::vector<std::string> FilterInstances(const std::vector<std::string>& names, bool logical);

struct DriveInventory {
    std::vector<std::string> PhysicalList, LogicalList, Buffer;
    std::vector<std::string> PhysicalList2, PhysicalList3, PhysicalList4;
    std::vector<std::string> ClusterList, ClusterList2, LogicalLabel2, DVD, DriveList;

    std::string page_file_letters;  // "C", "CD"
    char windows_drive = 'C';
    bool ssd_present = false, hdd_present = false, usb3 = false;
    bool pata = false, sata = false, scsi = false, ahci = false;
    std::string selected_disk;  // two characters after "[PD " of the selected entry
    int selected_index = -1;
};

// The program-wide inventory.
DriveInventory& drive_inventory();

// Two-character index field of a per-disk line ("0 ", "12").
std::string IndexField(int index);

// Classifies a disk's interface text ("SSD", "SSD SATA3", "HDD", "RAM 1333 Mhz", "NET", "USB",
// ...) and notes the SSD-present and hard-disk-present flags. `mems` is the memory speed text.
std::string ClassifyInterface(const DiskDriveRecord& disk, const std::string& mems,
                              DriveInventory& inv);

struct GetDriveOptions {
    std::filesystem::path working_ini;  // where the "Drive<i>" sections go; empty: not written
    std::string mems;                   // memory speed text of the system facts
    std::function<void()> progress;     // the splash window's indicator
};

// Page files, logical disks and disk drives: fills the per-disk lists, the flags and the
// settings keys, and decodes every disk's model.
void GetDrive(DriveInventory& inv, const DriveQueries& q, const GetDriveOptions& options);
// The USB hub and controller queries: set the flags.
void QueryUsbHubs(DriveInventory& inv, const DriveQueries& q);
void QueryControllers(DriveInventory& inv, const DriveQueries& q);

struct DriveListOptions {
    std::function<void()> progress;
    // The quick baseline read of a letter whose stored baseline is empty (key = the entry from its
    // fifth character on). Not set: no baseline is taken here.
    std::function<void(char letter, const std::string& key)> baseline;
};

// "Check Drives": DriveList from LogicalList and the per-disk lists.
void BuildDriveList(DriveInventory& inv, const DriveListOptions& options = {});
// "Compare Data": local disks only the logical-disk query found join the list.
void AddSupplementaryEntries(DriveInventory& inv, const DriveListOptions& options = {});

// The size and free-space figures of a letter.
struct FreeSpaceFigures {
    char letter = 0;
    std::optional<std::uint64_t> total_bytes, free_bytes;
    std::string total_text, free_text;  // FreeSpaceText of each, "" when unknown
    std::string reason;                 // why the figures are missing
};
FreeSpaceFigures LetterFreeSpace(const SystemQuery& query, const VolumeMap& map, char letter);
// The figures of the letter last refreshed (SelectDriveSpecs asks for a refresh).
FreeSpaceFigures& CurrentFreeSpace();
void RefreshFreeSpace(char letter);  // through system_query() and volume_map()

// What the drive selection handler decided; the main window applies it.
struct DriveSelection {
    FreeSpaceFigures space;
    std::string label7;  // decoded specifications of the selected disk
    std::string facts_line;  // the disk's own facts and what of label7 they contradict
};
DriveSelection DriveListClick(DriveInventory& inv, int index, const SystemQuery& query,
                              const VolumeMap& map);

}  // namespace bw
