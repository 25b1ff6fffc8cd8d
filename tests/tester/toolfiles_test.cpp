#include <gtest/gtest.h>
#include <sys/stat.h>
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

TEST(Cells, EveryByteRoundTripsAndSmallValuesTakeOneDigitAndABlank) {
    std::string all, piece;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
        std::string cell = EncodeCell(static_cast<unsigned char>(b));
        ASSERT_EQ(cell.size(), 2u);
        if (b < 0x10) {
            EXPECT_EQ(cell[1], ' ') << b;
        }
        piece += cell;
    }
    EXPECT_EQ(piece.substr(0, 6), "0 1 2 ");
    EXPECT_EQ(piece.substr(30, 6), "F 1011");
    std::string out;
    ASSERT_TRUE(DecodePiece(piece, out));
    EXPECT_EQ(out, all);
}

TEST(Cells, DecodingRules) {
    struct Case {
        const char* piece;
        bool ok;
        std::string bytes;
    };
    const Case cases[] = {
        {"", true, ""},
        {"0 0 0 ", true, std::string(3, '\0')},  // one byte per cell, the blank is not written
        {"A F 4D5A", true,
         "\x0A\x0F"
         "MZ"},
        {"ff", true, "\xFF"},  // lower case reads the same
        {"4D5", false, "M"},   // odd length
        {"4G", false, ""},     // not hexadecimal
        {" 4", false, ""},     // a blank never leads a cell
    };
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(DecodePiece(c.piece, out), c.ok) << '"' << c.piece << '"';
        if (c.ok) {
            EXPECT_EQ(out, c.bytes) << '"' << c.piece << '"';
        }
    }
}

// The build packs the stripped tester and the licence; what the program carries must be them,
// byte for byte.
TEST(StoredFiles, RoundTripByteForByte) {
    struct Case {
        std::string_view name;
        fs::path original;
    };
    const Case cases[] = {
        {kLOADWorkerFile, test::binary_dir() / "src/tester/toolfiles/LOADWorker.packed.exe"},
        {kLicenseFile, test::source_dir() / "LICENSE"},
    };
    for (const auto& c : cases) {
        auto pieces = StoredPieces(c.name);
        ASSERT_FALSE(pieces.empty()) << c.name;
        std::string bytes;
        ASSERT_TRUE(DecodePieces(pieces, bytes)) << c.name;
        EXPECT_EQ(bytes, read_file(c.original)) << c.name;
        for (auto p : pieces) EXPECT_EQ(p.size() % 2, 0u);
    }
    EXPECT_TRUE(StoredPieces("Nothing.exe").empty());
}

class ToolFileWriters : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = app();
        app().working_folder = work_.path();
        app().program_folder = program_.path();
    }
    void TearDown() override { app() = saved_; }

    TempDir work_, program_;
    AppState saved_;
};

TEST_F(ToolFileWriters, TesterIsWrittenExecutableAndPrivate) {
    ToolFileResult r = WriteLOADWorker();
    ASSERT_EQ(r.outcome, ToolFileResult::Outcome::Written) << r.error;
    struct stat st {};
    ASSERT_EQ(::lstat(r.path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(read_file(r.path),
              read_file(test::binary_dir() / "src/tester/toolfiles/LOADWorker.packed.exe"));
    // Nothing but the file is left in the folder.
    int entries = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(work_.path())) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(ToolFileWriters, LicenseAlreadyPresentIsLeftUnchanged) {
    write_file(program_ / "License.txt", "my own words");
    ToolFileResult r = WriteLicense();
    EXPECT_EQ(r.outcome, ToolFileResult::Outcome::AlreadyPresent);
    EXPECT_EQ(read_file(program_ / "License.txt"), "my own words");
    fs::remove(program_ / "License.txt");
    r = WriteLicense();
    ASSERT_EQ(r.outcome, ToolFileResult::Outcome::Written) << r.error;
    EXPECT_EQ(read_file(program_ / "License.txt"), read_file(test::source_dir() / "LICENSE"));
}

TEST_F(ToolFileWriters, NeverWritesThroughALinkOrOverAnything) {
    write_file(program_ / "victim", "keep");
    fs::create_symlink(program_ / "victim", work_ / "LOADWorker.exe");
    EXPECT_EQ(WriteLOADWorker().outcome, ToolFileResult::Outcome::AlreadyPresent);
    EXPECT_EQ(read_file(program_ / "victim"), "keep");

    fs::create_directory(program_ / "License.txt");
    EXPECT_EQ(WriteLicense().outcome, ToolFileResult::Outcome::AlreadyPresent);
}

TEST_F(ToolFileWriters, UnwritableFolderFailsWithAReasonAndLeavesNothing) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    fs::permissions(work_.path(), fs::perms::owner_read | fs::perms::owner_exec);
    ToolFileResult r = WriteLOADWorker();
    fs::permissions(work_.path(), fs::perms::owner_all);
    EXPECT_EQ(r.outcome, ToolFileResult::Outcome::Failed);
    EXPECT_NE(r.error.find("LOADWorker.exe"), std::string::npos) << r.error;
}

TEST_F(ToolFileWriters, MissingFolderFails) {
    app().program_folder.clear();
    ToolFileResult r = WriteLicense();
    EXPECT_EQ(r.outcome, ToolFileResult::Outcome::Failed);
    EXPECT_FALSE(r.error.empty());
}

TEST_F(ToolFileWriters, DeletedCopyIsRecreatedFromTheTester) {
    ASSERT_TRUE(WriteLOADWorker().ok());
    EnsureTesterCopies();
    const std::string tester = read_file(work_ / "LOADWorker.exe");
    for (const char* copy : {"LOADWorker2.exe", "LOADWorker3.exe"})
        EXPECT_EQ(read_file(work_ / copy), tester) << copy;
    fs::remove(work_ / "LOADWorker2.exe");
    EnsureTesterCopies();
    EXPECT_EQ(read_file(work_ / "LOADWorker2.exe"), tester);
    struct stat st {};
    ASSERT_EQ(::stat((work_ / "LOADWorker2.exe").c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IXUSR, 0u);
}

TEST_F(ToolFileWriters, CopyKeepsAnExistingTarget) {
    write_file(work_ / "a", "new");
    write_file(work_ / "b", "old");
    EXPECT_EQ(CopyToolFile(work_ / "a", work_ / "b", 0700).outcome,
              ToolFileResult::Outcome::AlreadyPresent);
    EXPECT_EQ(read_file(work_ / "b"), "old");
    EXPECT_EQ(CopyToolFile(work_ / "missing", work_ / "c", 0700).outcome,
              ToolFileResult::Outcome::Failed);
    EXPECT_FALSE(fs::exists(work_ / "c"));
}

}  // namespace
}  // namespace bw
