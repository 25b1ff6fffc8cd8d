// The TRIM test window over a fake volume: the estimate on load and again when a box is released,
// the run on Command1 with every result line, and the menu entries the program registers.
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "app/ProgramUi.h"
#include "core/AppState.h"
#include "core/Startup.h"
#include "core/StartSteps.h"
#include "core/ui/MainMenu.h"
#include "standalone/ui/frmTRIM.h"
#include "support/fake_trim_volume.h"
#include "support/fakes.h"

namespace bw {

class FrmTrimTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        set_prompt(&prompt_);
        set_clock(&clock_);
    }
    void cleanup() {
        set_prompt(nullptr);
        set_clock(nullptr);
        prompt_.clear();
    }

    void loadShowsTheEstimateAndReleasedBoxesMeasureItAgain() {
        auto volume = std::make_unique<test::FakeVolume>(prefs());
        test::FakeVolume& v = *volume;
        frmTRIM window(target(), std::move(volume), prefs(), dir_.path());
        window.show();
        QTRY_VERIFY(window.Label2()->text().contains("Estimated Test Time"));
        // 200 MB free, 100 MB area; 1 s per phase at 100 MB/s: 4 + 60 s with the re-write.
        QCOMPARE(window.Label2()->text(),
                 QString("Drive Free Space: 200 MB\nTest Size: 100 MB\nEstimated Test Time: 1 Min 4 Sec"));
        QVERIFY(window.SwitchNote()->text().contains("sets it back to the state found before the test"));
        QCOMPARE(v.writes['X'], 1600L);
        // On the box itself: the rest of the row is no part of it.
        QTest::mouseClick(window.Check2(), Qt::LeftButton, {}, QPoint(8, window.Check2()->height() / 2));
        QVERIFY2(window.Label2()->text().endsWith("Estimated Test Time: 1 Min 36 Sec"), qPrintable(window.Label2()->text()));
        QCOMPARE(v.writes['X'], 3200L);
    }

    void command1WarnsThenRunsEveryPhase() {
        auto volume = std::make_unique<test::FakeVolume>(prefs());
        frmTRIM window(target(), std::move(volume), prefs(), dir_.path());
        window.show();
        QTRY_VERIFY(window.Label2()->text().contains("Estimated"));
        window.Check2()->setChecked(true);
        QTest::mouseClick(window.Command1(), Qt::LeftButton);
        QCOMPARE(prompt_.count_containing("delete the file E:\\TestMy.SSD"), 1);
        QVERIFY(!window.Label2()->isVisible());
        QCOMPARE(window.TrimTest(0)->text(), QString("Initial Write: 100,000,000 Bps"));
        QCOMPARE(window.TrimTest(1)->text(), QString("Re-Write: 95,000,000 Bps  (-5.00%)"));
        QCOMPARE(window.TrimTest(4)->text(),
                 QString("Delete/Write 2 TRIM OFF: 50,000,000 Bps  (-47.37%)"));
        QCOMPARE(window.TrimTest(6)->text(), QString::fromUtf8(kTrimVerdict.data()));
        QVERIFY(window.Command1()->isEnabled() && window.Command2()->isEnabled());
        QVERIFY(window.Notes()->toPlainText().contains("set back to the state found"));
        const QImage shot = window.grab().toImage();
        shot.save(QString::fromStdString((test::scratch_base() / "h18-frmTRIM.png").string()));
    }

    void aLetterWithoutAPlaceForTheFileSaysWhy() {
        TrimTarget t = target();
        t.test_file.clear();
        t.reason = "E: is not a mounted volume.";
        frmTRIM window(t, nullptr, prefs(), dir_.path());
        window.show();
        QCOMPARE(window.Label1()->text(), QString("E: is not a mounted volume."));
        QVERIFY(!window.Command1()->isEnabled());
    }

    void theProgramRegistersTheTrimEntries() {
        UiRegistry ui;
        register_program_ui(ui);
        QVERIFY(ui.action(kMnuTRIMTest));
        QVERIFY(ui.action(kMnuTRIM));
        // A drive that is not shown as an SSD: No cancels before any window opens.
        MainWindowState state;
        state.options.DriveList = {"E: 1TB [PD 1]"};
        state.options.DriveListIndex = 0;
        const StartSteps steps;
        const MainWindowHooks hooks;
        MenuContext ctx{nullptr, state, steps, hooks};
        prompt_.answer_yes(false);
        (*ui.action(kMnuTRIMTest))(ctx);
        QCOMPARE(int(prompt_.shown().size()), 1);
        QVERIFY(prompt_.shown()[0].text.starts_with("E Drive does not show as an SSD."));
    }

  private:
    std::filesystem::path prefs() const { return dir_ / "DariDozodaz.dat"; }
    static TrimTarget target() { return {'e', "/ssd", "/ssd/TestMy.SSD", ""}; }

    test::TempDir dir_;
    test::ScriptedPrompt prompt_;
    test::FakeClock clock_;
};

}  // namespace bw

QTEST_MAIN(bw::FrmTrimTest)
#include "frmTRIM_test.moc"
