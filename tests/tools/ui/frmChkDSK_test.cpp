// The disk check window over recorded checker runs: the texts it adds before and after a check,
// its buttons through the states, Cancel, and the questions it asks.
#include <QCheckBox>
#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>
#include <QtTest>

#include "core/Startup.h"
#include "core/ui/MainMenu.h"
#include "support/chkdsk_fakes.h"
#include "tools/ChkDskTexts.h"
#include "tools/ui/frmChkDSK.h"

namespace bw {

using test::CheckerStep;
using Kind = CheckerStep::Kind;

class FrmChkDSKTest : public QObject {
    Q_OBJECT
  private:
    struct Window {
        test::ChkDskRig rig;
        test::FakeClock clock;
        test::UseClock use_clock{clock};
        frmChkDSK form{{"C: 30 GB [PD 0] {OS}", "D: 64 MB [PD 1]", "E: 320 MB [PD 2]"},
                       rig.machine};
        QString text() const { return form.txtOutput()->toPlainText(); }
        void choose(const char* root) { form.cboDrives()->setCurrentText(root); }
    };

    static std::vector<CheckerStep> recorded(const std::string& name) {
        return test::chunked(Kind::Output, test::read_file(test::fixture("chkdsk/" + name)), 32);
    }

  private slots:
    void loadListsTheDriveRootsAndWaits() {
        Window w;
        QCOMPARE(w.form.cboDrives()->count(), 3);
        QCOMPARE(w.form.cboDrives()->currentText(), QString("C:\\"));
        QCOMPARE(w.form.cboDrives()->itemText(1), QString("D:\\"));
        QCOMPARE(w.form.Command1()->text(), QString("Scan Disk NOW"));
        QCOMPARE(w.form.Command2()->text(), QString("Exit"));
        QCOMPARE(w.form.chkOptions(2)->text(), QString("Drive is Dirty"));
        QVERIFY(w.form.Command1()->isEnabled());
    }

    // The four endings of a check: the result texts after "Scan Complete" follow the exit status.
    void theResultTextsFollowTheChecksOutcome() {
        struct Case {
            const char* name;
            std::string recording;
            int status;
            bool repair;
            QString ending;
        };
        const Case kCases[] = {
            {"problems, read-only", "e2fsck-check-damaged.out", 4, false,
             "Scan Complete\nPROBLEMS FOUND - Run scan with Repair Option Enabled\n"},
            {"clean", "e2fsck-repair.out", 0, false, "Scan Complete\nNO PROBLEMS FOUND\n"},
            {"repaired", "e2fsck-repair.out", 1, true,
             "D: mounted again at /mnt/d (rw,relatime,errors=remount-ro).\nScan Complete\n"},
            {"checker failed", "e2fsck-repair.out", 8, false, "(exit status 8).\nScan Complete\n"},
        };
        for (const auto& c : kCases) {
            Window w;
            w.choose("D:\\");
            w.rig.host.script = recorded(c.recording);
            w.rig.host.exit_status = c.status;
            if (c.repair) w.rig.prompt.answer_yes();
            w.form.chkOptions(0)->setChecked(c.repair);
            QTest::mouseClick(w.form.Command1(), Qt::LeftButton);
            QVERIFY2(w.text().endsWith(c.ending), qPrintable(QString(c.name) + ": " + w.text()));
            QCOMPARE(w.form.Command2()->text(), QString("Exit"));
            QVERIFY(w.form.Command1()->isEnabled());
            QCOMPARE(w.form.pbrScan()->value(), 0);
            QVERIFY(!w.form.checking());
        }
    }

    void cancelStopsTheCheckAndSaysSo() {
        Window w;
        w.choose("D:\\");
        w.rig.host.script = recorded("e2fsck-check-damaged.out");
        int seen_value = -1;
        w.rig.host.before_step = [&](size_t step) {
            if (step != 3) return;
            QCOMPARE(w.form.Command2()->text(), QString("Cancel"));
            QVERIFY(!w.form.Command1()->isEnabled());
            seen_value = w.form.pbrScan()->value();
            QTest::mouseClick(w.form.Command2(), Qt::LeftButton);
        };
        QTest::mouseClick(w.form.Command1(), Qt::LeftButton);
        QCOMPARE(seen_value, 0);
        QCOMPARE(w.rig.host.stops, std::vector<CheckerStop>{CheckerStop::Kill});
        QVERIFY2(w.text().endsWith("e2fsck: stopped by Cancel.\nScan Cancelled\n"),
                 qPrintable(w.text()));
        QCOMPARE(w.form.Command2()->text(), QString("Exit"));
    }

