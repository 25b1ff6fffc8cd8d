// The repair window runs the repair when it is shown and shows what it ran and found.
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "core/AppState.h"
#include "counters/CounterStartup.h"
#include "counters/ui/frmRepair.h"
#include "support/fakes.h"

namespace bw {

class FrmRepairTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        saved_ = app();
        app().program_folder = folder_.path();
        app().repair_state = 0;
        app().basic_only_mode = false;
        set_prompt(&prompt_);
        set_clock(&clock_);
    }
    void cleanup() {
        set_prompt(nullptr);
        set_clock(nullptr);
        set_repair_window({});
        app() = saved_;
    }

    void showsWhatItRanAndFound() {
        frmRepair window(actions(true));
        window.show();
        QTRY_VERIFY(window.log().repaired);
        QCOMPARE(window.Label1()->text(), QString("Attempting to Repair Windows"));
        QVERIFY(window.DosBox()->toPlainText().contains("echo 1 > /sys/block/loop3/queue/iostats"));
        QVERIFY(window.DosBox()->toPlainText().contains("switch disk statistics on"));
        QCOMPARE(window.List1()->item(window.List1()->count() - 1)->text(),
                 QString("Repair was successful!"));
        QVERIFY(window.findChild<QPushButton*>()->isEnabled());
        QCOMPARE(app().repair_state, 1);
    }

    void windowsErrorYesShowsTheWindow() {
        bool shown = false;
        set_repair_window([&] {
            frmRepair window(actions(false));
            QTimer::singleShot(0, &window, [&] {
                QTRY_VERIFY(window.log().List1.size() >= 1 &&
                            window.findChild<QPushButton*>()->isEnabled());
                shown = true;
                window.accept();
            });
            window.exec();
        });
        prompt_.answer_yes(true);
        QVERIFY(!WindowsErrorPrompt());
        QVERIFY(shown);
        QVERIFY(app().basic_only_mode);
        QCOMPARE(prompt_.count_containing("Restart Windows and Re-run Brantwell"), 1);
    }

  private:
    // Statistics of loop3 are off; the step that switches them on works or not.
    static RepairActions actions(bool works) {
        RepairActions a;
        a.needed = [](RepairKind k, std::vector<std::string>& findings) {
            findings.push_back(k == RepairKind::EnableIostats
                                   ? "loop3: disk statistics are off (queue/iostats = 0)"
                                   : "/proc is mounted");
            return k == RepairKind::EnableIostats;
        };
        a.run = [works](RepairKind, std::string& out) {
            out += "echo 1 > /sys/block/loop3/queue/iostats\n";
            return works;
        };
        a.probe = [works] { return works; };
        return a;
    }
    AppState saved_;
    test::TempDir folder_;
    test::ScriptedPrompt prompt_;
    test::FakeClock clock_;
};

}  // namespace bw

QTEST_MAIN(bw::FrmRepairTest)
#include "frmRepair_test.moc"
