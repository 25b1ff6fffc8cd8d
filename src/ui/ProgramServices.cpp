#include "ui/ProgramServices.h"

#include "core/ToolFiles.h"
#include "counters/CounterStartup.h"
#include "counters/Counters.h"
#include "counters/CounterState.h"
#include "counters/MainDisplay.h"
#include "core/Splash.h"
#include "drives/DosApp.h"
#include "drives/DriveInventory.h"
#include "drives/DriveStartup.h"

namespace bw {

StartupServices program_services() {
    StartupServices s;
    s.write_license = [] { WriteLicense(); };
    s.write_tester = [] { WriteLOADWorker(); };

    s.gather_system_info = [] { SysInfo(); };

    s.verify_counter_query = [] { VerifyCounterQueryStep(); };
    s.counter_steps = [](const std::function<void(const std::string&)>& show_step) {
        StartCounterGroupsStep(show_step);
    };
    s.add_processor_counters = [] { AddProcessorCounters(); };
    s.available_memory_bytes = [] {
        CollectCounters();
        return CounterValue(counters().memory_probe());
    };
    s.close_counter_query = [] { CloseCounterQuery(); };
    s.sample_live = [](const std::string& entry) { return SampleMainDisplay(entry); };

    // The volume letters come first: the disk instances of the counters are named by them.
    // The counter layer lists the disk instances; the inventory reads the same lists.
    s.list_physical_disks = [] {
        PrepareVolumes();
        ListPhysicalDisks();
        drive_inventory().PhysicalList = counters().PhysicalList;
    };
    s.list_logical_disks = [] {
        ListLogicalDisks();
        drive_inventory().LogicalList = counters().LogicalList;
    };
    s.get_drive = [] { GetDriveStep([] { advance_progress(); }); };
    s.query_usb = [] { CheckUsbStep(); };
    s.build_drive_list = [] { return CheckDrivesStep(); };
    s.add_logical_only_drives = [](std::vector<std::string>& list) { CompareDataStep(list); };
    s.is_dirty = [](const std::string& entry) { return DirtyCheckStep(entry); };
    s.select_drive = [](const std::string& entry) { return SelectDriveStep(entry).label7; };
    s.ahci_on = [] { return drive_inventory().ahci; };
    return s;
}

}  // namespace bw