    void aDirtyDriveIsToldBeforeTheCheck() {
        Window w;
        w.choose("D:\\");
        w.rig.ext_superblock("loop0", 2);
        QString shown_before_check;
        w.rig.host.before_step = [&](size_t) {
            shown_before_check = QString::number(w.rig.prompt.shown().size());
        };
        w.rig.host.script = recorded("e2fsck-repair.out");
        QTest::mouseClick(w.form.Command1(), Qt::LeftButton);
        QCOMPARE(shown_before_check, QString("1"));
        QCOMPARE(QString::fromStdString(w.rig.prompt.shown().at(0).text),
                 QString("D Drive appears to be Marked Dirty. Run a Scan, if any errors show then "
                         "Re-Run the scan and Check Repair and Dirty. The Dirty Drive will be "
                         "repaired on reboot."));
        // The texts of the dirty check are there until the check starts, half a second later.
        QVERIFY(w.clock.paused_total() >= 1000);
    }

    void theDirtyCheckLines() {
        struct Case {
            DirtyResult dirty;
            const char* lines;
        };
        const Case kCases[] = {
            {{false, true, "clean", ""}, "D Drive Checks Clean"},
            {{true, true, "errors were detected (state 2)", ""},
             "D Drive Checks Dirty (errors were detected (state 2))"},
            {{false, false, "", "/dev/loop0: Permission denied"},
             "D Drive Checks Clean\r\n(the dirty state could not be read: /dev/loop0: Permission "
             "denied)"},
        };
        for (const auto& c : kCases) QCOMPARE(DirtyCheckLines('D', c.dirty), std::string(c.lines));
    }

    void enhancedScanAsksFirst() {
        for (bool yes : {false, true}) {
            Window w;
            w.choose("D:\\");
            w.rig.prompt.answer_yes(yes);
            w.form.chkOptions(3)->setChecked(true);
            QTest::mouseClick(w.form.Command1(), Qt::LeftButton);
            QCOMPARE(w.rig.prompt.shown().at(0).title, std::string("Enhanced Scan"));
            QCOMPARE(w.rig.host.commands.size(), yes ? 1u : 0u);
            QVERIFY(
                w.text().contains(
                    "Enhanced Scan: e2fsck reads the device for bad blocks only while repairing") ==
                yes);
        }
    }

    void aFilesystemWithoutACheckerIsSaidAndTheWindowGoesBackToIdle() {
        test::ChkDskRig rig;
        test::FakeClock clock;
        test::UseClock use_clock{clock};
        frmChkDSK form({"G: 1 GB [PD 3]"}, rig.machine);
        QTest::mouseClick(form.Command1(), Qt::LeftButton);
        const QString text = form.txtOutput()->toPlainText();
        QVERIFY2(text.startsWith(
                     "G: holds a filesystem of type exfat, for which Brantwell has no checker"),
                 qPrintable(text));
        QVERIFY(text.endsWith("Scan Complete\n"));
        QVERIFY(!text.contains("PROBLEMS"));
        QVERIFY(form.Command1()->isEnabled());
    }

    void closingDuringACheckCancelsItInstead() {
        Window w;
        w.choose("D:\\");
        w.form.show();
        w.rig.host.script = recorded("e2fsck-check-damaged.out");
        w.rig.host.before_step = [&](size_t step) {
            if (step == 2) w.form.close();
        };
        QTest::mouseClick(w.form.Command1(), Qt::LeftButton);
        QVERIFY(w.form.isVisible());
        QVERIFY(w.text().endsWith("Scan Cancelled\n"));
    }

    void scanDiskRepairMenuOpensTheWindow() {
        UiRegistry ui;
        register_chkdsk_ui(ui);
        QVERIFY(ui.action(kMnuScan) != nullptr);
    }
};

}  // namespace bw

QTEST_MAIN(bw::FrmChkDSKTest)
#include "frmChkDSK_test.moc"
