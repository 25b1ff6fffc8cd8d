#include "testengine/ReportFacts.h"

#include <ctime>

#include "core/INIReadWrite.h"
#include "drives/DecodeCheck.h"
#include "drives/DosApp.h"
#include "drives/DriveText.h"
#include "drives/ModHDDetails.h"
#include "platform/DriveIdentify.h"

namespace bw::testengine {

namespace {

// The whole disk beneath the tested volume's block device ("/dev/sdb1" -> "sdb").
std::string disk_of(const TestParameters& params, const SystemQuery& query) {
    const std::string dev = params.device;
    if (dev.rfind("/dev/", 0) != 0) return {};
    const auto disks = query.disks_under(dev.substr(5));
    return disks.empty() ? std::string() : disks.front();
}

// The controller the disk hangs from: the one whose PCI address lies on the disk's device path.
std::string controller_of(const LinkFacts& link, const SystemQuery& query) {
    if (link.device_path.empty()) return {};
    for (const auto& c : query.ide_controllers())
        if (link.device_path.find("/" + c.device_id + "/") != std::string::npos) return c.description;
    return {};
}

// The facts line of the tested disk, checked against the record of its "[PD n" slot.
std::string tested_disk_facts(const TestParameters& params, const SystemQuery& query) {
    const auto field = EntryDiskField(params.drive_entry);
    const long long slot = field ? ValInt(*field) : -1;
    const DriveSpec spec = slot >= 0 && slot < kDriveSlots ? DriveSpecTable()[slot] : DriveSpec{};
    return DiskFactsLine(query, disk_of(params, query), spec, may_ask_drives());
}

}  // namespace

SystemData system_data(const BoardFacts& board, const std::vector<IdeController>& controllers) {
    SystemData s;
    s.board_product = board.board_name;
    s.board_manufacturer = board.board_vendor;
    s.bios = {{"   BIOS Version: ", board.bios_version},
              {"   Caption: ", board.bios_vendor},
              {"   Release Date: ", board.bios_date},
              {"   SMBIOS BIOS Version: ", board.bios_release}};
    s.pci_slots = board.pci_slots;
    for (const auto& c : controllers) s.controllers.push_back(c.description);
    return s;
}

ReportFacts gather_report_facts(const TestParameters& params, const SystemQuery& query,
                                const ReportTime& when) {
    ReportFacts f;
    const LetterSpec& spec = CurrentDriveSpecs();
    for (const std::string* line : {&spec.SpecLine1, &spec.SpecLine2})
        if (!line->empty()) f.spec_lines.push_back(*line);
    // The drive's own facts follow, with what of the decoded record they contradict.
    if (auto line = tested_disk_facts(params, query); !line.empty()) f.spec_lines.push_back(line);

    const SystemFacts& s = system_facts();
    f.tag = {s.MB, s.BIOS, s.CPUName, s.Cores, s.CPUSpeed, s.WinVer, s.MEMS, {}};
    f.memory_description = s.MEMS;

    const std::string disk = disk_of(params, query);
    f.link = link_facts(query.sysroot(), disk);
    f.tag.controller = controller_of(f.link, query);
    f.usb3_port = f.link.machine_usb3;
    f.parallel_drive = f.link.kind == LinkKind::ParallelAta;
    f.system = system_data(board_facts(query.sysroot()), query.ide_controllers());
    if (!params.test_folder.empty())
        if (auto space = query.space(params.test_folder)) {
            f.free_bytes = static_cast<double>(space->avail_bytes());
            f.used_bytes = static_cast<double>((space->blocks - space->free_blocks) * space->block_size);
        }
    f.when = when;
    return f;
}

ReportTime local_time_now() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace bw::testengine
