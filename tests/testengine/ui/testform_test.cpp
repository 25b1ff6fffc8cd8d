// The test window over scripted counter readings and a settings file kept in memory, offscreen:
// what it shows each tick, how it ends, and what closing it tells the testers.
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <map>
#include <memory>

#include "core/AppState.h"
#include "core/SettingsKeys.h"
#include "support/fakes.h"
#include "support/result_folders.h"
#include "testengine/ui/TestForm.h"

using namespace bw;
using namespace bw::testengine;

class TestFormTest : public QObject {
    Q_OBJECT

    std::map<std::string, std::string> ini_;
    std::unique_ptr<test::OwnResultFolders> folders_;
    TickReading reading_;

    std::string& key(std::string_view s, std::string_view k) {
        return ini_[std::string(s) + "/" + std::string(k)];
    }
    RunEnv env() {
        RunEnv e;
        e.read = [this](std::string_view s, std::string_view k) { return key(s, k); };
        e.write = [this](std::string_view s, std::string_view k, std::string_view v) { key(s, k) = v; };
        e.sample = [this] { return reading_; };
        e.tester_running = [] { return true; };
        return e;
    }
    static TestParameters params() {
        TestParameters p;
        p.drive = "D:";
        p.drive_entry = "D:  1GB RAM [PD 2 (Volume)]  RAM Drive";
        p.read = true;
        p.block_codes = "12";
        p.seconds_per_block = 2;
        p.estimate_seconds = 8;
        p.type = JobType::Performance;
        return p;
    }
    static QString text(TestForm& w, const char* name) {
        auto* l = w.findChild<QLabel*>(name);
        if (!l) qFatal("no label %s", name);
        return l->text();
    }
    void busy(double read_bytes, double cpu) {
        reading_.figures.read_bytes = read_bytes;
        reading_.drive[logical_disk::kBytesPerSec] = read_bytes;
        reading_.drive[logical_disk::kReadBytesPerSec] = read_bytes;
        reading_.cpu_percent = cpu;
        reading_.figures.tester_read_ops = {100, 50, 25};
        reading_.tester_sums[tester_io::kReadOpsPerSec] = 175;
    }

private slots:
    void init() {
        ini_.clear();
        reading_ = {};
        // The report's result files go to a folder of the test's own.
        folders_ = std::make_unique<test::OwnResultFolders>();
    }
    void cleanup() {
        folders_.reset();
    }

