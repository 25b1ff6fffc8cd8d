// The main window's option interlocks and how it shows and saves its state, offscreen.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "core/AppState.h"
#include "app/ProgramUi.h"
#include "core/INIReadWrite.h"
#include "core/ui/FrmMain.h"
#include "core/ui/MainMenu.h"
#include "core/ui/Loading.h"
#include "support/fakes.h"

using namespace bw;

class FrmMainTest : public QObject {
    Q_OBJECT

    template <typename T = QCheckBox>
    T* find(FrmMain& w, const char* name) {
        T* c = w.findChild<T*>(name);
        if (!c) qFatal("no control %s", name);
        return c;
    }
    QString text(FrmMain& w, const char* name) { return find<QLabel>(w, name)->text(); }
    bool checked(FrmMain& w, const char* name) { return find(w, name)->isChecked(); }
    // A check box is acted on when the mouse button is released over it.
    void click(FrmMain& w, const char* name) {
        QCheckBox* b = find(w, name);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    }

private slots:
    // The multi-task levels exclude each other, read and write together clear them, testing all
    // drives hides the live figures, and basic-only unchecks and locks all four boxes.
    void option_interlocks() {
        MainWindowState state;
        state.options.ChkRead.checked = true;
        state.options.DriveList = {"C:\\ a", "D:\\ b"};
        FrmMain w(steps_, ui_, state);
        w.show();
        click(w, "ChkMulti");
        QVERIFY(checked(w, "ChkMulti"));
        click(w, "ChkMultiHS");
        QVERIFY(!checked(w, "ChkMulti") && !checked(w, "ChkMultiH") && checked(w, "ChkMultiHS"));
        click(w, "ChkWrite");
        QVERIFY(checked(w, "ChkWrite") && !checked(w, "ChkMultiHS"));
        click(w, "ChkWrite");
        click(w, "ChkMultiH");
        QVERIFY(find<QLabel>(w, "DQueue")->isVisible());
        click(w, "TestAllDrv");
        QVERIFY(!find<QLabel>(w, "DQueue")->isVisible() && !find<QLabel>(w, "Label3")->isVisible());
        click(w, "BasicOnly");
        for (const char* name : {"ChkMulti", "ChkMultiH", "ChkMultiHS", "TestAllDrv"})
            QVERIFY2(!find(w, name)->isEnabled() && !checked(w, name), name);
        click(w, "BasicOnly");
        QVERIFY(find(w, "ChkMultiHS")->isEnabled());
    }

    // Choosing a drive runs the selection handler; a solid-state drive gets the functional test.
    void selecting_a_drive() {
        StartSteps steps;
        std::string selected;
        steps.provide(StepId::SelectDrive, [&](StepContext& ctx) {
            selected = ctx.state.options.selected_drive();
            ctx.state.Label7 = "specs of " + selected.substr(0, 2);
        });
        MainWindowState state;
        state.options.DriveList = {"C:\\  [20GB] [PD 0] {OS}", "D:\\  [2.00TB] [PD 1]",
                                   "E:\\  [250GB SSD] [PD 2]"};
        state.options.DriveListIndex = 0;
        FrmMain w(steps, ui_, state);
        find<QComboBox>(w, "DriveList")->setCurrentIndex(1);
        QCOMPARE(QString::fromStdString(selected), QString("D:\\  [2.00TB] [PD 1]"));
        QCOMPARE(text(w, "Label7"), QString("specs of D:"));
        QVERIFY(find<QRadioButton>(w, "TestType1")->isChecked());
        find<QComboBox>(w, "DriveList")->setCurrentIndex(2);
        QVERIFY(find<QRadioButton>(w, "TestType0")->isChecked());
    }

    // What the widgets hold reaches the settings files (their keys are pinned in startup_test).
    void closing_saves_the_options() {
        test::TempDir work, prog;
        app().working_folder = work.path();
        app().program_folder = prog.path();
        MainWindowState state;
        state.options.DriveList = {"C:\\ a", "E:\\ b"};
        state.options.DriveListIndex = 0;
        {
            FrmMain w(steps_, ui_, state);
            w.show();
            find<QListWidget>(w, "SelBlock")->item(0)->setSelected(true);
            find<QRadioButton>(w, "TestType0")->setChecked(true);
            find<QComboBox>(w, "DriveList")->setCurrentIndex(1);
            w.close();
        }
        auto saved = [](const std::filesystem::path& file, const char* key) {
            return QString::fromStdString(ReadINI(file, "Settings", key));
        };
        QCOMPARE(saved(app().prefs_ini(), "Block"), QString("1"));
        QCOMPARE(saved(app().prefs_ini(), "Type"), QString("1"));
        QCOMPARE(saved(app().working_ini(), "Last Drive"), QString("E:\\ b"));
        app() = AppState{};
    }

