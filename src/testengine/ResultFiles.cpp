#include "testengine/ResultFiles.h"

#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"
#include "platform/TextFiles.h"

namespace bw::testengine {

namespace {

constexpr std::string_view kCrLf = "\r\n";

class Writer {
public:
    explicit Writer(WrittenFiles& out) : out_(out) {}

    void append(const std::filesystem::path& file, const std::string& text) {
        std::string error;
        done(file, text_files::append(file, text, &error), error);
    }
    void replace(const std::filesystem::path& file, const std::string& text) {
        std::string error;
        done(file, text_files::replace(file, text, &error), error);
    }
    // A settings-form file: the store keeps the line ends a file starts with, so a new file is
    // begun with its first section header and CR LF.
    void settings(const std::filesystem::path& file, std::string_view section,
                  const std::vector<std::pair<std::string, std::string>>& keys) {
        std::string error;
        if (!std::filesystem::exists(file) &&
            !text_files::append(file, "[" + std::string(section) + "]" + std::string(kCrLf),
                                &error)) {
            done(file, false, error);
            return;
        }
        for (const auto& [key, value] : keys) WriteINI(file, section, key, value);
        // The store says nothing when a write fails: read the keys back.
        for (const auto& [key, value] : keys)
            if (ReadINI(file, section, key) != value) {
                done(file, false, "[" + std::string(section) + "] " + key + " did not keep its value");
                return;
            }
        done(file, true, "");
    }

private:
    void done(const std::filesystem::path& file, bool ok, const std::string& error) {
        if (ok) {
            if (out_.written.empty() || out_.written.back() != file) out_.written.push_back(file);
        } else {
            out_.errors.push_back(file.filename().string() + ": " + error);
        }
    }
    WrittenFiles& out_;
};

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + std::string(kCrLf);
    return text;
}

}  // namespace

WrittenFiles write_result_files(const ResultFolders& folders, const ReportResult& report) {
    WrittenFiles out;
    // Without its folders a relative name would land wherever the program was started from.
    if (folders.program_folder.empty() || folders.working_folder.empty()) {
        out.errors.push_back("the result files: Brantwell has no program or working folder");
        return out;
    }
    Writer w(out);
    const auto& app = folders.program_folder;
    for (const auto& section : report.perf_data)
        w.settings(folders.working_folder / "HDPerfData.Dat", section.section, section.keys);
    if (report.baseline)
        w.settings(app / keys::kBaselineFileName, keys::kDrives, {*report.baseline});
    w.append(app / "Overall.txt", std::string(kCrLf) + std::string(kCrLf) + report.OverallText);
    if (!report.lines.peak.empty()) {
        w.append(app / "PeakResults.Dat", joined(report.lines.peak));
        w.append(app / "AverageResults.Dat", joined(report.lines.average));
        w.append(app / "MyPResults.Dat", joined(report.lines.my_peak));
        w.append(app / "MyAResults.Dat", joined(report.lines.my_average));
    }
    w.replace(app / report.dated_report_name, report.recommend_text);
    w.replace(app / "Recommend.txt", report.recommend_text);
    w.replace(app / "Specs.txt", report.OverallText);
    return out;
}

}  // namespace bw::testengine
