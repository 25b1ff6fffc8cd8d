// The repair window runs the repair when it is shown and shows what it ran and found.
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "app/ProgramUi.h"
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

    // Yes to the "Windows Error" question shows the window, which runs the repair on its own.
    void windowsErrorYesShowsTheRepairAndWhatItRan() {
        QString dos;
        bool success_listed = false;
        set_repair_window([&] {
            frmRepair window(actions());
            QTimer::singleShot(0, &window, [&] {
                // Close is enabled once the repair is over.
                QTest::qWaitFor([&] { return window.findChild<QPushButton*>()->isEnabled(); });
                dos = window.DosBox()->toPlainText();
                success_listed = !window.List1()->findItems("Repair was successful!", {}).isEmpty();
                window.accept();
            });
            window.exec();
        });
        prompt_.answer_yes(true);
        QVERIFY(WindowsErrorPrompt());
        QVERIFY(dos.contains("switch disk statistics on") && dos.contains("echo 1 > /sys/block/"));
        QVERIFY(success_listed);
        QCOMPARE(app().repair_state, 1);
        QVERIFY(!app().basic_only_mode);
    }

    // The program registers the repair window, and the "Windows Error" question reaches it through
    // the registry (the window registered last under the name is the one shown).
    void theProgramRegistersTheRepairWindow() {
        UiRegistry ui;
        register_program_ui(ui);
        QVERIFY(ui.has_window(kFrmRepair));
        bool shown = false;
        ui.add_window(kFrmRepair, [&](QWidget*) {
            shown = true;
            app().repair_state = 1;
        });
        prompt_.answer_yes(true);
        QVERIFY(WindowsErrorPrompt());
        QVERIFY(shown);
    }

  private:
    // Only the statistics of loop3 are off; switching them on works.
    static RepairActions actions() {
        RepairActions a;
        a.needed = [](RepairKind k, auto&) { return k == RepairKind::EnableIostats; };
        a.run = [](RepairKind, std::string& out) {
            out += "echo 1 > /sys/block/loop3/queue/iostats\n";
            return true;
        };
        a.probe = [] { return true; };
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
