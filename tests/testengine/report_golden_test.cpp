// Recorded main tests replayed into the report: the texts of the test window and every file the
// test leaves, byte for byte, against tests/golden/report/<run>.txt.
#include <gtest/gtest.h>

#include "support/fakes.h"
#include "support/golden.h"
#include "support/recorded_run.h"
#include "testengine/ResultFiles.h"

namespace bw::testengine {
namespace {

// An SSD, a hard drive, USB 2.0 and 3.0 drives, a RAM drive, a parallel drive and an NVMe drive;
// multi-task levels 0 to 3; read only, write only and both; one run read through a cache.
const char* const kRuns[] = {"ssd-sata", "hdd-sata", "usb2",  "usb3",
                             "ram",      "parallel", "nvme", "cached"};

std::string everything(const ReportResult& r, const ResultFolders& folders,
                       const WrittenFiles& written) {
    std::string out = "==== ReadText ====\n" + r.texts.ReadText;
    out += "==== WriteText ====\n" + r.texts.WriteText;
    out += "==== Labels ====\n";
    for (const auto& l : r.texts.labels)
        out += std::string(block_size(l.block)->name) + ": " + l.PReadTime + " | " + l.AReadTime +
               " | " + l.PWriteTime + " | " + l.AWriteTime + " | " + l.MMIORead + " | " +
               l.MMMIORead + " | " + l.MMIOWrite + " | " + l.MMMIOWrite + " | " + l.BestRead +
               " | " + l.BestWrite + "\n";
    out += "==== OverallText ====\n" + r.OverallText;
    for (const auto& file : written.written) {
        const auto rel = file.parent_path() == folders.working_folder
                             ? "working/" + file.filename().string()
                             : file.filename().string();
        out += "==== " + rel + " ====\n" + test::read_file(file);
    }
    return out;
}

TEST(ReportGolden, RecordedRunsGiveTheReportAndEveryFileByteForByte) {
    for (const char* name : kRuns) {
        SCOPED_TRACE(name);
        const test::RecordedRun run = test::load_recorded_run(name);
        test::TempDir dir;
        const ResultFolders folders{dir / "program", dir / "working"};
        std::filesystem::create_directories(folders.program_folder);
        std::filesystem::create_directories(folders.working_folder);
        const ReportResult r = BuildREPORT(run.params, run.samples, run.facts);
        const WrittenFiles written = write_result_files(folders, r);
        EXPECT_TRUE(written.ok()) << written.errors.front();
        test::expect_golden(std::string("report/") + name + ".txt", everything(r, folders, written));
    }
}

}  // namespace
}  // namespace bw::testengine