    // A tick shows the figures with their units, colours the processor load, raises the read bar
    // from the base line and files the sample; closing tells the testers to stop.
    void a_tick_shows_and_files() {
        test::ScriptedPrompt prompt;
        test::UsePrompt use(prompt);
        TestForm w(params(), env());
        w.show();
        QTRY_COMPARE(key(keys::kHardDriveTest1, keys::kRun), std::string("1"));
        key(keys::kTesterFunction, keys::kReadingBlock) = "2";
        key(keys::kTesterFunction, keys::kMultiTaskReading) = "0";
        busy(150'000'000, 55);
        w.GetVALUES();
        QCOMPARE(text(w, "TLabel"), QString("Performing Read Test on D: Drive at 8KB"));
        QCOMPARE(text(w, "MainValue_0"), QString("175 Ops"));
        QCOMPARE(text(w, "HighRead"), QString("150,000,000 Bytes"));
        QCOMPARE(text(w, "HWUse"), QString("55.00%"));
        QVERIFY(w.findChild<QLabel*>("HWUse")->styleSheet().contains("#ff0000"));
        auto* bar = w.findChild<QFrame*>("ReadBar");
        const int bottom = bar->y() + bar->height();
        QCOMPARE(bar->height(), 100);  // 1500 twips
        QCOMPARE(w.run().samples().side(1, 2, Side::Read).sample_count, 1);
        QCOMPARE(text(w, "RTestRating_1"), QString("1500"));
        // A slower tick leaves the bar; a calm processor turns the label dark blue.
        busy(900'000, 10);
        w.GetVALUES();
        QCOMPARE(bar->height(), 100);
        QCOMPARE(bar->y() + bar->height(), bottom);
        QVERIFY(w.findChild<QLabel*>("HWUse")->styleSheet().contains("#000080"));
        QCOMPARE(text(w, "TestPER"), QString("37.5%"));  // with write off one tick ran at opening
        QCOMPARE(text(w, "TimeRemain"), QString("Est: 0:00:05"));
        w.close();
        QCOMPARE(key(keys::kSettings, keys::kRunStatus), std::string("1"));
        QCOMPARE(key(keys::kSettings, keys::kOpenTest), std::string("1"));
        QVERIFY(prompt.shown().empty());
    }

    // The testers finish: the timer stops, the results show and the chosen blocks' buttons work.
    void finishing_shows_the_results() {
        TestForm w(params(), env());
        w.show();
        QTRY_COMPARE(key(keys::kHardDriveTest1, keys::kRun), std::string("1"));
        key(keys::kTesterFunction, keys::kReadingBlock) = "1";
        key(keys::kTesterFunction, keys::kMultiTaskReading) = "0";
        busy(2'000'000, 5);
        w.GetVALUES();
        key(keys::kHardDriveTest1, keys::kFinished) = "1";
        w.GetVALUES();
        QVERIFY(!w.Timer1()->isActive());
        const QString results = w.findChild<QPlainTextEdit*>("OverallText")->toPlainText();
        QVERIFY2(results.contains("Peak Overall Rating is "), qPrintable(results));
        QVERIFY2(results.contains("PeakResults.Dat"), qPrintable(results));  // the files written
        QVERIFY(std::filesystem::exists(folders_->path() / "PeakResults.Dat"));
        // The block button shows that block's read group; the read summary the whole read text.
        w.findChild<QPushButton*>("RClick_1")->click();
        const QString block = w.findChild<QPlainTextEdit*>("OverallText")->toPlainText();
        QVERIFY2(block.contains("for Block Size 4KB"), qPrintable(block));
        QVERIFY2(block.contains("Peak Read Speed 2,000,000 Bps"), qPrintable(block));
        QVERIFY(!w.findChild<QPushButton*>(QString("RClick_%1").arg(kBlockCount + 2))->isEnabled());
        QVERIFY(w.findChild<QPushButton*>("mnuSave")->isEnabled());
        QVERIFY(w.findChild<QPushButton*>("RClick_1")->isEnabled());
        QVERIFY(!w.findChild<QPushButton*>("RClick_3")->isEnabled());
        QVERIFY(w.isVisible());  // stays until the user closes it
        QCOMPARE(key(keys::kHardDriveTest1, keys::kFinished), std::string("2"));
    }

    // A refusal is shown at once and closes the window; testers that never start close it
    // quietly after five ticks (the start button then says so).
    void refusal_and_no_start_close_the_window() {
        test::ScriptedPrompt prompt;
        test::UsePrompt use(prompt);
        {
            TestForm w(params(), env());
            w.show();
            QTRY_COMPARE(key(keys::kHardDriveTest1, keys::kRun), std::string("1"));
            key(keys::kHardDriveTest1, keys::kError) = "No room for the test file on /mnt/d.";
            w.GetVALUES();
            QVERIFY(!w.isVisible());
            QCOMPARE(prompt.texts(), std::vector<std::string>{
                                         "The test could not run: No room for the test file on /mnt/d."});
        }
        prompt.clear();
        ini_.clear();
        TestForm w(params(), env());
        w.show();
        QTRY_COMPARE(key(keys::kHardDriveTest1, keys::kRun), std::string("1"));
        for (int t = 0; t < 5; ++t) w.GetVALUES();
        QVERIFY(!w.isVisible());
        QCOMPARE(w.run_state(), 5);
        QVERIFY(prompt.shown().empty());
    }
};

QTEST_MAIN(TestFormTest)
#include "testform_test.moc"
