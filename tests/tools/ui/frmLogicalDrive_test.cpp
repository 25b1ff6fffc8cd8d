// The monitor window offscreen: its drive list and selection, the busy flag and the topmost flag
// for as long as it is open, the help texts, the figures as the command line shows them, and the
// main window's actions that open it.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <nlohmann/json.hpp>

#include "app/ProgramUi.h"
#include "core/AppState.h"
#include "core/StartSteps.h"
#include "core/Startup.h"
#include "core/ui/MainMenu.h"
#include "counters/CounterState.h"
#include "support/fakes.h"
#include "tools/LogicalDriveText.h"
#include "tools/ui/MonitorUi.h"
#include "tools/ui/frmLogicalDrive.h"

using namespace bw;

namespace {

const std::vector<std::string> kDrives = {"C:\\ [System] 20GB", "E:\\ 1GB Loop [PD 2]",
                                          "D:\\ 64MB Loop [PD 1]"};

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

bool shows_red(QLabel* l) {
    return l->styleSheet().contains("rgb(255,0,0)");
}
bool shows_navy(QLabel* l) {
    return l->styleSheet().contains("rgb(0,0,128)");
}

// Runs `work` on the modal window once it is shown, then closes it.
void when_shown(std::function<void(frmLogicalDrive&)> work) {
    QTimer::singleShot(0, [work] {
        const auto monitor = [] {
            return qobject_cast<frmLogicalDrive*>(QApplication::activeModalWidget());
        };
        if (!QTest::qWaitFor([&] { return monitor() != nullptr; })) return;
        frmLogicalDrive* w = monitor();
        work(*w);
        if (w->isVisible()) w->close();
    });
}

}  // namespace

class FrmLogicalDriveTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        saved_ = app();
        app().busy = false;
        app().processor_count = 2;
        ResetCounterState();  // no counters: every reading is 0
        set_prompt(&prompt_);
    }
    void cleanup() {
        set_prompt(nullptr);
        prompt_.clear();
        app() = saved_;
    }

    // The entries in the main window's order, the main window's drive selected (else the
    // first); busy and topmost while open, ticking once a second; closing rests it all.
    void opensOnTheMainWindowsDriveAndRestsWhenClosed() {
        {
            frmLogicalDrive w(kDrives, kDrives[2], {});
            QCOMPARE(w.Combo1()->count(), 3);
            QCOMPARE(w.Combo1()->itemText(1), QString::fromStdString(kDrives[1]));
            QCOMPARE(w.Combo1()->currentIndex(), 2);
            QCOMPARE(w.selected_letter(), 'D');
            QVERIFY(app().busy);
            QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
            w.show();
            QVERIFY(w.Timer1()->isActive());
            QCOMPARE(w.Timer1()->interval(), 1000);
            // The first tick already showed figures (no counters: zeros).
            QCOMPARE(w.LeftVal(0)->text(), QString("0 %"));
            QCOMPARE(w.RightVal(11)->text(), QString("n/a"));
            QVERIFY(!w.RightVal(11)->toolTip().isEmpty());
            w.Combo1()->setCurrentIndex(1);
            QCOMPARE(w.selected_letter(), 'E');
            QTest::mouseClick(w.findChild<QPushButton*>("Command1"), Qt::LeftButton);
            QVERIFY(!w.isVisible());
            QVERIFY(!w.Timer1()->isActive());
            QVERIFY(!app().busy);
        }
        frmLogicalDrive other(kDrives, "Z:\\ gone", {});
        QCOMPARE(other.Combo1()->currentIndex(), 0);
        QCOMPARE(other.selected_letter(), 'C');
        frmLogicalDrive empty({}, "", {});
        QCOMPARE(empty.selected_letter(), '\0');
        empty.Timer1_Timer();  // nothing to select: the processor and memory figures still show
        QCOMPARE(empty.LeftVal(12)->text(), QString("0.00%"));
    }

    // Every caption shows its own help text under the pointer; the window itself shows the
    // window's.
    void helpTextsUnderThePointer() {
        frmLogicalDrive w(kDrives, kDrives[0], {});
        w.resize(900, 600);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (int i = 0; i < kMonitorRows; ++i) {
            QEvent enter_left(QEvent::Enter);
            QApplication::sendEvent(w.LeftCap(i), &enter_left);
            QCOMPARE(w.Text1()->text(), qs(kMonitorLeft[static_cast<size_t>(i)].help));
            QEvent enter_right(QEvent::Enter);
            QApplication::sendEvent(w.RightCap(i), &enter_right);
            QCOMPARE(w.Text1()->text(), qs(kMonitorRight[static_cast<size_t>(i)].help));
        }
        QVERIFY(w.Text1()->text().startsWith("Shows the average number of pages faulted"));
        // Over the window's margin, where no control is.
        const QPoint margin(2, w.height() / 2);
        QMouseEvent move(QEvent::MouseMove, margin, w.mapToGlobal(margin), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &move);
        QCOMPARE(w.Text1()->text(), qs(kMonitorHelp));
    }

    // The window shows a recorded tick exactly as the command line printed it, colours included;
    // a value that recovers turns navy again.
    void showsWhatTheCommandLineShowedForTheSameReadings() {
        frmLogicalDrive w(kDrives, kDrives[1], {});
        std::ifstream in(test::fixture("monitor/loop-write.jsonl"));
        QVERIFY(in.good());
        int lines = 0;
        for (std::string line; std::getline(in, line); ++lines) {
            const auto j = nlohmann::json::parse(line);
            w.show_figures(MonitorFiguresOf(MonitorSnapshotFromJson(j["readings"])));
            for (int i = 0; i < kMonitorRows; ++i) {
                const auto& left = j["left"][static_cast<size_t>(i)];
                const auto& right = j["right"][static_cast<size_t>(i)];
                QCOMPARE(w.LeftVal(i)->text(), QString::fromStdString(left["text"]));
                QCOMPARE(w.RightVal(i)->text(), QString::fromStdString(right["text"]));
                QCOMPARE(shows_red(w.LeftVal(i)), left["red"].get<bool>());
                QCOMPARE(shows_red(w.RightVal(i)), right["red"].get<bool>());
            }
        }
        QVERIFY(lines > 0);

        MonitorSnapshot s;
        s.disk[logical_disk::kFreeSpace] = 14;
        w.show_figures(MonitorFiguresOf(s));
        QVERIFY(shows_red(w.LeftVal(0)));
        s.disk[logical_disk::kFreeSpace] = 15;
        w.show_figures(MonitorFiguresOf(s));
        QVERIFY(shows_navy(w.LeftVal(0)));
    }

    // "Command3" and "mnuMonitor" rest the main window's figures while the monitor is shown over
    // the main window's drive; frmLabel runs the registered basic test over the monitor, or says
    // it is not there.
    void mainWindowActionsOpenTheMonitor() {
        // The program registers both; the monitor's own registration is what is under test, with
        // the basic test added below.
        UiRegistry program;
        register_program_ui(program);
        QVERIFY(program.action(kCommand3) && program.action(kMnuMonitor));
        UiRegistry ui;
        register_monitor_ui(ui);
        MainWindowState state;
        state.options.DriveList = kDrives;
        state.options.DriveListIndex = 1;
        StartSteps steps;
        std::vector<std::string> calls;
        MainWindowHooks hooks{
            [&] { calls.push_back("pause"); }, [&] { calls.push_back("resume"); }, {}, {}};
        MenuContext ctx{nullptr, state, steps, hooks};

        char shown_letter = 0;
        bool busy_while_shown = false;
        when_shown([&](frmLogicalDrive& w) {
            calls.push_back("shown");
            shown_letter = w.selected_letter();
            busy_while_shown = app().busy;
            emit w.frmLabel()->linkActivated("#");  // no basic test registered yet
        });
        (*ui.action(kCommand3))(ctx);
        QCOMPARE(calls, (std::vector<std::string>{"pause", "shown", "resume"}));
        QCOMPARE(shown_letter, 'E');
        QVERIFY(busy_while_shown);
        QVERIFY(!app().busy);
        QCOMPARE(prompt_.count_containing(kNoBasicTest), 1);

        QWidget* basic_parent = nullptr;
        frmLogicalDrive* monitor = nullptr;
        std::string basic_drive;
        ui.add_action(kMnuBasicTest, [&](MenuContext& c) {
            basic_parent = c.main_window;
            basic_drive = c.state.options.selected_drive();
        });
        calls.clear();
        when_shown([&](frmLogicalDrive& w) {
            monitor = &w;
            w.Combo1()->setCurrentIndex(2);
            emit w.frmLabel()->linkActivated("#");
        });
        (*ui.action(kMnuMonitor))(ctx);
        QCOMPARE(calls, (std::vector<std::string>{"pause", "resume"}));
        QVERIFY(monitor && basic_parent == monitor);
        // The drive the monitor showed; the main window's selection stays where it was.
        QCOMPARE(basic_drive, kDrives[2]);
        QCOMPARE(state.options.DriveListIndex, 1);
        QCOMPARE(prompt_.count_containing(kNoBasicTest), 1);
    }

  private:
    AppState saved_;
    test::ScriptedPrompt prompt_;
};

QTEST_MAIN(FrmLogicalDriveTest)
#include "frmLogicalDrive_test.moc"
