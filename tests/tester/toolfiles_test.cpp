#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/AppState.h"
#include "core/ToolFiles.h"
#include "core/modGeneral.h"
#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::TempDir;
using test::write_file;
using Outcome = ToolFileResult::Outcome;

// The round trip of the packed tester below decodes the cells a real file holds; these are the
// rules around them.
TEST(Cells, DecodingRules) {
    const std::pair<const char*, std::string> cases[] = {
        {"", ""},                          // an empty file is one empty piece
        {"0 0 0 ", std::string(3, '\0')},  // one byte per cell, the blank is not written
        {"A F 4D5A", "\x0A\x0FMZ"},        // below 0x10 a digit and a blank
        {"ff", "\xFF"},                    // lower case reads the same
        {"4D5", "refused"},                // odd length
        {"4G", "refused"},                 // not hexadecimal
        {" 4", "refused"},                 // a blank never leads a cell
    };
    for (const auto& [piece, bytes] : cases) {
        std::string out;
        EXPECT_EQ(DecodePiece(piece, out) ? out : "refused", bytes) << '"' << piece << '"';
    }
    EXPECT_EQ(EncodeCell(0x0A) + EncodeCell(0x4D), "A 4D");
}

const fs::path kPackedTester = test::binary_dir() / "src/tester/toolfiles/LOADWorker.packed.exe";

// The build packs the stripped tester and the licence; what the program carries must be them,
// byte for byte.
TEST(StoredFiles, RoundTripByteForByte) {
    const std::pair<std::string_view, fs::path> cases[] = {
        {kLOADWorkerFile, kPackedTester}, {kLicenseFile, test::source_dir() / "LICENSE"}};
    for (const auto& [name, original] : cases) {
        auto pieces = StoredPieces(name);
        ASSERT_FALSE(pieces.empty()) << name;
        std::string bytes;
        ASSERT_TRUE(DecodePieces(pieces, bytes)) << name;
        EXPECT_EQ(bytes, read_file(original)) << name;
    }
    EXPECT_TRUE(StoredPieces("Nothing.exe").empty());
}

class ToolFileWriters : public ::testing::Test {
  protected:
    ToolFileWriters() {
        app().working_folder = work_.path();
        app().program_folder = program_.path();
    }
    ~ToolFileWriters() override { app() = saved_; }

    AppState saved_ = app();
    TempDir work_, program_;
};

// The tester is written private and executable with nothing else left beside it; a start makes
// the two copies, and one deleted since comes back as a copy at the next.
TEST_F(ToolFileWriters, TesterIsWrittenPrivateAndMissingCopiesAreRecreated) {
    ToolFileResult r = WriteLOADWorker();
    ASSERT_EQ(r.outcome, Outcome::Written) << r.error;
    EXPECT_EQ(test::names_in(work_.path()), std::vector<std::string>{"LOADWorker.exe"});
    const std::string tester = read_file(r.path);
    EXPECT_EQ(tester, read_file(kPackedTester));
    EnsureTesterCopies();
    fs::remove(work_ / "LOADWorker2.exe");
    EnsureTesterCopies();
    for (const char* name : {"LOADWorker.exe", "LOADWorker2.exe", "LOADWorker3.exe"}) {
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(work_ / name))) << name;
        EXPECT_EQ(fs::status(work_ / name).permissions(), fs::perms::owner_all) << name;
        EXPECT_EQ(read_file(work_ / name), tester) << name;
    }
}

TEST_F(ToolFileWriters, LicenseAlreadyPresentIsLeftUnchanged) {
    write_file(program_ / "License.txt", "my own words");
    ToolFileResult r = WriteLicense();
    EXPECT_EQ(r.outcome, Outcome::AlreadyPresent);
    EXPECT_EQ(read_file(program_ / "License.txt"), "my own words");
    fs::remove(program_ / "License.txt");
    r = WriteLicense();
    ASSERT_EQ(r.outcome, Outcome::Written) << r.error;
    EXPECT_EQ(read_file(program_ / "License.txt"), read_file(test::source_dir() / "LICENSE"));
}

TEST_F(ToolFileWriters, NeverWritesThroughALinkOrOverAnything) {
    write_file(program_ / "victim", "keep");
    fs::create_symlink(program_ / "victim", work_ / "LOADWorker.exe");
    EXPECT_EQ(WriteLOADWorker().outcome, Outcome::AlreadyPresent);
    fs::create_directory(program_ / "License.txt");
    EXPECT_EQ(WriteLicense().outcome, Outcome::AlreadyPresent);
    write_file(work_ / "new", "new");
    EXPECT_EQ(CopyToolFile(work_ / "new", program_ / "victim", 0700).outcome,
              Outcome::AlreadyPresent);
    EXPECT_EQ(read_file(program_ / "victim"), "keep");
}

// An unwritable folder (for root that takes another user), no folder at all, or a missing source:
// each fails with a reason and leaves nothing behind.
TEST_F(ToolFileWriters, FailuresSayWhyAndLeaveNothing) {
    using P = fs::perms;
    fs::permissions(work_.path(), P::owner_read | P::owner_exec | P::others_read | P::others_exec);
    auto unwritable = [] {
        ToolFileResult r = WriteLOADWorker();
        return r.outcome == Outcome::Failed && r.error.find("LOADWorker.exe") != std::string::npos;
    };
    EXPECT_TRUE(::geteuid() == 0 ? test::run_as(65534, unwritable) : unwritable());
    fs::permissions(work_.path(), P::owner_all);

    app().program_folder.clear();
    ToolFileResult r = WriteLicense();
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(CopyToolFile(work_ / "missing", work_ / "c", 0700).outcome, Outcome::Failed);
    EXPECT_TRUE(test::names_in(work_.path()).empty());
}

}  // namespace
}  // namespace bw
