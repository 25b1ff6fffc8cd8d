// The main window's option interlocks and how it shows and saves its state, offscreen.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QSignalSpy>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include "core/AppState.h"
#include "app/ProgramUi.h"
#include "core/INIReadWrite.h"
#include "core/ui/FrmMain.h"
#include "core/ui/MainMenu.h"
#include "core/ui/Loading.h"
#include "platform/RawRead.h"
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
    // Blanks that may not break a line read as blanks.
    QString text(FrmMain& w, const char* name) {
        return find<QLabel>(w, name)->text().replace(QChar(0x00A0), ' ');
    }
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
        QCOMPARE(w.findChild<QMenu*>("mnua")->title(), QString("&About"));
        for (const auto& entry : kMainMenu) {
            const QString name = QString::fromUtf8(entry.name.data(), int(entry.name.size()));
            auto* a = w.findChild<QAction*>(name);
            QVERIFY2(a, qPrintable(name));
            const bool registered = ui.action(entry.name) != nullptr;
            QVERIFY2(a->isEnabled() == registered, qPrintable(name));
            // A disabled entry says what it will do and that this version lacks it.
            QVERIFY2(a->toolTip().endsWith(" - not available in this version.") == !registered,
                     qPrintable(name + ": " + a->toolTip()));
        }
        // The entries that need no later window are all live.
        for (const char* name : {"mnupref", "mnuMyTest", "mnuweb", "mnnexit", "mnuabout", "mnuAHCI"})
            QVERIFY2(w.findChild<QAction*>(name)->isEnabled(), name);
        QCOMPARE(w.findChild<QMenu*>("mnuopt")->title(), QString("&Tools"));
        QVERIFY(w.findChild<QAction*>("mnuBasicTest")->isEnabled());
        QVERIFY(!w.findChild<QAction*>("mnuMEM")->isEnabled());

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

    // A drive whose raw device will not open for direct reading is tested through a file: the
    // "Performance Test" option is locked with the reason, "Functional Test" is chosen; a drive
    // that opens frees the option again (the choice stays with the user).
    void refused_device_locks_the_performance_test() {
        StartSteps steps;
        steps.provide(StepId::SelectDrive, [](StepContext&) {});
        MainWindowState state;
        state.options.DriveList = {"C:  20GB VirtIO [PD 0 (Volume)]  VirtIO Block Device {OS}",
                                   "D:  67MB Loop [PD 1 (Volume)]  Loop Device"};
        state.drive_facts[state.options.DriveList[0]].device = "/dev/vda";
        state.drive_facts[state.options.DriveList[1]].device = "/dev/loop0";
        std::vector<std::string> probed;
        set_raw_read_probe([&](const std::string& device) {
            probed.push_back(device);
            return device == "/dev/vda" ? device + ": Operation not permitted" : std::string();
        });
        FrmMain w(steps, ui_, state);
        auto* performance = find<QRadioButton>(w, "TestType1");
        QVERIFY(performance->isChecked());
        find<QComboBox>(w, "DriveList")->setCurrentIndex(0);
        QCOMPARE(probed, std::vector<std::string>{"/dev/vda"});
        QVERIFY(!performance->isEnabled());
        QVERIFY(find<QRadioButton>(w, "TestType0")->isChecked());
        QVERIFY2(performance->toolTip().contains("/dev/vda: Operation not permitted"),
                 qPrintable(performance->toolTip()));
        QCOMPARE(performance->toolTip().contains("needs root"), !running_as_root());
        find<QComboBox>(w, "DriveList")->setCurrentIndex(1);
        QVERIFY(performance->isEnabled());
        QCOMPARE(performance->toolTip(), QString("Will Read the Drive"));
        QVERIFY(find<QRadioButton>(w, "TestType0")->isChecked());
        set_raw_read_probe({});
    }

    // Each drive entry's tool tip tells the Linux facts of its volume; Label7 keeps the memory
    // figures instead of going blank when a drive without specifications is chosen; the note of
    // what needs root shows only when there is one.
    void drive_facts_and_notes() {
        StartSteps steps;
        steps.provide(StepId::SelectDrive, [](StepContext& ctx) { ctx.state.Label7.clear(); });
        LiveFigures figures;
        figures.memory_text = "Memory   Used: 1 MB   Free: 2 MB";
        steps.provide(StepId::LiveFigures, [&](StepContext& ctx) { ctx.live = figures; });
        MainWindowState state;
        state.options.DriveList = {"C:  a", "D:  b"};
        state.options.DriveListIndex = 0;
        state.drive_facts["D:  b"].details = "Device: /dev/loop0p1   Backing file: /tmp/b.img";
        state.options.root_note = root_note(false);
        FrmMain w(steps, ui_, state);
        w.show();
        auto* list = find<QComboBox>(w, "DriveList");
        QCOMPARE(list->itemData(1, Qt::ToolTipRole).toString(),
                 QString("Device: /dev/loop0p1   Backing file: /tmp/b.img"));
        w.Timer1_Timer();
        list->setCurrentIndex(1);
        QCOMPARE(text(w, "Label7"), QString::fromStdString(figures.memory_text) +
                                        "\nDevice: /dev/loop0p1   Backing file: /tmp/b.img");
        QCOMPARE(list->toolTip(), QString("Device: /dev/loop0p1   Backing file: /tmp/b.img"));
        auto* note = find<QLabel>(w, "RootNote");
        QVERIFY(note->isVisible() && note->text().contains("TRIM switching"));
        state.options.root_note = root_note(true);
        w.show_state();
        QVERIFY(!note->isVisible());
    }

    // A click on "Drive" names the program's process and each tester's, one message each.
    void label3_click_names_the_processes() {
        test::TempDir work;
        app().working_folder = work.path();
        MainWindowState state;
        FrmMain w(steps_, ui_, state);
        w.show();
        test::ScriptedPrompt prompt;
        set_prompt(&prompt);
        QTest::mouseClick(find<QLabel>(w, "Label3"), Qt::LeftButton);
        set_prompt(nullptr);
        const auto texts = prompt.texts();
        QCOMPARE(texts.size(), size_t{4});
        QCOMPARE(QString::fromStdString(texts[0]),
                 QString("Brantwell: process id %1").arg(QCoreApplication::applicationPid()));
        QCOMPARE(texts[3], std::string("LOADWorker3.exe: not running"));
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