    void periodic_display_shows_load_drive_and_memory() {
        StartSteps steps;
        LiveFigures figures;
        figures.cpu_percent = 12.5;
        figures.physical = false;
        figures.disk_time_percent = 3.14159;
        figures.bytes_per_sec = 2'500'000;
        figures.memory_text = "Memory   Used: 1 MB   Free: 2 MB";
        steps.provide(StepId::LiveFigures, [&](StepContext& ctx) { ctx.live = figures; });
        MainWindowState state;
        state.options.DriveList = {"C:\\ a"};
        state.options.DriveListIndex = 0;
        FrmMain w(steps, ui_, state);
        w.Timer1_Timer();
        QCOMPARE(text(w, "CPULabel"), QString("CPU: 12.5%"));
        QVERIFY(find<QLabel>(w, "CPULabel")->styleSheet().contains("255,0,0"));
        QCOMPARE(text(w, "Label3"), QString("Drive (L)"));
        QCOMPARE(text(w, "DQueue"), QString("3.14%"));
        QCOMPARE(text(w, "DTransfer"), QString("2.5 MB"));
        QCOMPARE(text(w, "Label7"), QString::fromStdString(figures.memory_text));

        // Decoded specifications stay; a busy program shows no drive activity.
        state.Label7 = "Size: 2 TB";
        w.show_state();
        app().busy = true;
        w.Timer1_Timer();
        QCOMPARE(text(w, "Label7"), QString("Size: 2 TB"));
        QCOMPARE(text(w, "DQueue") + " " + text(w, "DTransfer"), QString("0.00% 0 Bytes"));
        app().busy = false;
    }

    // The menus come from the menu table; an entry is enabled exactly when the program registers
    // an action for it, and one without says why instead of doing nothing.
    void menus_follow_the_registered_actions() {
        UiRegistry ui;
        register_program_ui(ui);
        StartSteps steps;  // nothing provided: every step is "not available"
        MainWindowState state;
        FrmMain w(steps, ui, state);
        QCOMPARE(w.findChild<QMenu*>("mnuopt")->title(), QString("Tools"));
        QCOMPARE(w.findChild<QMenu*>("mnua")->title(), QString("About"));
        for (const auto& entry : kMainMenu) {
            const QString name = QString::fromUtf8(entry.name.data(), int(entry.name.size()));
            auto* a = w.findChild<QAction*>(name);
            QVERIFY2(a, qPrintable(name));
            const bool registered = ui.action(entry.name) != nullptr;
            QVERIFY2(a->isEnabled() == registered, qPrintable(name));
            QCOMPARE(a->toolTip() == "not available in this version", !registered);
        }
        QVERIFY(w.findChild<QAction*>("mnuBasicTest")->isEnabled());
        QVERIFY(!w.findChild<QAction*>("mnuTRIMTest")->isEnabled());

        // "About" names the version and every step this build lacks, one line each.
        test::ScriptedPrompt prompt;
        set_prompt(&prompt);
        w.findChild<QAction*>("mnuabout")->trigger();
        set_prompt(nullptr);
        QCOMPARE(prompt.count_containing("version check: not available in this version\n"), 1);
        QCOMPARE(prompt.count_containing("starter at exit: not available in this version"), 1);

        // "Exit" closes the window (and unloads it into scratch settings files).
        test::TempDir work, prog;
        app().working_folder = work.path();
        app().program_folder = prog.path();
        w.show();
        w.findChild<QAction*>("mnnexit")->trigger();
        QVERIFY(!w.isVisible());
        app() = AppState{};
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
private:
    StartSteps steps_;
    UiRegistry ui_;
};

QTEST_MAIN(FrmMainTest)
#include "frmmain_test.moc"
