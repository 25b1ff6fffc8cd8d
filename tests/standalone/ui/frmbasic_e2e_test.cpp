// The basic test window offscreen over a zram disk the test makes (root): the write test and the
// raw-volume read test of one block run to "Done" with real figures and leave no test file.
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "core/AppState.h"
#include "platform/DirectIo.h"
#include "standalone/BasicDrive.h"
#include "standalone/ui/FrmBasic.h"
#include "support/fakes.h"
#include "support/scratch_device.h"

using namespace bw;

class FrmBasicE2eTest : public QObject {
    Q_OBJECT

  private slots:
    void a_run_on_zram_through_the_window() {
        if (const std::string why = test::scratch_unavailable(); !why.empty()) QSKIP(why.c_str());
        test::ScratchZram zram({1024, "ext4", true});
        QVERIFY2(zram.ok(), zram.error().c_str());
        test::TempDir prog, work;
        app().program_folder = prog.path();
        basic::BasicParams p;
        p.drive = 'D';
        p.block_codes = "5";
        p.seconds_per_block = 3;
        p.unit_size = 4096;
        p.file_size = 200;
        p.write = p.read = true;
        p.read_source = basic::ReadSource::Volume;
        p.overall_file = prog / "Overall.txt";
        p.total_seconds = 6;
        FrmBasic w(p, basic::make_direct_drive(work.path(), zram.mount_point(), zram.device()),
                   basic::steady_seconds(), "D:  1GB RAM [PD 4]");
        w.show();
        QTRY_COMPARE_WITH_TIMEOUT(w.findChild<QPushButton*>("Command1")->text(), QString("Done"),
                                  30000);
        for (const auto& problem : w.outcome().problems) QFAIL(problem.c_str());
        QCOMPARE(w.outcome().blocks.size(), size_t(2));
        for (const auto& b : w.outcome().blocks) {
            QCOMPARE(b.block_size, std::uint64_t(524288));  // 128 sectors of 4096 bytes
            QVERIFY(b.figures.average > 10e6 && b.figures.peak >= b.figures.average);
        }
        QVERIFY(w.findChild<QLabel*>("BAverRead(4)")->text().endsWith(" Bps"));
        QVERIFY(!std::filesystem::exists(zram.mount_point() / "TestB.tmp"));
        const std::string overall = test::read_file(p.overall_file);
        QVERIFY(overall.find("Write Test on D Drive at 512 KB") != std::string::npos);
        QVERIFY(overall.find("Read Test on D Drive at 512 KB") != std::string::npos);
        app().program_folder.clear();
    }
};

QTEST_MAIN(FrmBasicE2eTest)
#include "frmbasic_e2e_test.moc"
