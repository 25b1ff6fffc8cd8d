#include "testengine/ReportJson.h"

namespace bw::testengine {

namespace {

using nlohmann::json;

json side_json(const SideFigures& f) {
    return {{"peak_throughput_bytes_per_s", f.peak_throughput},
            {"average_throughput_bytes_per_s", f.avg_throughput},
            {"peak_drive_ops_per_s", f.peak_side_ops},
            {"peak_tester_ops_per_s", f.peak_operations},
            {"average_tester_ops_per_s", f.avg_operations},
            {"peak_disk_time_percent", f.peak_disk_time},
            {"average_disk_time_percent", f.avg_disk_time},
            {"peak_idle_percent", f.peak_idle},
            {"tester_bytes", f.tester_bytes},
            {"drive_bytes", f.drive_bytes}};
}

json figures_json(const ResultFigures& f) {
    return {{"read_scores", {f.read[0], f.read[1], f.read[2], f.read[3]}},
            {"write_scores", {f.write[0], f.write[1], f.write[2], f.write[3]}},
            {"overall_score", f.overall},
            {"best_read_bytes_per_s", f.peak_read},
            {"best_write_bytes_per_s", f.peak_write}};
}

json block_json(const ReportResult& r, int block, std::size_t index) {
    json types = json::array();
    for (int t = 1; t <= kTestTypeCount; ++t) {
        const TestTypeRow& row = kTestTypes[t - 1];
        const SideFigures& main = r.eval.main(t, block);
        if (!main.ran) continue;
        json type = {{"type", t},
                     {"label", std::string(row.label)},
                     {"side", row.side == Side::Read ? "read" : "write"},
                     {"multi_task_level", row.level},
                     {"peak_score", r.eval.peak_score(t, block)},
                     {"average_score", r.eval.average_score(t, block)},
                     {"tested_side", side_json(main)}};
        if (row.level == kMaxMultiLevel)
            type["supporting_side"] = side_json(r.eval.at(t, block, other_side(row.side)));
        types.push_back(std::move(type));
    }
    const BlockSize* b = block_size(block);
    return {{"block", std::string(b->name)},
            {"block_bytes", b->report_bytes},
            {"peak", figures_json(r.peak_figures.at(index))},
            {"average", figures_json(r.average_figures.at(index))},
            {"types", std::move(types)}};
}

}  // namespace

json report_json(const TestParameters& params, const ReportResult& r) {
    json blocks = json::array();
    const auto tested = tested_blocks(params);
    for (std::size_t i = 0; i < tested.size(); ++i) blocks.push_back(block_json(r, tested[i], i));
    json cache_blocks = json::array();
    for (const auto& b : r.cache.blocks)
        cache_blocks.push_back({{"block", std::string(block_size(b.block)->name)},
                                {"tester_read_bytes", b.tester_bytes},
                                {"drive_read_bytes", b.drive_bytes}});
    return {
        {"drive", params.drive},
        {"drive_entry", params.drive_entry},
        {"test_type", type_name(params.type)},
        {"read", params.read},
        {"write", params.write},
        {"multi_task_level", params.multi},
        {"peak_overall_rating_score", std::stod(r.overall_rating.empty() ? "0" : r.overall_rating)},
        {"single_peak_read_bytes_per_s", r.eval.single_peak(Side::Read)},
        {"single_peak_write_bytes_per_s", r.eval.single_peak(Side::Write)},
        {"best_read_bytes_per_s", r.eval.best_speed(Side::Read)},
        {"best_write_bytes_per_s", r.eval.best_speed(Side::Write)},
        {"blocks", std::move(blocks)},
        {"cache_check",
         {{"checked", r.cache.checked},
          {"from_cache", r.cache.from_cache},
          {"min_drive_share_percent", kCacheShare * 100},
          {"blocks", std::move(cache_blocks)},
          {"line", r.cache.line}}},
        {"port_limit",
         {{"known", r.port.known},
          {"link", r.port.link},
          {"ceiling_bytes_per_s", r.port.ceiling_bytes_per_s},
          {"best_bytes_per_s", r.port.best_bytes_per_s},
          {"limited", r.port.limited},
          {"line", r.port.line}}},
        {"result_lines", {{"peak", r.lines.peak}, {"average", r.lines.average}}},
        {"read_text", r.texts.ReadText},
        {"write_text", r.texts.WriteText},
        {"overall_text", r.OverallText},
    };
}

json written_json(const WrittenFiles& written) {
    json files = json::array();
    for (const auto& f : written.written) files.push_back(f.string());
    return {{"written", std::move(files)}, {"errors", written.errors}};
}

}  // namespace bw::testengine
