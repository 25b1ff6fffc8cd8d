#pragma once

// The inventory as the start-up sequence and the command-line front end run it.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "drives/DecodeCheck.h"
#include "drives/DriveInventory.h"
#include "drives/VolumeMap.h"
#include "platform/PdhDiskMap.h"
#include "platform/SystemQuery.h"

namespace bw {

// Before the counters list their disk instances: the volume map of the machine (letters
// remembered in the preferences file), handed to the counter layer so that its disk instances
// carry the same numbers and letters, and the free-space refresh of SelectDriveSpecs.
void PrepareVolumes();

// The disks and lettered volumes as the counter layer names its instances.
CounterDiskMap ToCounterDiskMap(const std::vector<DiskInfo>& disks, const VolumeMap& map);

// The counter instance names of the volume map, as the disk objects list them; for a run without
// the counter layer (the command-line front end).
void ListDiskInstances(DriveInventory& inv, const std::vector<DiskInfo>& disks,
                       const VolumeMap& map);

// The main window's inventory over the machine: page files, logical disks and disk drives into
// drive_inventory() and the working settings file. RAM drives are classed with the memory speed
// the start-up read from the cached facts (app().mems).
void GetDrive(const std::function<void()>& progress = {});
// "Physical DRV" .. "Check USB": GetDrive with the controller query, then the USB query.
void GetDriveStep(const std::function<void()>& progress);
void CheckUsbStep();
// "Check Drives" and "Compare Data".
std::vector<std::string> CheckDrivesStep(const DriveListOptions& options = {});
void CompareDataStep(std::vector<std::string>& drive_list, const DriveListOptions& options = {});
// "Dirty Check" of one entry: true when its volume is marked dirty.
bool DirtyCheckStep(const std::string& entry);
// The selection handler for an entry of the list; returns the decoded specifications text and
// the drive's own facts checked against them.
DriveSelection SelectDriveStep(const std::string& entry);

// A whole inventory in one call, for the command-line front end and the tests.
struct InventoryRun {
    std::vector<DiskInfo> disks;
    VolumeMap map;
    DriveQueries queries;
    DriveInventory inv;
    std::vector<DiskCheck> checks;  // per disk, in the order of `disks`
};
struct InventoryRunOptions {
    std::filesystem::path prefs;        // letters remembered here; empty: none
    std::filesystem::path working_ini;  // "Drive<i>" keys written here; empty: none
    std::string mems;                   // memory speed text for RAM drives
    bool ask_drives = false;            // send IDENTIFY to drives the kernel keeps no page of
};
InventoryRun TakeInventory(const SystemQuery& query, const InventoryRunOptions& options);

}  // namespace bw
