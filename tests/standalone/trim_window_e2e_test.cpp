// The TRIM test window on a loop device with ext4, offscreen: the estimate on load, every result
// line and a verdict that follows them after Command1, and the mount's options as they were.
#if BW_WITH_UI
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include "platform/Mounts.h"
#include "standalone/TrimFigures.h"
#include "standalone/ui/frmTRIM.h"
#include "support/fakes.h"
#include "support/scratch_device.h"
#include "trim_verdict_check.h"

namespace bw {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> options_at(const fs::path& mp) {
    const auto m = Mounts(Sysroot("/"), live_mount_runner()).find(mp.string());
    return m ? m->options : std::vector<std::string>{};
}

TEST(TrimWindowE2e, FullRunThroughTheWindow) {
    if (auto why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "trim_window_e2e";
    char* argv[] = {name, nullptr};
    QApplication qt(argc, argv);
    test::ScratchLoop loop(
        {.size_mib = 256, .filesystem = "ext4", .mount = true, .image_folder = "/dev/shm"});
    ASSERT_TRUE(loop.ok()) << loop.error();
    const fs::path mp = loop.mounts().front();
    const std::vector<std::string> before = options_at(mp);
    test::TempDir dir;
    test::ScriptedPrompt prompt;
    test::UsePrompt use_prompt(prompt);
    const TrimTarget target{'q', mp.string(), mp / "TestMy.SSD", ""};
    frmTRIM window(target, live_trim_volume(dir.path(), target.test_file, target.mount_point),
                   dir / "DariDozodaz.dat", dir.path());
    window.show();
    for (int i = 0; i < 600 && !window.Label2()->text().contains("Estimated"); ++i) {
        QApplication::processEvents();
        ::usleep(50'000);
    }
    ASSERT_TRUE(window.Label2()->text().contains("Estimated Test Time: "))
        << window.Label2()->text().toStdString();
    window.Check1()->setChecked(true);
    window.Check2()->setChecked(true);
    window.Command1()->click();
    const auto text = [&](int line) { return window.TrimTest(line)->text().toStdString(); };
    for (int line : {0, 1, 2, 3, 4}) {
        SCOPED_TRACE(line);
        std::printf("%s\n", text(line).c_str());
        EXPECT_FALSE(text(line).empty());
        EXPECT_EQ(text(line).find(" 0 Bps"), std::string::npos);
    }
    EXPECT_EQ(options_at(mp), before);
    EXPECT_FALSE(fs::exists(target.test_file));
    EXPECT_TRUE(window.Command1()->isEnabled());
    test::expect_verdict_follows(text(2), text(4), text(kTrimVerdictLine));
    EXPECT_GE(prompt.count_containing("delete the file Q:\\TestMy.SSD"), 1);
    window.grab().save(
        QString::fromStdString((test::scratch_base() / "h18-frmTRIM-e2e.png").string()));
}

}  // namespace
}  // namespace bw
#endif
