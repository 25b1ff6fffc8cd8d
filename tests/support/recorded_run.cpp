#include "support/recorded_run.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace bw::test {

using namespace bw::testengine;

namespace {

LinkFacts link_of(const std::string& text, bool usb3_port) {
    std::istringstream in(text);
    std::string kind;
    in >> kind;
    LinkFacts l;
    l.machine_usb3 = usb3_port;
    if (kind == "sata") {
        l.kind = LinkKind::Sata;
        in >> l.sata_gbps;
    } else if (kind == "pata") {
        l.kind = LinkKind::ParallelAta;
    } else if (kind == "usb") {
        l.kind = LinkKind::Usb;
        in >> l.usb_mbps;
    } else if (kind == "pcie") {
        l.kind = LinkKind::Pcie;
        in >> l.pcie_gen >> l.pcie_width >> l.pcie_max_gen >> l.pcie_max_width;
    }
    return l;
}

ReportTime time_of(const std::string& text) {
    ReportTime t;
    std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &t.year, &t.month, &t.day, &t.hour, &t.minute,
                &t.second);
    return t;
}

}  // namespace

SystemTag recorded_system_tag() {
    SystemTag t;
    t.mb = "P8Z77-V LX";
    t.bios = "American Megatrends Inc. 1101";
    t.cpu = "Intel(R) Core(TM) i5-3570K CPU @ 3.40GHz";
    t.cores = "4";
    t.extra1 = "3400";
    t.extra2 = "Debian GNU/Linux 12 (bookworm)";
    t.memory = "DDR3 1600 MHz 8192 MB";
    t.controller = "Serial ATA AHCI Controller";
    return t;
}

SystemData recorded_system_data() {
    SystemData s;
    s.board_product = "P8Z77-V LX";
    s.board_manufacturer = "ASUSTeK COMPUTER INC.";
    s.bios = {{"   BIOS Version: ", "1101"},
              {"   Caption: ", "American Megatrends Inc."},
              {"   Release Date: ", "08/22/2012"},
              {"   SMBIOS BIOS Version: ", "2.7"}};
    s.pci_slots = {"PCIEX16_1", "PCIEX1_1"};
    s.controllers = {"Serial ATA AHCI Controller"};
    return s;
}

RecordedRun load_recorded_run(const std::string& name) {
    RecordedRun run;
    const std::string path = std::string(BW_SOURCE_DIR) + "/tests/fixtures/runs/" + name + ".run";
    std::ifstream in(path);
    if (!in) {
        ADD_FAILURE() << "no recorded run " << path;
        return run;
    }
    run.facts.tag = recorded_system_tag();
    run.facts.system = recorded_system_data();
    std::string link;
    bool usb3_port = false;
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        if (line.empty() || line[0] == '#') continue;
        if (line.rfind("tick ", 0) == 0) {
            std::istringstream t(line.substr(5));
            int type = 0, block = 0;
            TickFigures f;
            t >> type >> block >> f.read_bytes >> f.write_bytes >> f.disk_read_time >>
                f.disk_write_time >> f.idle >> f.transfers >> f.reads >> f.writes;
            for (auto* row : {&f.tester_read_ops, &f.tester_write_ops, &f.tester_read_bytes,
                              &f.tester_write_bytes})
                for (double& v : *row) t >> v;
            if (!t) {
                ADD_FAILURE() << path << ":" << n << ": tick not understood";
                continue;
            }
            run.ticks.push_back({type, block, f});
            file_tick(run.samples, type, block, f);
            raise_overall_peaks(run.samples, f);
            continue;
        }
        const auto eq = line.find('=');
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        auto& p = run.params;
        if (key == "drive") p.drive = value;
        else if (key == "entry") p.drive_entry = value;
        else if (key == "type") p.type = value == "Performance" ? JobType::Performance : JobType::Functional;
        else if (key == "blocks") p.block_codes = value;
        else if (key == "link") link = value;
        else if (key == "when") run.facts.when = time_of(value);
        else if (key == "memory") run.facts.memory_description = value;
        else if (key == "ssd") p.is_ssd = value == "1";
        else if (key == "ram") p.is_ram = value == "1";
        else if (key == "usb") p.is_usb = value == "1";
        else if (key == "read") p.read = value == "1";
        else if (key == "write") p.write = value == "1";
        else if (key == "multi") p.multi = std::stoi(value);
        else if (key == "usb3_port") usb3_port = value == "1";
        else if (key == "spec") run.facts.spec_lines.push_back(value);
        else ADD_FAILURE() << path << ":" << n << ": unknown key " << key;
    }
    run.facts.link = link_of(link, usb3_port);
    run.facts.usb3_port = usb3_port;
    run.facts.parallel_drive = run.facts.link.kind == LinkKind::ParallelAta;
    return run;
}

}  // namespace bw::test
