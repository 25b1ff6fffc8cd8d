// `brantwell-cli test` and the test window give the same report for the same run: recorded runs
// are played back through the run controller once headless (the path brantwell-cli takes) and
// once through the test window (offscreen), and the texts they show are compared with each other
// and with the reviewed report of that recording (tests/golden/report/<run>.txt).
#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <memory>
#include <string>

#include "core/AppState.h"
#include "support/fakes.h"
#include "support/result_folders.h"
#include "support/golden.h"
#include "support/replay_run.h"
#include "testengine/HeadlessRun.h"
#include "testengine/ui/TestForm.h"

using namespace bw;
using namespace bw::testengine;

namespace {

// Line ends as a text box gives them back (it keeps no CR).
std::string without_cr(std::string s) {
    std::erase(s, '\r');
    return s;
}

// The overall report of a golden report file.
std::string golden_overall(const std::string& run) {
    const std::string all = test::read_file(test::golden_path("report/" + run + ".txt"));
    const std::string head = "==== OverallText ====\n";
    const auto from = all.find(head);
    if (from == std::string::npos) return {};
    const auto to = all.find("\n==== ", from + head.size());
    return all.substr(from + head.size(), to == std::string::npos ? to : to + 1 - from - head.size());
}

}  // namespace

class SameReportTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::OwnResultFolders> folders_;

private slots:
    void init() {
        folders_ = std::make_unique<test::OwnResultFolders>();
    }
    void cleanup() {
        folders_.reset();
    }

    void same_report_data() {
        QTest::addColumn<QString>("run");
        // Read only, write only, both; every multi-task level; a RAM drive and a cached read.
        for (const char* run : {"hdd-sata", "ssd-sata", "usb3", "ram", "parallel", "cached"})
            QTest::newRow(run) << QString(run);
    }

    void same_report() {
        QFETCH(QString, run);
        test::ReplayRun replay(test::load_recorded_run(run.toStdString()));
        const TestParameters& params = replay.recorded().params;
        QVERIFY(!replay.recorded().ticks.empty());

        TestRun headless_run(params, replay.env());
        const HeadlessEnd end = run_headless(headless_run, {});
        QCOMPARE(int(end.end), int(RunEnd::Finished));
        QVERIFY(end.finished.has_value());
        const std::string printed = finished_text(*end.finished);

        TestForm window(params, replay.env());
        window.show();
        QTRY_VERIFY(window.run().ticks() > 0 || window.Timer1()->isActive());
        while (window.run().end() == RunEnd::Running) window.GetVALUES();
        QCOMPARE(int(window.run().end()), int(RunEnd::Finished));
        const std::string shown =
            window.findChild<QPlainTextEdit*>("OverallText")->toPlainText().toStdString();

        const std::string printed_text = without_cr(printed);
        QCOMPARE(QString::fromStdString(shown), QString::fromStdString(printed_text));
        // Both are the reviewed report of the recording, then the files written.
        const std::string overall = without_cr(golden_overall(run.toStdString()));
        QVERIFY(!overall.empty());
        QVERIFY2(printed_text.rfind(overall, 0) == 0,
                 qPrintable(QString::fromStdString(test::line_diff(overall, printed_text))));
        QVERIFY(printed_text.find("Result files written:\n") != std::string::npos);
        QVERIFY(printed_text.find((folders_->path() / "Overall.txt").string()) != std::string::npos);
        window.close();
    }
};

QTEST_MAIN(SameReportTest)
#include "same_report_test.moc"
