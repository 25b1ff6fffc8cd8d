// The result windows offscreen over golden data: the block graph of a recorded main test, the
// overall report of golden reports (find, save, a damaged file), the print window, and the PDF
// of a golden report, whose text must be in it (read back with pdftotext where installed).
#include <QAction>
#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <sstream>

#include "core/AppState.h"
#include "core/ui/frmSave.h"
#include "platform/prompt.h"
#include "results/ui/frmOverall.h"
#include "results/ui/frmPrint.h"
#include "results/ui/frmResultBlock.h"
#include "standalone/fake_drive.h"
#include "standalone/ui/FrmBasic.h"
#include "support/fakes.h"
#include "support/golden.h"
#include "support/recorded_run.h"
#include "testengine/TestParameters.h"
#include "testengine/ui/TestForm.h"

using namespace bw;

namespace {

std::string golden_report(const std::string& name) {
    return test::read_file(std::filesystem::path(BW_SOURCE_DIR) / "tests/golden/report" / name);
}

// The report's lines that carry words, without their line ends or surrounding blanks.
std::vector<std::string> worded_lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const auto a = line.find_first_not_of(" \t\r");
        if (a == std::string::npos) continue;
        const auto b = line.find_last_not_of(" \t\r");
        out.push_back(line.substr(a, b - a + 1));
    }
    return out;
}

// Without blanks: pdftotext lays columns out with its own spacing, and a line longer than the
// page wraps (also after a hyphen).
std::string squeezed(const std::string& s) {
    std::string out;
    for (char c : s)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\f') out += c;
    return out;
}

// With BW_SHOT_DIR set (a person looking at the windows under Xvfb), each window's picture and
// the PDF are kept there.
void keep_shot(QWidget& w, const char* name) {
    const QByteArray dir = qgetenv("BW_SHOT_DIR");
    if (dir.isEmpty()) return;
    QTest::qWait(300);  // let the charts lay themselves out
    w.grab().save(QString("%1/%2.png").arg(QString::fromUtf8(dir), name));
}

// The save window that opens next chooses `name` in `folder`.
void answer_save_window(const std::filesystem::path& folder, const char* name) {
    QTimer::singleShot(0, [folder, name] {
        auto* save = qobject_cast<frmSave*>(QApplication::activeModalWidget());
        QVERIFY(save);
        save->Label1()->setText(QString::fromStdString(folder.string()));
        save->Text1()->setText(name);
        save->Command1_Click();
    });
}

QBarSeries* bars_of(QWidget& w) {
    auto* view = w.findChild<QChartView*>("BarChart");
    if (!view || view->chart()->series().isEmpty()) return nullptr;
    return qobject_cast<QBarSeries*>(view->chart()->series().first());
}

}  // namespace

class ResultWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> prog_;
    test::ScriptedPrompt prompt_;

  private slots:
    void init() {
        prog_ = std::make_unique<test::TempDir>();
        app().program_folder = prog_->path();
        set_prompt(&prompt_);
    }
    void cleanup() {
        set_prompt(nullptr);
        prompt_.clear();
        app().program_folder.clear();
        prog_.reset();
    }

    void the_block_graph_of_a_recorded_run_shows_each_type_and_block() {
        const test::RecordedRun run = test::load_recorded_run("ssd-sata");
        frmResultBlock w(
            [&](results::GraphFigure f) {
                return results::main_test_graph(run.samples, run.params.block_codes, f);
            },
            nullptr, run.params.drive_entry);
        w.show();
        QBarSeries* bars = bars_of(w);
        QVERIFY(bars);
        // Read and write at the lite multi-task level: four types over three blocks.
        QCOMPARE(bars->count(), 4);
        QCOMPARE(bars->barSets().first()->label(), QString("Single Read"));
        QCOMPARE(bars->barSets().first()->count(), 3);
        auto* x = qobject_cast<QBarCategoryAxis*>(
            w.findChild<QChartView*>("BarChart")->chart()->axes(Qt::Horizontal).first());
        QCOMPARE(x->categories(), (QStringList{"4KB", "64KB", "1024KB"}));
        const double peak = bars->barSets().first()->at(0);
        QVERIFY(peak > 0);
        w.findChild<QComboBox*>("cboFigure")->setCurrentIndex(1);  // Average
        QVERIFY(bars_of(w)->barSets().first()->at(0) <= peak);
        QVERIFY(!w.findChild<QChartView*>("LineChart")->chart()->series().isEmpty());
        w.findChild<QComboBox*>("cboFigure")->setCurrentIndex(0);
        keep_shot(w, "frmResultBlock");
    }

    void a_running_test_is_followed_until_it_ends() {
        int calls = 0;
        bool running = true;
        frmResultBlock w(
            [&](results::GraphFigure) {
                ++calls;
                return results::ResultBlockGraph{};
            },
            [&] { return running; }, "D:  1GB");
        QCOMPARE(calls, 1);
        QVERIFY(w.findChild<QLabel*>("Label1")->text().contains("No block has finished yet."));
        QTRY_VERIFY_WITH_TIMEOUT(calls >= 2, 3000);
        running = false;
        QTRY_VERIFY_WITH_TIMEOUT(!w.findChild<QLabel*>("Label1")->text().contains("running"), 3000);
        const int settled = calls;
        QTest::qWait(1300);
        QCOMPARE(calls, settled);  // a finished test is not read again
    }

    void the_overall_report_is_searchable_and_saved_as_it_was() {
        const std::string text =
            "\r\n\r\n" + golden_report("ssd-sata.txt") + "\r\n\r\n" + golden_report("usb2.txt");
        test::write_file(*prog_ / "Overall.txt", text);
        frmOverall w(prog_->path());
        w.show();
        auto* view = w.findChild<QPlainTextEdit*>("txtOutput");
        QVERIFY(view->font().fixedPitch() || QFontInfo(view->font()).fixedPitch());
        auto* find = w.findChild<QLineEdit*>("txtFind");
        find->setText("USB");
        QVERIFY(w.find());
        QCOMPARE(view->textCursor().selectedText(), QString("USB"));
        const int first = view->textCursor().position();
        QVERIFY(w.find());
        QVERIFY(view->textCursor().position() != first);
        find->setText("no such words in a report");
        QVERIFY(!w.find());
        QCOMPARE(w.findChild<QLabel*>("lblFind")->text(), QString("Not found"));
        keep_shot(w, "frmOverall");

        test::TempDir target;
        answer_save_window(target.path(), "all.txt");
        w.mnuSave();
        QCOMPARE(test::read_file(target / "all.txt"), text);  // line ends and all
    }

    void a_missing_or_damaged_overall_report_opens_without_a_crash() {
        frmOverall none(prog_->path());
        QVERIFY(none.findChild<QPlainTextEdit*>("txtOutput")
                    ->toPlainText()
                    .contains("Overall.txt holds no results yet."));
        QVERIFY(!none.findChild<QPushButton*>("mnuSave")->isEnabled());
        QVERIFY(!none.findChild<QPushButton*>("mnuPrint")->isEnabled());

        std::string binary(100 * 1024, '\0');
        for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 7);
        test::write_file(*prog_ / "Overall.txt", binary);
        frmOverall damaged(prog_->path());
        damaged.show();
        QVERIFY(!damaged.findChild<QPlainTextEdit*>("txtOutput")->toPlainText().isEmpty());
        QVERIFY(damaged.findChild<QPushButton*>("mnuPrint")->isEnabled());
    }

    void the_pdf_of_a_golden_report_holds_its_text() {
        PrintContent c;
        c.title = "Overall Results of All Drives";
        c.text = golden_report("ssd-sata.txt");
        const test::RecordedRun run = test::load_recorded_run("ssd-sata");
        c.graph = results::main_test_graph(run.samples, run.params.block_codes,
                                           results::GraphFigure::Peak);
        test::TempDir out;
        std::string error;
        QVERIFY2(export_pdf(c, true, true, out / "report.pdf", &error), error.c_str());
        const std::string pdf = test::read_file(out / "report.pdf");
        QVERIFY(pdf.rfind("%PDF-", 0) == 0);
        if (const QByteArray dir = qgetenv("BW_SHOT_DIR"); !dir.isEmpty())
            test::write_file(std::filesystem::path(dir.toStdString()) / "report.pdf", pdf);

        std::string nothing_error;
        QVERIFY(!export_pdf(c, false, false, out / "none.pdf", &nothing_error));
        QVERIFY(!nothing_error.empty());
        QVERIFY(!std::filesystem::exists(out / "none.pdf"));

        const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
        if (pdftotext.isEmpty()) QSKIP("pdftotext is not installed (poppler-utils)");
        QProcess p;
        p.start(pdftotext, {QString::fromStdString((out / "report.pdf").string()), "-"});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        const std::string got = squeezed(p.readAllStandardOutput().toStdString());
        QVERIFY(got.find("OverallResultsofAllDrives") != std::string::npos);
        int checked = 0;
        for (const std::string& line : worded_lines(c.text)) {
            QVERIFY2(got.find(squeezed(line)) != std::string::npos, line.c_str());
            ++checked;
        }
        QVERIFY(checked > 20);
        // The charts' own words come after the text.
        QVERIFY(got.find("Throughputpersecond") != std::string::npos);
    }

    void the_print_window_offers_only_what_there_is() {
        PrintContent text_only;
        text_only.title = "Basic Test";
        text_only.text = "Write Test on D Drive at 4 KB\r\n";
        frmPrint w(text_only);
        QVERIFY(w.findChild<QCheckBox*>("ChkText")->isChecked());
        QVERIFY(!w.findChild<QCheckBox*>("ChkGraph")->isEnabled());

        PrintContent with_graph = text_only;
        with_graph.graph = results::ResultBlockGraph{};
        frmPrint g(with_graph);
        QVERIFY(g.findChild<QCheckBox*>("ChkGraph")->isEnabled());
        QVERIFY(g.findChild<QCheckBox*>("ChkGraph")->isChecked());
        g.show();
        keep_shot(g, "frmPrint");
    }

    void the_basic_tests_graph_shows_its_blocks_and_seconds() {
        auto drive = std::make_unique<basic::fake::FakeDrive>();
        auto* d = drive.get();
        d->rate = [](double t) { return t < 3 ? 50e6 : 200e6; };
        basic::BasicParams p;
        p.drive = 'D';
        p.block_codes = "15";
        p.seconds_per_block = 3;
        p.file_size = 200;
        p.write = p.read = true;
        p.total_seconds = 12;
        FrmBasic w(
            p, std::move(drive), [d] { return d->now(); }, "D:  1GB HDD [PD 1]");
        w.show();
        QTRY_COMPARE_WITH_TIMEOUT(w.findChild<QPushButton*>("Command1")->text(), QString("Done"),
                                  10000);
        QVERIFY(w.findChild<QAction*>("mnuPrint")->isEnabled());
        results::ResultBlockGraph seen;
        QTimer::singleShot(0, [&] {
            auto* graph = qobject_cast<frmResultBlock*>(QApplication::activeModalWidget());
            QVERIFY(graph);
            seen = graph->graph();
            keep_shot(*graph, "frmResultBlock-basic");
            graph->accept();
        });
        w.mnuGraph();
        QCOMPARE(seen.blocks, (std::vector<std::string>{"4KB", "64KB"}));
        QCOMPARE(seen.bars.size(), std::size_t{2});
        QCOMPARE(seen.bars[0].name, std::string("Write"));
        // The 4 KB write ran at 50 MB/s, everything after at 200 MB/s.
        QCOMPARE(seen.bars[0].mb_per_s, (std::vector<double>{50, 200}));
        QCOMPARE(seen.bars[1].mb_per_s, (std::vector<double>{200, 200}));
        std::size_t seconds = 0;
        for (const auto& line : seen.lines) seconds += line.points.size();
        std::size_t sampled = 0;  // every second the run sampled reaches the graph
        for (const auto& b : w.outcome().blocks) sampled += b.samples.size();
        QVERIFY(sampled >= 12);  // 2 blocks x 2 sides x at least 3 seconds
        QCOMPARE(seconds, sampled);
        keep_shot(w, "FrmBasic");
    }

    void the_print_windows_pdf_takes_the_save_windows_name_and_the_preview_draws() {
        PrintContent c;
        c.title = "Basic Test on D:";
        c.text = "Write Test on D Drive at 4 KB\r\n   Peak Write: 1,000 Bps\r\n";
        c.drive_entry = "D:  1GB HDD [PD 1]";
        frmPrint w(c);
        test::TempDir target;
        answer_save_window(target.path(), "basic.txt");
        w.Pdf_Click();
        QVERIFY(std::filesystem::exists(target / "basic.pdf"));
        QVERIFY(!std::filesystem::exists(target / "basic.txt"));
        QCOMPARE(prompt_.count_containing("Saved as"), 1);

        bool drawn = false;
        QTimer::singleShot(0, [&] {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
            QVERIFY(preview);
            drawn = true;
            preview->reject();
        });
        w.Preview_Click();
        QVERIFY(drawn);
        QCOMPARE(prompt_.count_containing("Choose the report text"), 0);
    }

    void the_test_windows_graph_needs_all_eleven_blocks() {
        struct Case {
            const char* codes;
            bool enabled;
        };
        for (const Case& c : {Case{"123456789AB", true}, Case{"BA987654321", true},
                              Case{"15A", false}, Case{"123456789A", false}}) {
            testengine::TestParameters p;
            p.drive = "D:";
            p.drive_entry = "D:  1GB RAM [PD 2 (Volume)]  RAM Drive";
            p.read = true;
            p.block_codes = c.codes;
            TestForm form(p, testengine::RunEnv{});  // never shown: no job goes out
            QCOMPARE(form.findChild<QPushButton*>("mnuGraph")->isEnabled(), c.enabled);
            QVERIFY(!form.findChild<QPushButton*>("mnuPrint")->isEnabled());  // no report yet
        }
        if (qEnvironmentVariableIsSet("BW_SHOT_DIR")) {
            testengine::TestParameters p;
            p.drive = "D:";
            p.drive_entry = "D:  1GB RAM [PD 2 (Volume)]  RAM Drive";
            p.read = true;
            p.block_codes = "123456789AB";
            testengine::RunEnv quiet;  // testers that never answer
            quiet.read = [](std::string_view, std::string_view) { return std::string(); };
            quiet.write = [](std::string_view, std::string_view, std::string_view) {};
            quiet.prepare = [] {};
            quiet.sample = [] { return testengine::TickReading{}; };
            quiet.tester_running = [] { return true; };
            TestForm form(p, quiet);
            form.resize(1000, 900);
            form.show();
            keep_shot(form, "TestForm");
        }
    }
};

QTEST_MAIN(ResultWindowsTest)
#include "result_windows_test.moc"
