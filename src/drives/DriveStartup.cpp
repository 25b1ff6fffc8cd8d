#include "drives/DriveStartup.h"

#include <algorithm>

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "drives/DiskNumbers.h"
#include "drives/DosApp.h"
#include "drives/ModHDDetails.h"
#include "platform/DriveIdentify.h"
#include "platform/PdhQuery.h"

namespace bw {

namespace {

// The query rows of the current run, shared by the steps between "Physical DRV" and "Check USB".
DriveQueries& current_queries() {
    static DriveQueries q;
    return q;
}

}  // namespace

void PrepareVolumes() {
    volume_map() = BuildVolumeMap(system_query(), app().prefs_ini());
    pdh().set_disk_map(
        ToCounterDiskMap(NumberedDisks(system_query(), app().prefs_ini()), volume_map()));
    set_free_space_refresh([](char letter) { RefreshFreeSpace(letter); });
}

CounterDiskMap ToCounterDiskMap(const std::vector<DiskInfo>& disks, const VolumeMap& map) {
    CounterDiskMap out;
    for (const auto& d : disks) {
        CounterDisk cd;
        cd.index = d.index;
        cd.kernel_name = d.name;
        for (const auto& v : map.volumes)
            if (v.letter && v.type != DriveType::Optical &&
                std::find(v.disks.begin(), v.disks.end(), d.name) != v.disks.end())
                cd.letters += v.letter;
        out.disks.push_back(cd);
    }
    for (const auto& v : map.volumes)
        if (v.letter && v.type != DriveType::Optical)
            out.volumes.push_back({v.letter, v.device_name, v.mount_point});
    return out;
}

void ListDiskInstances(DriveInventory& inv, const std::vector<DiskInfo>& disks,
                       const VolumeMap& map) {
    inv.PhysicalList = FilterInstances(PhysicalDiskInstances(disks, map), false);
    inv.LogicalList = FilterInstances(LogicalDiskInstances(map), true);
}

void GetDriveStep(const std::function<void()>& progress) {
    auto disks = NumberedDisks(system_query(), app().prefs_ini());
    current_queries() = RunDriveQueries(system_query(), disks, volume_map());
    GetDrive(drive_inventory(), current_queries(), {app().working_ini(), app().mems, progress});
    QueryControllers(drive_inventory(), current_queries());
}

void CheckUsbStep() {
    QueryUsbHubs(drive_inventory(), current_queries());
}

std::vector<std::string> CheckDrivesStep(const DriveListOptions& options) {
    BuildDriveList(drive_inventory(), options);
    return drive_inventory().DriveList;
}

void CompareDataStep(std::vector<std::string>& drive_list, const DriveListOptions& options) {
    auto& inv = drive_inventory();
    inv.DriveList = drive_list;
    AddSupplementaryEntries(inv, options);
    drive_list = inv.DriveList;
}

bool DirtyCheckStep(const std::string& entry) {
    if (entry.empty()) return false;
    CheckDirty(entry.front());
    return DirtyFlag();
}

DriveSelection SelectDriveStep(const std::string& entry) {
    auto& inv = drive_inventory();
    auto it = std::find(inv.DriveList.begin(), inv.DriveList.end(), entry);
    if (it == inv.DriveList.end()) {
        inv.DriveList.push_back(entry);
        it = inv.DriveList.end() - 1;
    }
    DriveSelection s = DriveListClick(inv, static_cast<int>(it - inv.DriveList.begin()),
                                      system_query(), volume_map());
    const long long slot = ValInt(inv.selected_disk);
    if (!inv.selected_disk.empty() && slot >= 0 && slot < kDriveSlots)
        for (const auto& d : NumberedDisks(system_query(), app().prefs_ini()))
            if (d.index == slot)
                s.facts_line =
                    CheckDisk(system_query(), d, DriveSpecTable()[slot], may_ask_drives()).line;
    return s;
}

InventoryRun TakeInventory(const SystemQuery& query, const InventoryRunOptions& options) {
    InventoryRun run;
    run.disks = NumberedDisks(query, options.prefs);
    run.map = BuildVolumeMap(query, options.prefs);
    run.queries = RunDriveQueries(query, run.disks, run.map);
    ListDiskInstances(run.inv, run.disks, run.map);
    GetDrive(run.inv, run.queries, {options.working_ini, options.mems, {}});
    QueryControllers(run.inv, run.queries);
    QueryUsbHubs(run.inv, run.queries);
    BuildDriveList(run.inv);
    AddSupplementaryEntries(run.inv);
    for (const auto& d : run.disks)
        run.checks.push_back(CheckDisk(query, d,
                                       d.index < kDriveSlots ? DriveSpecTable()[d.index] : DriveSpec{},
                                       options.ask_drives));
    return run;
}

}  // namespace bw
