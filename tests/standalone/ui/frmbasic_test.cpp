// The basic test window offscreen, over a drive that moves no data: a run fills the live figures,
// the block's panel and the progress; Cancel in the middle closes the window without a result or
// a test file; the save writes the summary under the chosen name; the main window's menu entry
// checks the free space before any window opens.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "app/ProgramUi.h"
#include "core/AppState.h"
#include "core/Startup.h"
#include "core/ui/frmSave.h"
#include "standalone/BasicPlan.h"
#include "standalone/fake_drive.h"
#include "standalone/ui/BasicTestUi.h"
#include "standalone/ui/FrmBasic.h"
#include "support/fakes.h"

using namespace bw;
using basic::fake::FakeDrive;

class FrmBasicTest : public QObject {
    Q_OBJECT

    QString text(QWidget& w, const QString& name) {
        auto* l = w.findChild<QLabel*>(name);
        if (!l) qFatal("no label %s", qPrintable(name));
        return l->text();
    }
    basic::BasicParams params(std::string codes) {
        basic::BasicParams p;
        p.drive = 'D';
        p.block_codes = std::move(codes);
        p.seconds_per_block = 3;
        p.file_size = 200;
        p.write = p.read = true;
        p.total_seconds = 6.0 * static_cast<double>(p.block_codes.size());
        return p;
    }

  private slots:
    void init() {
        app().program_folder = prog_.path();
        set_prompt(&prompt_);
    }
    void cleanup() {
        set_prompt(nullptr);
        prompt_.clear();
    }

    void a_run_fills_the_figures_and_the_blocks_panel() {
        auto drive = std::make_unique<FakeDrive>();
        FakeDrive* d = drive.get();
        test::write_file(prog_ / "Overall.txt", "an earlier test\r\n");
        FrmBasic w(
            params("5"), std::move(drive), [d] { return d->now(); }, "D:  1GB HDD [PD 1]");
        w.show();
        QVERIFY(!QFile::exists(QString::fromStdString((prog_ / "Overall.txt").string())));
        QTRY_COMPARE_WITH_TIMEOUT(w.findChild<QPushButton*>("Command1")->text(), QString("Done"),
                                  10000);
        QCOMPARE(text(w, "WritePeak"), QString("100,000,000 Bps"));
        QCOMPARE(text(w, "WriteIO"), QString("1,526 IOps"));
        QCOMPARE(text(w, "ReadCur"), QString("100,000,000 Bps"));
        QCOMPARE(text(w, "BAverRead(4)"), QString("100,000,000 Bps"));
        QCOMPARE(text(w, "BPeakWriteIO(4)"), QString("1,526 IOps"));
        QCOMPARE(text(w, "TestTitle(4)"), QString("64 KB Test"));  // one block: its panel shows
        QCOMPARE(w.findChild<QStackedWidget*>()->currentWidget()->objectName(),
                 QString("BBlock(4)"));
        QCOMPARE(text(w, "TestPER"), QString("100.0%"));
        QVERIFY(w.findChild<QAction*>("mnu64kb")->isEnabled());
        QVERIFY(!w.findChild<QAction*>("mnu4kb")->isEnabled());
        // The rating bar stands 100 + 5 = 105 x 10 twips = 70 pixels high on its base line.
        QCOMPARE(w.findChild<QWidget*>("WriteBar")->height(), 70);
        QVERIFY(!d->write_file_exists && !d->read_file_exists);
        QCOMPARE(d->write_opens, d->write_removes);
        QVERIFY(prompt_.shown().empty());

        // Save: the chosen name loses its extension and gains " Basic.txt".
        test::TempDir target;
        QTimer::singleShot(0, [&] {
            auto* save = qobject_cast<frmSave*>(QApplication::activeModalWidget());
            QVERIFY(save);
            QVERIFY(save->Text1()->text().startsWith("D   1GB HDD [PD 1] "));
            save->Label1()->setText(QString::fromStdString(target.path().string()));
            save->Text1()->setText("mine.txt");
            save->Command1_Click();
        });
        w.mnuSave();
        const std::string saved = test::read_file(target / "mine Basic.txt");
        QVERIFY(saved.find("Write Test on D Drive at 64 KB\r\n   Peak Write: 100,000,000 Bps") ==
                0);
        QVERIFY(saved.find("   Average Read I/O: 1,526 IOps") != std::string::npos);
    }

    void cancel_during_the_write_test_closes_without_results() {
        auto drive = std::make_unique<FakeDrive>();
        FakeDrive* d = drive.get();
        std::atomic<bool> reached{false}, released{false};
        d->before_transfer = [&](double t) {
            if (t < 4 || released) return;
            reached = true;  // hold the worker here until the test has pressed Cancel
            while (!released) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
        basic::BasicParams p = params("15");
        p.overall_file = prog_ / "Overall.txt";
        FrmBasic w(
            p, std::move(drive), [d] { return d->now(); }, "D:");
        w.show();
        // A failed check returns early: let the worker go then too, or closing the window waits
        // for it forever.
        const std::shared_ptr<void> release(nullptr, [&](void*) { released = true; });
        QTRY_VERIFY_WITH_TIMEOUT(reached.load(), 10000);
        // The worker posts the block's label before its transfers: wait for it to be delivered.
        QTRY_COMPARE_WITH_TIMEOUT(text(w, "MainL"), QString("Write Test on D Drive at 64 KB"),
                                  10000);
        QTest::mouseClick(w.findChild<QPushButton*>("Command1"), Qt::LeftButton);
        released = true;
        QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 10000);
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QVERIFY(w.outcome().cancelled);
        QVERIFY(!d->write_file_exists);
        QCOMPARE(d->read_opens, 0);
        QVERIFY(!QFile::exists(QString::fromStdString(p.overall_file.string())));
    }

    // Too little room for the write test: the question comes before any window; No opens none.
    void the_menu_entry_checks_the_free_space_first() {
        MainWindowState state;
        state.options.DriveList = {"Q:  1GB HDD [PD 9]"};  // no such volume: no room at all
        state.options.DriveListIndex = 0;
        state.options.ChkWrite.checked = true;
        state.options.SelBlock[4] = true;
        prompt_.answer_yes(false);
        StartSteps steps;
        MainWindowHooks hooks;
        QWidget main;
        MenuContext ctx{&main, state, steps, hooks};
        UiRegistry ui;
        register_program_ui(ui);
        (*ui.action("mnuBasicTest"))(ctx);
        QCOMPARE(prompt_.count_containing(
                     "Q Drive does not contain enough free space for a write test, Would you like "
                     "to run just a Read Test?"),
                 1);
        for (QWidget* top : QApplication::topLevelWidgets())
            QVERIFY(top->objectName() != "FrmBasic");
    }

  private:
    test::TempDir prog_;
    test::ScriptedPrompt prompt_;
};

QTEST_MAIN(FrmBasicTest)
#include "frmbasic_test.moc"
