#include "testengine/RunSummary.h"

#include <fmt/format.h>

#include "drives/DriveText.h"

namespace bw::testengine {

namespace {

const char* side_name(Side s) { return s == Side::Read ? "read" : "write"; }

// Visits every side of every type and block that filed a sample, in type then block order.
template <typename Visit>
void each_ran(const TestParameters& params, const TestSamples& samples, Visit visit) {
    for (const TestTypeRow& row : kTestTypes)
        for (char code : params.block_codes) {
            const int block = block_index_from_code(code);
            if (block == 0) continue;
            for (Side s : {row.side, other_side(row.side)}) {
                const SideSamples& side = samples.side(row.number, block, s);
                if (side.ran()) visit(row, block, s, side);
            }
        }
}

}  // namespace

std::string EndOfRun(const TestParameters& params, const TestSamples& samples) {
    std::string out = fmt::format("{} {} test of {}\r\n", type_name(params.type),
                                  params.read && params.write ? "read and write"
                                  : params.write              ? "write"
                                                              : "read",
                                  params.drive_entry.empty() ? params.drive : params.drive_entry);
    bool any = false;
    each_ran(params, samples, [&](const TestTypeRow& row, int block, Side s, const SideSamples& v) {
        any = true;
        out += fmt::format(
            "{} {} ({} side): peak {} Bps, peak {} Ops, peak disk time {}%, peak idle {}%, "
            "{} samples, score {}\r\n",
            row.label, block_size(block)->name, side_name(s), format_grouped(v.peak_throughput),
            format_grouped(v.peak_operations), v.peak_disk_time, v.peak_idle, v.sample_count,
            samples.score(row.number, block));
    });
    if (!any) out += "No samples were filed: the testers reported no block under test.\r\n";
    out += fmt::format("Highest read {} Bytes, highest write {} Bytes\r\n",
                       format_grouped(samples.peak_read_bytes),
                       format_grouped(samples.peak_write_bytes));
    return out;
}

nlohmann::ordered_json EndOfRunJson(const TestParameters& params, const TestSamples& samples) {
    nlohmann::ordered_json j;
    j["drive"] = params.drive;
    j["entry"] = params.drive_entry;
    j["type"] = type_name(params.type);
    j["read"] = params.read;
    j["write"] = params.write;
    j["multi"] = params.multi;
    j["blocks"] = params.block_codes;
    j["seconds_per_block"] = params.seconds_per_block;
    j["estimate_seconds"] = params.estimate_seconds;
    j["peak_read_bytes"] = samples.peak_read_bytes;
    j["peak_write_bytes"] = samples.peak_write_bytes;
    auto& results = j["results"] = nlohmann::ordered_json::array();
    each_ran(params, samples, [&](const TestTypeRow& row, int block, Side s, const SideSamples& v) {
        results.push_back({{"type", row.number},
                           {"label", row.label},
                           {"block", block_size(block)->name},
                           {"side", side_name(s)},
                           {"samples", v.sample_count},
                           {"peak_throughput", v.peak_throughput},
                           {"peak_operations", v.peak_operations},
                           {"peak_transfers", v.peak_transfers},
                           {"peak_disk_time", v.peak_disk_time},
                           {"peak_idle", v.peak_idle},
                           {"score", samples.score(row.number, block)},
                           {"throughput", v.throughput},
                           {"tester_bytes", v.tester_bytes}});
    });
    return j;
}

}  // namespace bw::testengine
