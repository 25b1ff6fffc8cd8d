#pragma once

// System information: the facts about the machine that results and reports carry (system name,
// processors, board, BIOS, memory speed), the dirty check of a volume and a text report on a
// drive. Where the system does not say a fact (no DMI in a virtual machine), the person is asked
// through the prompt interface.

#include <filesystem>
#include <string>

#include "drives/VolumeMap.h"
#include "platform/SystemQuery.h"

namespace bw {

// The twelve cached facts, in the order they are written.
struct SystemFacts {
    std::string WinVer, WinType, MEMS, BIOS, MB, CPU, Cores, CPUSpeed, CPUName, Socket, CPUMan,
        CPUDescript;
};

// The settings keys of the facts, in writing order, with the member that holds each.
struct SystemFactKey {
    std::string_view key;
    std::string SystemFacts::*value;
};
inline constexpr SystemFactKey kSystemFactKeys[] = {
    {"Win Ver", &SystemFacts::WinVer},
    {"Win Type", &SystemFacts::WinType},
    {"MEMS", &SystemFacts::MEMS},
    {"BIOS", &SystemFacts::BIOS},
    {"MB", &SystemFacts::MB},
    {"CPU", &SystemFacts::CPU},
    {"Cores", &SystemFacts::Cores},
    {"CPU Speed", &SystemFacts::CPUSpeed},
    {"CPU Name", &SystemFacts::CPUName},
    {"Socket", &SystemFacts::Socket},
    {"CPU Man", &SystemFacts::CPUMan},
    {"CPU Descript", &SystemFacts::CPUDescript},
};

// The program-wide facts.
SystemFacts& system_facts();

// The input box texts of the facts the system may not tell.
inline constexpr std::string_view kMotherBoardPrompt =
    "Brantwell cannot detect your MotherBoard. If you know the MotherBoard Model Please enter it.";
inline constexpr std::string_view kMotherBoardTitle = "MotherBoard";
inline constexpr std::string_view kMemorySpeedPrompt =
    "Brantwell cannot detect your Memory Speed. If you know the Memory Speed (Mhz) Please enter "
    "it.";
inline constexpr std::string_view kMemorySpeedTitle = "Momory Speed";

// Gathers every fact into `facts` and writes the twelve keys to section Settings of `ini` (the
// working settings file; nothing is written when it is empty). `cores` is the number of logical
// processors the program runs with.
void SysInfo(SystemFacts& facts, const SystemQuery& query, int cores,
             const std::filesystem::path& ini);
// Program-wide form: system_facts(), system_query(), app().
void SysInfo();

// Each fills its facts only while they are empty.
void GetCPU(SystemFacts& facts, const SystemQuery& query);
void GetMB(SystemFacts& facts, const SystemQuery& query);
void GetBIOS(SystemFacts& facts, const SystemQuery& query);
void GetZUDIdove(SystemFacts& facts, const SystemQuery& query);

// "Win Type" from the system name: 1, or 2 for the later generations the tests name.
std::string WinTypeOf(const std::string& win_ver);

// Dirty check of a volume: the ext2/3/4 superblock (state, needs_recovery, error count), the
// error counters of a btrfs, the kernel's error count of a mounted ext4 when the device itself
// cannot be read. A volume that cannot be read counts as clean; the reason is kept.
struct DirtyResult {
    bool dirty = false;
    bool checked = false;  // the state could be read
    std::string detail;    // what was found ("clean", "needs journal recovery", ...)
    std::string reason;    // why it could not be read
};
DirtyResult CheckVolumeDirty(const SystemQuery& query, const Volume& volume);
// Reads an ext2/3/4 superblock (1024 bytes from offset 1024 of the device). While a journaled
// filesystem is mounted its recovery flag is set by design, so it counts only when unmounted.
DirtyResult ExtSuperblockState(std::string_view superblock, bool mounted);

// The dirty flag of the last volume asked about, and why it could not be told.
bool& DirtyFlag();
DirtyResult& LastDirtyCheck();
// Sets DirtyFlag() for the volume of a drive letter.
void CheckDirty(char drive, const SystemQuery& query, const VolumeMap& map);
void CheckDirty(char drive);  // through system_query() and volume_map()

// A text report on a drive: size, clusters, volume information, repair status, statistics.
std::string DriveCInfo(char drive, const SystemQuery& query, const VolumeMap& map);
std::string DriveCInfo(char drive);

}  // namespace bw
