// The comparison window offscreen over the result files in tests/fixtures/results: the lists and
// the sort-by-drive switch, the title and the common scale of a comparison, "SortDrive" written at
// close, and result files with hostile lines opened without a crash.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <filesystem>

#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"
#include "results/CompareResults.h"
#include "results/ui/frmCompare.h"
#include "support/fakes.h"

using namespace bw;
using namespace bw::results;

class FrmCompareTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir_;
    std::filesystem::path prefs() const { return dir_->path() / "DariDozodaz.dat"; }

    // An SSD run of one block that ran single and lite multi-task reads.
    static CurrentRun ssd_run(double m1) {
        CurrentRun run;
        run.drive_entry = "D:  250GB SSD [PD 1]  SSD";
        run.system = "MB:Z77 Cntrl:Serial ATA AHCI Controller";
        CurrentBlock b;
        b.block = "4KB";
        b.read[0] = 1000;
        b.read[1] = m1;
        b.write[0] = 500;
        b.peak_read = 100000000;
        b.peak_write = 50000000;
        run.peak = {b};
        run.average = {b};
        return run;
    }
    std::unique_ptr<frmCompare> open(std::optional<CurrentRun> run,
                                     const std::filesystem::path& folder) {
        CompareSources s = compare_sources(folder);
        return std::make_unique<frmCompare>(s.peak, s.average, std::move(run), prefs());
    }
    static QString text(QWidget& w, const QString& name) {
        auto* l = w.findChild<QLabel*>(name);
        if (!l) qFatal("no label %s", qPrintable(name));
        return l->text();
    }
    static QStringList rows(QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i) out << list->item(i)->text().left(10);
        return out;
    }

private slots:
    void init() { dir_ = std::make_unique<test::TempDir>(); }
    void cleanup() { dir_.reset(); }

    void lists_follow_the_switch_and_the_setting_is_kept_at_close() {
        WriteINI(prefs(), keys::kSettings, keys::kSortDrive, "1");
        auto w = open(ssd_run(0), test::fixture("results"));
        // Read at open: only the SSD lines of the peak file and the user's own.
        QVERIFY(w->Check1()->isChecked());
        QCOMPARE(rows(w->HoldP()), QStringList({"Samsung SS", "Crucial M4", "Samsung SS",
                                                "Samsung SS", "Samsung SS"}));
        QCOMPARE(w->HoldA()->count(), 2);
        // Toggled: rebuilt at once with every line.
        w->show();
        QTest::mouseClick(w->Check1(), Qt::LeftButton);
        QVERIFY(!w->Check1()->isChecked());
        QCOMPARE(w->HoldP()->count(), 7);
        QCOMPARE(w->HoldA()->count(), 3);
        // One list at a time.
        QVERIFY(w->HoldP()->isVisible() && !w->HoldA()->isVisible());
        w->GStyle_Click(1);
        QVERIFY(!w->HoldP()->isVisible() && w->HoldA()->isVisible());
        // Closing writes the switch back.
        w->close();
        QCOMPARE(ReadINI(prefs(), keys::kSettings, keys::kSortDrive), std::string("0"));
    }

    void a_comparison_has_its_title_and_one_scale() {
        auto w = open(ssd_run(0), test::fixture("results"));
        QVERIFY(!w->Check1()->isChecked());  // no setting yet: every line
        // Lines 1 (Kingston, total 100) and 4 (Crucial, 13300 = the largest total).
        w->HoldP()->item(0)->setSelected(true);
        w->HoldP()->item(3)->setSelected(true);
        w->Command1_Click();
        QCOMPARE(text(*w, "Label1"), QString("Compare Basic"));  // no multi-task figures
        QCOMPARE(w->compared().size(), size_t{3});
        QCOMPARE(w->compared()[0].total, 1500.0);
        QCOMPARE(text(*w, "Label3"), QString("Graph = 0 to 13300 Bytes"));
        QCOMPARE(text(*w, "PRead_0"), QString("Peak Read: 100,000,000 Bytes"));
        QCOMPARE(text(*w, "PWrite_2"), QString("Peak Write: 200,000,000 Bytes"));
        // Every bar is set against the same maximum; the largest total fills its bar.
        for (int i = 0; i < 3; ++i)
            for (const char* bar : {"BarRead_%1", "BarWrite_%1", "BarTotal_%1"}) {
                auto* b = w->findChild<QProgressBar*>(QString(bar).arg(i));
                QCOMPARE(b->maximum(), 13300);
            }
        QCOMPARE(w->findChild<QProgressBar*>("BarTotal_2")->value(), 13300);
        QCOMPARE(w->findChild<QProgressBar*>("BarRead_0")->value(), 1000);
        // The lines read are deselected, ready for another choice.
        QVERIFY(w->HoldP()->selectedItems().isEmpty());
        // BW_SCREENSHOT_DIR set: the window as it stands, for a person to look at.
        if (const QString dir = qEnvironmentVariable("BW_SCREENSHOT_DIR"); !dir.isEmpty()) {
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            QVERIFY(w->grab().save(dir + "/frmCompare.png"));
        }

        auto lite = open(ssd_run(700), test::fixture("results"));
        lite->Command1_Click();
        QCOMPARE(text(*lite, "Label1"), QString("Compare Basic to Lite Multi-Task"));
        QCOMPARE(text(*lite, "Label3"), QString("Graph = 0 to 2200 Bytes"));
    }

    void hostile_result_files_open_and_show_zeros() {
        test::write_file(dir_->path() / "MyPResults.Dat",
                         std::string("Drive PEAK Read S:\r\n") +            // truncated
                             std::string("\0\x01\xff PEAK\xfe\r\n", 11) +   // binary
                             std::string(100 * 1024, 'A') + " PEAK Read S:" +
                             std::string(1000, '9') + "\r\n" +  // 100 KB, a figure past any double
                             "torn PEAK Read S:5");            // no line end: dropped
        test::write_file(dir_->path() / "ResultsPeak.dat", std::string(4096, '\xff'));
        auto w = open(std::nullopt, dir_->path());
        QCOMPARE(w->HoldP()->count(), 3);
        for (int i = 0; i < 3; ++i) w->HoldP()->item(i)->setSelected(true);
        w->Command1_Click();
        QCOMPARE(w->compared().size(), size_t{4});
        for (const auto& s : w->compared()) {
            QCOMPARE(s.total, 0.0);
            QCOMPARE(s.peak_read, 0.0);
        }
        QCOMPARE(text(*w, "Label3"), QString("Graph = 0 to 1 Bytes"));
        QCOMPARE(text(*w, "ReadVAL_3"), QString("Read: 0"));
        w->close();
    }
};

QTEST_MAIN(FrmCompareTest)
#include "frmCompare_test.moc"
