#include "drives/DriveReport.h"

#include <fmt/format.h>

#include <algorithm>

#include "drives/DriveText.h"

namespace bw {

namespace {

std::string join(const std::vector<std::string>& items, std::string_view sep) {
    std::string out;
    for (const auto& i : items) {
        if (!out.empty()) out += sep;
        out += i;
    }
    return out;
}

std::string yes_no(bool b) {
    return b ? "yes" : "no";
}

std::string classified(const InventoryRun& run, int index) {
    const std::string field = IndexField(index);
    for (const auto& line : run.inv.PhysicalList2)
        if (line.compare(0, 2, field) == 0) return line.substr(2);
    return {};
}

const DiskCheck* check_of(const InventoryRun& run, const DiskInfo& d) {
    for (std::size_t i = 0; i < run.disks.size() && i < run.checks.size(); ++i)
        if (run.disks[i].name == d.name) return &run.checks[i];
    return nullptr;
}

const char* type_name(DriveType t) {
    switch (t) {
        case DriveType::Removable:
            return "removable";
        case DriveType::Network:
            return "network";
        case DriveType::Optical:
            return "optical";
        default:
            return "local";
    }
}

}  // namespace

std::string RenderInventoryText(const InventoryRun& run) {
    std::string out;
    for (const auto& entry : run.inv.DriveList) out += entry + "\n";
    if (run.inv.DriveList.empty()) out += "(no drives to test)\n";

    out += "\nDisks:\n";
    for (const auto& d : run.disks) {
        out +=
            fmt::format("  PD {:<2} {:<9} {:<5} {:<14} {:>15} {:>5}  {}\n", d.index, d.name,
                        d.interface_type.empty() ? "-" : d.interface_type, classified(run, d.index),
                        d.size_bytes ? std::to_string(*d.size_bytes) : "?",
                        d.bytes_per_sector ? std::to_string(*d.bytes_per_sector) : "?", d.caption);
        for (const auto& r : d.reasons) out += "        note: " + r + "\n";
        if (const DiskCheck* c = check_of(run, d)) out += "        " + c->line + "\n";
    }
    out += "\nVolumes:\n";
    for (const auto& v : run.map.volumes) {
        out += fmt::format("  {:<2} {:<10} {:<9} {:<7} {:<9} disks [{}] {}{}\n",
                           v.letter ? std::string(1, v.letter) + ":" : "--", v.device_name,
                           type_name(v.type), v.fstype.empty() ? "-" : v.fstype,
                           v.label.empty() ? "-" : v.label, join(v.disks, " "),
                           v.mount_point.empty() ? "(not mounted)" : v.mount_point,
                           v.holds_root ? "  (system)" : "");
        for (const auto& r : v.reasons) out += "        note: " + r + "\n";
    }
    out += "\nCounter instances: " + join(run.inv.PhysicalList, " | ") + "\n";
    out += "Optical drives: " + join(run.inv.DVD, " ") + "\n";
    out += "Page file letters: " + run.inv.page_file_letters + "\n";
    out += "SSD present: " + yes_no(run.inv.ssd_present) +
           ", hard disk present: " + yes_no(run.inv.hdd_present) +
           ", USB 3: " + yes_no(run.inv.usb3) + "\n";
    out += "Controllers: parallel ATA " + yes_no(run.inv.pata) + ", serial ATA " +
           yes_no(run.inv.sata) + ", SCSI " + yes_no(run.inv.scsi) + ", AHCI " +
           yes_no(run.inv.ahci) + "\n";
    if (!run.map.notes.empty()) {
        out += "\nNot lettered:\n";
        for (const auto& n : run.map.notes) out += "  " + n + "\n";
    }
    return out;
}

nlohmann::ordered_json InventoryJson(const InventoryRun& run) {
    using json = nlohmann::ordered_json;
    json j;
    j["drive_list"] = run.inv.DriveList;
    json disks = json::array();
    for (const auto& d : run.disks) {
        disks.push_back(
            {{"index", d.index},
             {"name", d.name},
             {"transport", d.transport},
             {"caption", d.caption},
             {"interface_type", d.interface_type},
             {"class", classified(run, d.index)},
             {"manufacturer", d.manufacturer},
             {"size_bytes", d.size_bytes ? json(*d.size_bytes) : json(nullptr)},
             {"bytes_per_sector", d.bytes_per_sector ? json(*d.bytes_per_sector) : json(nullptr)},
             {"removable", d.removable},
             {"rotational", d.rotational},
             {"notes", d.reasons}});
        if (const DiskCheck* c = check_of(run, d)) {
            json decoded = json::object();
            for (const auto& [name, value] : DriveSpecFields(c->spec))
                decoded[std::string(name)] = *value;
            disks.back()["decoded"] = decoded;
            disks.back()["own_facts"] = OwnFactsJson(c->facts);
            disks.back()["check"] = DecodeCheckJson(c->fields);
            disks.back()["facts_line"] = c->line;
        }
    }
    j["disks"] = disks;
    json volumes = json::array();
    for (const auto& v : run.map.volumes) {
        volumes.push_back({{"letter", v.letter ? std::string(1, v.letter) : std::string()},
                           {"mount_point", v.mount_point},
                           {"device", v.device_name},
                           {"type", type_name(v.type)},
                           {"fstype", v.fstype},
                           {"uuid", v.uuid},
                           {"label", v.label},
                           {"disks", v.disks},
                           {"system", v.holds_root},
                           {"notes", v.reasons}});
    }
    j["volumes"] = volumes;
    j["physical_instances"] = run.inv.PhysicalList;
    j["logical_instances"] = run.inv.LogicalList;
    j["optical_letters"] = run.inv.DVD;
    j["page_file_letters"] = run.inv.page_file_letters;
    j["flags"] = {{"ssd_present", run.inv.ssd_present},
                  {"hdd_present", run.inv.hdd_present},
                  {"usb3", run.inv.usb3},
                  {"parallel_ata", run.inv.pata},
                  {"serial_ata", run.inv.sata},
                  {"scsi", run.inv.scsi},
                  {"ahci", run.inv.ahci}};
    j["notes"] = run.map.notes;
    return j;
}

std::string RenderSystemFactsText(const SystemFacts& facts) {
    std::string out;
    for (const auto& k : kSystemFactKeys)
        out += fmt::format("{:<13} {}\n", std::string(k.key) + ":", facts.*(k.value));
    return out;
}

nlohmann::ordered_json SystemFactsJson(const SystemFacts& facts) {
    nlohmann::ordered_json j = nlohmann::ordered_json::object();
    for (const auto& k : kSystemFactKeys) j[std::string(k.key)] = facts.*(k.value);
    return j;
}

std::string LetterSpecificationsText(const SystemQuery& query, const VolumeMap& map, char letter,
                                     bool privileged) {
    const Volume* v = map.find(letter);
    if (!v || v->disks.empty()) return {};
    std::string out = "\n***** Drive Specifications *****\n";
    for (const auto& d : query.disks()) {
        if (std::find(v->disks.begin(), v->disks.end(), d.name) == v->disks.end()) continue;
        std::string model = d.caption;  // the decoder upper-cases its own copy
        DriveSpec spec;
        DecodeModelText(model, spec);
        out += d.name + ": " + d.caption + "\n";
        for (const std::string* line : {&spec.SpecLine1, &spec.SpecLine2})
            if (!line->empty()) out += *line + "\n";
        out += CheckDisk(query, d, spec, privileged).line + "\n";
    }
    return out;
}

nlohmann::ordered_json OwnFactsJson(const DriveOwnFacts& f) {
    using json = nlohmann::ordered_json;
    auto text_or_null = [](const std::string& s) { return s.empty() ? json(nullptr) : json(s); };
    return {{"capacity_bytes", f.capacity_bytes ? json(*f.capacity_bytes) : json(nullptr)},
            {"solid_state", f.rotation == Rotation::Unknown
                                ? json(nullptr)
                                : json(f.rotation == Rotation::SolidState)},
            {"rpm", f.rpm ? json(f.rpm) : json(nullptr)},
            {"rotation_source", text_or_null(f.rotation_source)},
            {"link", text_or_null(f.link)},
            {"firmware", text_or_null(f.firmware)},
            {"serial", text_or_null(f.serial)},
            {"wwn", text_or_null(f.wwn)},
            {"not_read", f.unread}};
}

nlohmann::ordered_json DecodeCheckJson(const std::vector<FieldCheck>& checks) {
    auto out = nlohmann::ordered_json::array();
    for (const auto& c : checks)
        out.push_back({{"field", c.field},
                       {"verdict", VerdictName(c.verdict)},
                       {"decoded", c.decoded},
                       {"drive", c.drive},
                       {"reason", c.why}});
    return out;
}

}  // namespace bw
