#include "drives/DriveInventory.h"

#include <algorithm>
#include <cctype>

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"
#include "core/private_profile.h"
#include "drives/DriveText.h"
#include "drives/ModHDDetails.h"

namespace bw {

namespace {

bool contains(std::string_view text, std::string_view word) {
    return text.find(word) != std::string_view::npos;
}

bool names_ram(const DiskDriveRecord& d) {
    return contains(d.Caption, "RAM") || contains(d.Manufacturer, "RAM");
}

// The class rules after the vendor test, in order; each sees the interface text the rows before
// it left. Text containment is case-sensitive.
enum class ClassResult { Ram, Net, Hdd };
struct ClassRule {
    bool (*applies)(const DiskDriveRecord& d, const std::string& iface);
    ClassResult result;
};
inline constexpr ClassRule kClassRules[] = {
    {[](const DiskDriveRecord& d, const std::string&) {
         return d.Caption.rfind("\\\\.\\", 0) == 0;
     },
     ClassResult::Ram},
    {[](const DiskDriveRecord&, const std::string& iface) { return iface.size() < 2; },
     ClassResult::Ram},
    {[](const DiskDriveRecord& d, const std::string&) { return names_ram(d); }, ClassResult::Ram},
    {[](const DiskDriveRecord& d, const std::string&) {
         return !names_ram(d) && contains(d.Caption, "Net");
     },
     ClassResult::Net},
    {[](const DiskDriveRecord&, const std::string& iface) { return iface == "IDE"; },
     ClassResult::Hdd},
};

// The value from the third character of the per-disk line whose index field is `field`.
std::optional<std::string> by_field(const std::vector<std::string>& list,
                                    const std::string& field) {
    if (field.empty()) return std::nullopt;
    for (const auto& line : list)
        if (line.compare(0, 2, field) == 0 && line.size() >= 2) return line.substr(2);
    return std::nullopt;
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

void tick(const std::function<void()>& progress) {
    if (progress) progress();
}

}  // namespace

DriveInventory& drive_inventory() {
    static DriveInventory inv;
    return inv;
}

std::string IndexField(int index) {
    std::string f = std::to_string(index);
    return f.size() < 2 ? f + " " : f;
}

DriveQueries RunDriveQueries(const SystemQuery& query, const std::vector<DiskInfo>& disks,
                             const VolumeMap& map) {
    DriveQueries q;
    // A swap file marks the volume it lives on; a swap partition has no letter to mark.
    for (const auto& swap : query.swaps()) {
        if (swap.type != "file") continue;
        if (const Volume* v = map.volume_of_path(swap.filename))
            q.page_files.push_back({std::string(1, v->letter) + ":"});
    }
    for (const auto& v : map.volumes) {
        if (!v.letter) continue;
        LogicalDiskRecord r;
        r.Caption = std::string(1, v.letter) + ":";
        r.DriveType = static_cast<int>(v.type);
        r.VolumeName = v.label;
        if (!v.mount_point.empty())
            if (auto space = query.space(v.mount_point))
                r.Size = std::to_string(space->total_bytes());
        q.logical_disks.push_back(r);
    }
    for (const auto& d : disks) {
        DiskDriveRecord r;
        r.Index = d.index;
        r.Caption = d.caption;
        r.InterfaceType = d.interface_type;
        r.Manufacturer = d.manufacturer;
        if (d.size_bytes) r.Size = std::to_string(*d.size_bytes);
        if (d.bytes_per_sector) r.BytesPerSector = std::to_string(*d.bytes_per_sector);
        q.disk_drives.push_back(r);
    }
    for (const auto& hub : query.usb_hubs()) q.usb_hubs.push_back({hub.description, hub.device_id});
    for (const auto& c : query.ide_controllers()) q.controllers.push_back({c.description, c.name});
    return q;
}

std::vector<std::string> PhysicalDiskInstances(const std::vector<DiskInfo>& disks,
                                               const VolumeMap& map) {
    std::vector<std::string> out;
    for (const auto& d : disks) {
        std::string name = std::to_string(d.index);
        for (const auto& v : map.volumes)
            if (v.letter && v.type != DriveType::Optical &&
                std::find(v.disks.begin(), v.disks.end(), d.name) != v.disks.end())
                name += std::string(" ") + v.letter + ":";
        out.push_back(name);
    }
    return out;
}

std::vector<std::string> LogicalDiskInstances(const VolumeMap& map) {
    std::vector<std::string> out;
    for (const auto& v : map.volumes)
        if (v.letter && v.type != DriveType::Optical) out.push_back(std::string(1, v.letter) + ":");
    return out;
}

std::vector<std::string> FilterInstances(const std::vector<std::string>& names, bool logical) {
    std::vector<std::string> out;
    for (const auto& raw : names) {
        if (raw.empty() || raw.front() == '_') continue;
        if (logical ? raw.size() != 2 : raw.size() < 2) continue;
        std::string name = raw;
        while (!name.empty() && name.back() == ' ') name.pop_back();
        while (!name.empty() && name.front() == ' ') name.erase(0, 1);
        if (std::find(out.begin(), out.end(), name) == out.end()) out.push_back(name);
    }
    return out;
}

std::string ClassifyInterface(const DiskDriveRecord& d, const std::string& mems,
                              DriveInventory& inv) {
    if (IsSsdVendorModel(d.Caption)) {
        inv.ssd_present = true;
        return "SSD";
    }
    const std::string ram = "RAM " + mems;
    std::string iface = d.InterfaceType;
    for (const auto& rule : kClassRules) {
        if (!rule.applies(d, iface)) continue;
        switch (rule.result) {
            case ClassResult::Ram:
                iface = ram;
                break;
            case ClassResult::Net:
                iface = "NET";
                break;
            case ClassResult::Hdd:
                iface = "HDD";
                break;
        }
    }
    if (contains(d.Caption, "SSD")) {
        iface = "SSD";
        inv.ssd_present = true;
        if (contains(d.Caption, "S3")) iface = "SSD SATA3";
        if (contains(d.Caption, "S2")) iface = "SSD SATA2";
    } else {
        inv.hdd_present = true;
    }
    return iface;
}

void GetDrive(DriveInventory& inv, const DriveQueries& q, const GetDriveOptions& options) {
    inv.LogicalLabel2.clear();
    inv.PhysicalList2.clear();
    inv.PhysicalList3.clear();
    inv.PhysicalList4.clear();
    inv.ClusterList.clear();
    inv.DVD.clear();
    inv.ssd_present = inv.hdd_present = false;
    inv.windows_drive = app().windows_drive;
    inv.page_file_letters.clear();
    // Each disk's keys go into its section in one rewrite of the working file (a file shared with
    // the testers, rewritten whole under its lock at every write: one write per key made the
    // start-up of a machine with many disks wait).
    const auto& ini = options.working_ini;
    auto write_section = [&](const std::string& section,
                             const std::vector<std::pair<std::string, std::string>>& entries) {
        if (!ini.empty()) profile::write_strings(ini, section, entries);
    };

    for (const auto& pf : q.page_files)
        if (!pf.Drive.empty())
            inv.page_file_letters +=
                static_cast<char>(std::toupper(static_cast<unsigned char>(pf.Drive[0])));

    for (const auto& ld : q.logical_disks) {
        const std::string letter = ld.Caption.substr(0, 1);
        switch (ld.DriveType) {
            case 4:
                break;  // network
            case 5:
                inv.DVD.push_back(letter);
                break;
            case 2:
                break;  // removable
            default:
                inv.LogicalLabel2.push_back(letter + ":  " +
                                            (Val(ld.Size) < 10 ? "EMPTY" : DriveSizeText(ld.Size)) +
                                            " HDD (" + ld.VolumeName + ")");
        }
        tick(options.progress);
    }

    for (const auto& dd : q.disk_drives) {
        const std::string iface = ClassifyInterface(dd, options.mems, inv);
        write_section(keys::drive_section(dd.Index),
                      {{std::string(keys::kInterfaceTypeP), dd.InterfaceType},
                       {std::string(keys::kCaption), dd.Caption},
                       {std::string(keys::kInterfaceType), iface},
                       {std::string(keys::kSize), dd.Size},
                       {std::string(keys::kBytesPerSector), dd.BytesPerSector}});
        const std::string field = IndexField(dd.Index);
        inv.PhysicalList2.push_back(field + iface);
        inv.PhysicalList3.push_back(field + dd.Caption);
        inv.PhysicalList4.push_back(field + dd.Size);
        inv.ClusterList.push_back(field + dd.BytesPerSector);
        std::string model = dd.Caption;  // the decoder upper-cases its own copy
        DecodeDriveModel(model, dd.Index);
        tick(options.progress);
    }
    // The decoded interface of every slot; written once, after the last disk was decoded.
    std::vector<std::pair<std::string, std::string>> interfaces;
    for (int slot = 0; slot < kDriveSlots; ++slot)
        interfaces.emplace_back(keys::interface_slot(slot),
                                DriveSpecTable()[slot].Interface);
    write_section(std::string(keys::kSettings), interfaces);
}

void QueryUsbHubs(DriveInventory& inv, const DriveQueries& q) {
    for (const auto& hub : q.usb_hubs)
        if (contains(hub.Description, "USB3") || contains(hub.DeviceID, "USB3")) inv.usb3 = true;
}

void QueryControllers(DriveInventory& inv, const DriveQueries& q) {
    struct Flag {
        std::string_view word;
        bool DriveInventory::*flag;
    };
    static constexpr Flag kFlags[] = {{"Parallel ATA", &DriveInventory::pata},
                                      {"Serial ATA", &DriveInventory::sata},
                                      {"SCSI", &DriveInventory::scsi},
                                      {"AHCI", &DriveInventory::ahci}};
    for (const auto& c : q.controllers) {
        for (const auto& f : kFlags)
            if (contains(c.Description, f.word)) inv.*(f.flag) = true;
        if (contains(c.Name, "AHCI")) inv.ahci = true;
    }
}

void BuildDriveList(DriveInventory& inv, const DriveListOptions& options) {
    inv.Buffer = inv.LogicalList;
    inv.DriveList.clear();
    inv.ClusterList2.clear();
    for (const auto& line : inv.Buffer) {
        const std::string letter = upper(line.substr(0, 2));
        if (letter.empty()) continue;
        std::string field, kind = "Volume";
        for (const auto& p : inv.PhysicalList) {
            if (!contains(p, letter)) continue;
            field = p.substr(0, 2);
            MapDriveLetterSpecs(letter.substr(0, 1), static_cast<int>(ValInt(field)));
            kind = p.size() >= 6 ? "Partition" : "Volume";
        }
        const std::string iface = by_field(inv.PhysicalList2, field).value_or("");
        const std::string caption = by_field(inv.PhysicalList3, field).value_or("");
        const std::string size = by_field(inv.PhysicalList4, field).value_or("");
        if (auto bps = by_field(inv.ClusterList, field))
            inv.ClusterList2.push_back(letter.substr(0, 1) + *bps);

        std::string marker;
        const bool swap = inv.page_file_letters.find(letter[0]) != std::string::npos;
        const bool os = letter[0] == inv.windows_drive;
        if (swap)
            marker = os ? " {OS-SWAP}" : " {SWAP}";
        else if (os)
            marker = " {OS}";

        const std::string entry = letter + "  " + DriveSizeText(size) + " " + iface + " [PD " +
                                  std::to_string(ValInt(field)) + " (" + kind + ")]  " + caption +
                                  marker;
        inv.DriveList.push_back(entry);
        // The stored baseline of the drive (Baseline.dat, section Drives) is looked up here and
        // taken when missing, by the quick read baseline.
        if (options.baseline)
            options.baseline(letter[0], entry.substr(std::min<size_t>(4, entry.size())));
        tick(options.progress);
    }
}

void AddSupplementaryEntries(DriveInventory& inv, const DriveListOptions& options) {
    for (const auto& label : inv.LogicalLabel2) {
        if (label.empty()) continue;
        const bool listed =
            std::any_of(inv.DriveList.begin(), inv.DriveList.end(),
                        [&](const std::string& e) { return !e.empty() && e[0] == label[0]; });
        if (listed) continue;
        const std::string letter = label.substr(0, 2);
        if (std::find(inv.LogicalList.begin(), inv.LogicalList.end(), letter) ==
            inv.LogicalList.end())
            inv.LogicalList.push_back(letter);
        inv.DriveList.push_back(label);
        if (options.baseline)
            options.baseline(label[0], label.substr(std::min<size_t>(4, label.size())));
    }
}

FreeSpaceFigures LetterFreeSpace(const SystemQuery& query, const VolumeMap& map, char letter) {
    FreeSpaceFigures f;
    f.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    const Volume* v = map.find(f.letter);
    if (!v) {
        f.reason = std::string(1, f.letter) + ": is not a drive letter of this machine";
        return f;
    }
    if (v->mount_point.empty()) {
        f.reason = std::string(1, f.letter) + ": nothing is mounted";
        return f;
    }
    std::string error;
    auto space = query.space(v->mount_point, &error);
    if (!space) {
        f.reason = error;
        return f;
    }
    f.total_bytes = space->total_bytes();
    f.free_bytes = space->avail_bytes();
    f.total_text = FreeSpaceText(static_cast<double>(*f.total_bytes));
    f.free_text = FreeSpaceText(static_cast<double>(*f.free_bytes));
    return f;
}

FreeSpaceFigures& CurrentFreeSpace() {
    static FreeSpaceFigures figures;
    return figures;
}

void RefreshFreeSpace(char letter) {
    CurrentFreeSpace() = LetterFreeSpace(system_query(), volume_map(), letter);
}

DriveSelection DriveListClick(DriveInventory& inv, int index, const SystemQuery& query,
                              const VolumeMap& map) {
    DriveSelection s;
    if (index < 0 || index >= static_cast<int>(inv.DriveList.size())) return s;
    inv.selected_index = index;
    const std::string& entry = inv.DriveList[index];
    if (auto field = EntryDiskField(entry)) inv.selected_disk = *field;
    s.space = LetterFreeSpace(query, map, EntryLetter(entry));
    CurrentFreeSpace() = s.space;

    const long long slot = ValInt(inv.selected_disk);
    if (!inv.selected_disk.empty() && slot >= 0 && slot < kDriveSlots) {
        const DriveSpec& spec = DriveSpecTable()[slot];
        struct Part {
            std::string_view label;
            const std::string* value;
        };
        const Part parts[] = {{" RPM: ", &spec.Rpm},
                              {" Cache: ", &spec.Cache},
                              {" Interface: ", &spec.Interface},
                              {" Case: ", &spec.Case}};
        if (!spec.Size.empty()) s.label7 = "Size: " + spec.Size + " " + spec.SizeUnit;
        for (const auto& p : parts)
            if (!p.value->empty()) s.label7 += std::string(p.label) + *p.value;
    }
    return s;
}

}  // namespace bw
