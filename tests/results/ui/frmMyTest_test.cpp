// "Compare My Test" offscreen: nothing to show says so; the user's own result lines and the drive
// history are grouped by drive (the history's identity where it knows the test) and block, in a
// table and a chart over time; hostile lines do not stop it.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "core/AppState.h"
#include "core/Startup.h"
#include "core/ui/FrmMain.h"
#include "app/ProgramUi.h"
#include "results/DriveHistory.h"
#include "results/MyTests.h"
#include "results/ui/frmMyTest.h"
#include "support/fakes.h"

using namespace bw;
using namespace bw::results;

class FrmMyTestTest : public QObject {
    Q_OBJECT

private slots:
    void the_menu_entry_says_when_there_is_nothing_and_opens_the_window_otherwise() {
        test::TempDir prog;
        app().program_folder = prog.path();
        UiRegistry ui;
        register_program_ui(ui);
        StartSteps steps;
        MainWindowState state;
        FrmMain w(steps, ui, state);
        test::ScriptedPrompt prompt;
        set_prompt(&prompt);
        w.findChild<QAction*>("mnuMyTest")->trigger();
        QCOMPARE(prompt.texts(), std::vector<std::string>{"No Data Collected to Compare"});
        std::filesystem::copy(test::fixture("results/MyPResults.Dat"), prog / "MyPResults.Dat");
        int rows = -1;
        QTimer::singleShot(0, [&] {
            QWidget* window = QApplication::activeModalWidget();
            if (!window) qFatal("no window for the user's tests");
            rows = window->findChild<QTableWidget*>("tblTests")->rowCount();
            window->close();
        });
        w.findChild<QAction*>("mnuMyTest")->trigger();
        set_prompt(nullptr);
        QCOMPARE(rows, 2);  // the drive's two tests at 4KB, the first block it ran
        QCOMPARE(prompt.texts().size(), size_t{1});
        app() = AppState{};
    }

    void own_lines_join_the_history_of_their_drive() {
        // The history knows the 3 March test; the 10 April one is only in the result lines.
        const std::vector<HistoryEntry> history = {
            {"wwn:0x50025", "2013-03-03 14:05:09", "D:", "Performance", "4KB", "Samsung SSD 850",
             110000000, 85000000},
            {"wwn:0x50025", "2013-03-03 14:05:09", "D:", "Performance", "64KB", "Samsung SSD 850",
             500000000, 400000000},
            {"wwn:0x50025", "2013-05-01 08:00:00", "E:", "Performance", "4KB", "Samsung SSD 850",
             90000000, 70000000},
        };
        test::TempDir prog;
        for (const char* f : {"MyPResults.Dat", "MyAResults.Dat"})
            std::filesystem::copy(test::fixture(std::string("results/") + f), prog / f);
        std::string text;
        for (const auto& e : history) text += history_line(e) + "\r\n";
        test::write_file(prog.path() / kDriveHistoryFile, text + "garbage\r\n");
        OwnTestFiles files = read_own_tests(prog.path());
        QCOMPARE(files.notes.size(), size_t{1});  // the garbage line, counted

        frmMyTest w(std::move(files));
        QCOMPARE(w.cboDrive()->count(), 2);
        QCOMPARE(w.cboDrive()->itemData(0).toString(), QString("name: Samsung SSD 850 SSD SATA 6G"));
        QCOMPARE(w.cboDrive()->itemData(1).toString(), QString("wwn:0x50025"));
        w.cboDrive()->setCurrentIndex(1);
        QCOMPARE(w.cboBlock()->count(), 2);  // 4KB, 64KB
        QCOMPARE(w.cboBlock()->currentText(), QString("4KB"));
        QCOMPARE(w.shown().size(), size_t{2});
        const OwnTest& march = w.shown()[0];
        QCOMPARE(march.when, std::string("2013-03-03 14:05:09"));
        QCOMPARE(march.overall, 1950.0);         // from the peak line
        QCOMPARE(march.average_read, 90000000.0);  // from the average line
        QCOMPARE(w.table()->item(1, 2)->text(), QString("90,000,000"));
        QVERIFY(w.findChild<QLabel*>("lblNotes")->text().contains("1 lines are not history"));
        // BW_SCREENSHOT_DIR set: the window as it stands, for a person to look at.
        if (const QString dir = qEnvironmentVariable("BW_SCREENSHOT_DIR"); !dir.isEmpty()) {
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QVERIFY(w.grab().save(dir + "/frmMyTest.png"));
        }
        w.cboDrive()->setCurrentIndex(0);
        QCOMPARE(w.shown().size(), size_t{1});
        QCOMPARE(w.shown()[0].when, std::string("2013-04-10 09:30:00"));
    }

    void times_of_result_lines() {
        const struct {
            const char* bracket;
            const char* want;
        } rows[] = {
            {"140509 03 Mar 2013", "2013-03-03 14:05:09"},
            {"000000 31 Dec 1999", "1999-12-31 00:00:00"},
            {"140509 03 March 2013", ""},
            {"14:509 03 Mar 2013", ""},
            {"140509 03 Mar 20x3", ""},
            {"MB:Z77 CPU/C:i7/8 Cn", ""},
        };
        for (const auto& r : rows) QCOMPARE(line_time(r.bracket), std::string(r.want));
    }
};

QTEST_MAIN(FrmMyTestTest)
#include "frmMyTest_test.moc"
