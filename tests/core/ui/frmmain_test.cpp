// The main window's option interlocks and how it shows and saves its state, offscreen.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/ui/FrmMain.h"
#include "core/ui/Loading.h"
#include "support/fakes.h"

using namespace bw;

class FrmMainTest : public QObject {
    Q_OBJECT

    template <typename T>
    T* find(FrmMain& w, const char* name) {
        T* c = w.findChild<T*>(name);
        if (!c) qFatal("no control %s", name);
        return c;
    }
    // A check box is acted on when the mouse button is released over it.
    void click(QCheckBox* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2)); }

private slots:
    void multi_task_levels_exclude_each_other() {
        StartupServices services;
        MainWindowState state;
        FrmMain w(services, state);
        auto* lite = find<QCheckBox>(w, "ChkMulti");
        auto* heavy = find<QCheckBox>(w, "ChkMultiH");
        auto* intense = find<QCheckBox>(w, "ChkMultiHS");
        click(lite);
        QVERIFY(lite->isChecked());
        click(intense);
        QVERIFY(!lite->isChecked());
        QVERIFY(!heavy->isChecked());
        QVERIFY(intense->isChecked());
    }

    void read_and_write_together_clear_the_multi_task_boxes() {
        StartupServices services;
        MainWindowState state;
        state.options.ChkRead.checked = true;
        FrmMain w(services, state);
        click(find<QCheckBox>(w, "ChkMultiH"));
        click(find<QCheckBox>(w, "ChkWrite"));
        QVERIFY(!find<QCheckBox>(w, "ChkMultiH")->isChecked());
        QVERIFY(find<QCheckBox>(w, "ChkWrite")->isChecked());
    }

    void basic_only_locks_the_multi_task_boxes() {
        StartupServices services;
        MainWindowState state;
        FrmMain w(services, state);
        click(find<QCheckBox>(w, "ChkMulti"));
        click(find<QCheckBox>(w, "BasicOnly"));
        for (const char* name : {"ChkMulti", "ChkMultiH", "ChkMultiHS", "TestAllDrv"}) {
            QVERIFY2(!find<QCheckBox>(w, name)->isEnabled(), name);
            QVERIFY2(!find<QCheckBox>(w, name)->isChecked(), name);
        }
        click(find<QCheckBox>(w, "BasicOnly"));
        QVERIFY(find<QCheckBox>(w, "ChkMultiHS")->isEnabled());
    }

    void test_all_drives_hides_the_live_figures() {
        StartupServices services;
        MainWindowState state;
        state.options.DriveList = {"C:\\ a", "D:\\ b"};
        FrmMain w(services, state);
        w.show();
        QVERIFY(find<QLabel>(w, "DQueue")->isVisible());
        click(find<QCheckBox>(w, "TestAllDrv"));
        QVERIFY(!find<QLabel>(w, "DQueue")->isVisible());
        QVERIFY(!find<QLabel>(w, "Label3")->isVisible());
    }

    void selecting_a_drive_runs_the_selection_handler() {
        StartupServices services;
        std::string selected;
        services.select_drive = [&](const std::string& entry) {
            selected = entry;
            return std::string("specs of ") + entry.substr(0, 2);
        };
        MainWindowState state;
        state.options.DriveList = {"C:\\  [20GB] [PD 0] {OS}", "D:\\  [2.00TB] [PD 1]"};
        state.options.DriveListIndex = 0;
        FrmMain w(services, state);
        find<QComboBox>(w, "DriveList")->setCurrentIndex(1);
        QCOMPARE(QString::fromStdString(selected), QString("D:\\  [2.00TB] [PD 1]"));
        QCOMPARE(find<QLabel>(w, "Label7")->text(), QString("specs of D:"));
        QVERIFY(find<QRadioButton>(w, "TestType1")->isChecked());
    }

    void selecting_an_ssd_chooses_the_functional_test() {
        StartupServices services;
        MainWindowState state;
        state.options.DriveList = {"C:\  [20GB] [PD 0] {OS}", "E:\  [250GB SSD] [PD 1]"};
        state.options.DriveListIndex = 0;
        state.options.TestType = 1;
        FrmMain w(services, state);
        find<QComboBox>(w, "DriveList")->setCurrentIndex(1);
        QVERIFY(find<QRadioButton>(w, "TestType0")->isChecked());
    }

    void closing_saves_the_options() {
        test::TempDir work, prog;
        app().working_folder = work.path();
        app().program_folder = prog.path();
        StartupServices services;
        MainWindowState state;
        state.options.DriveList = {"C:\\ a", "E:\\ b"};
        state.options.DriveListIndex = 0;
        {
            FrmMain w(services, state);
            w.show();
            find<QListWidget>(w, "SelBlock")->item(0)->setSelected(true);
            find<QRadioButton>(w, "TestType0")->setChecked(true);
            find<QComboBox>(w, "DriveList")->setCurrentIndex(1);
            w.close();
        }
        QCOMPARE(QString::fromStdString(ReadINI(app().prefs_ini(), "Settings", "Block")), QString("1"));
        QCOMPARE(QString::fromStdString(ReadINI(app().prefs_ini(), "Settings", "Type")), QString("1"));
        QCOMPARE(QString::fromStdString(ReadINI(app().working_ini(), "Settings", "Last Drive")),
                 QString("E:\\ b"));
        QCOMPARE(QString::fromStdString(ReadINI(app().working_ini(), "Settings", "Run Status")),
                 QString("2"));
        app() = AppState{};
    }

    void periodic_display_shows_load_drive_and_memory() {
        StartupServices services;
        LiveFigures figures;
        figures.cpu_percent = 12.5;
        figures.physical = false;
        figures.disk_time_percent = 3.14159;
        figures.bytes_per_sec = 2'500'000;
        figures.memory_text = "Memory   Used: 1 MB   Free: 2 MB";
        services.sample_live = [&](const std::string&) { return figures; };
        MainWindowState state;
        state.options.DriveList = {"C:\ a"};
        state.options.DriveListIndex = 0;
        FrmMain w(services, state);
        w.Timer1_Timer();
        QCOMPARE(find<QLabel>(w, "CPULabel")->text(), QString("CPU: 12.5%"));
        QVERIFY(find<QLabel>(w, "CPULabel")->styleSheet().contains("255,0,0"));
        QCOMPARE(find<QLabel>(w, "Label3")->text(), QString("Drive (L)"));
        QCOMPARE(find<QLabel>(w, "DQueue")->text(), QString("3.14%"));
        QCOMPARE(find<QLabel>(w, "DTransfer")->text(), QString("2.5 MB"));
        QCOMPARE(find<QLabel>(w, "Label7")->text(), QString::fromStdString(figures.memory_text));

        // Decoded specifications stay; a busy program shows no drive activity.
        state.Label7 = "Size: 2 TB";
        w.show_state();
        app().busy = true;
        w.Timer1_Timer();
        QCOMPARE(find<QLabel>(w, "Label7")->text(), QString("Size: 2 TB"));
        QCOMPARE(find<QLabel>(w, "DQueue")->text(), QString("0.00%"));
        QCOMPARE(find<QLabel>(w, "DTransfer")->text(), QString("0 Bytes"));
        app().busy = false;
    }

    void splash_shows_step_and_dots() {
        Loading splash;
        set_splash(&splash);
        QCOMPARE(splash.Label1()->text(), QString("LOADING"));
        QCOMPARE(splash.Label2()->text(), QString("...................."));
        show_step("System Info");
        QCOMPARE(splash.Label1()->text(), QString("System Info"));
        advance_progress();  // twenty-one dots wrap to none
        QCOMPARE(splash.Label2()->text(), QString(""));
        advance_progress();
        QCOMPARE(splash.Label2()->text(), QString("."));
        set_splash(nullptr);
    }
};

QTEST_MAIN(FrmMainTest)
#include "frmmain_test.moc"
