#pragma once

// The test window: one main test on one drive. It opens the run (the job goes to the testers),
// ticks it once a second with `Timer1` and shows every figure of the tick, grouped: the testers,
// the drive, the processor, the highest speeds with their bars, the scores per test type, and the
// progress. When the testers finish it shows what was measured; closing it tells the testers to
// stop at once.

#include <QDialog>

#include <array>
#include <memory>
#include <optional>

#include "core/ui/UiRegistry.h"
#include "testengine/ReportFinish.h"
#include "testengine/TestDisplay.h"
#include "testengine/TestRun.h"

class QFrame;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace bw {

class TestForm : public QDialog {
    Q_OBJECT
public:
    TestForm(const testengine::TestParameters& params, testengine::RunEnv env,
             QWidget* parent = nullptr);
    ~TestForm() override;

    // The tick handler of `Timer1`.
    void GetVALUES();
    // The run state the start button checks: failed start checks.
    int run_state() const { return run_.failed_start_ticks(); }
    const testengine::TestRun& run() const { return run_; }
    QTimer* Timer1() const { return Timer1_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void build();
    void open_run();
    void show_tick();
    void show_bar(QFrame* bar, Side side, double bytes);
    void ended(testengine::RunEnd end);
    void RClick(int index);
    void mnuSave_Click();
    void mnuGraph_Click();
    void mnuPrint_Click();
    void stop_run();

    testengine::TestRun run_;
    bool opened_ = false, stopped_ = false;
    QTimer* Timer1_ = nullptr;
    std::array<QLabel*, tester_io::kCount> MainValue_{};
    std::array<QLabel*, testengine::kValueACount> ValueA_{};
    QLabel *ReadSeek_ = nullptr, *WriteSeek_ = nullptr, *TesterCpu_ = nullptr;
    QLabel *HWUse_ = nullptr, *CPUFreqL_ = nullptr, *HighRead_ = nullptr, *HighWrite_ = nullptr;
    QFrame *ReadBar_ = nullptr, *WriteBar_ = nullptr;
    std::array<QLabel*, testengine::kTestTypeCount> Rating_{};  // RTestRating 1..4, WTestRating 5..8
    QLabel *TLabel_ = nullptr, *TestLb_ = nullptr, *ExampleTest_ = nullptr;
    QLabel *TestPER_ = nullptr, *TimeRemain_ = nullptr;
    QProgressBar* TestBar_ = nullptr;
    // "ALL" (the whole report), the eleven sizes, then the read and the write summaries.
    std::array<QPushButton*, kBlockCount + 3> RClick_{};
    QPushButton* mnuSave_ = nullptr;
    QPushButton* mnucompare_ = nullptr;  // frmCompare, when the program has it
    QPushButton *mnuGraph_ = nullptr, *mnuPrint_ = nullptr;
    QPlainTextEdit* OverallText_ = nullptr;
    std::optional<testengine::FinishedTest> finished_;
};

// "Command1" (Run Test): the start button's steps with the test window; "Basic Test ONLY" runs
// the registered basic test instead.
void register_testengine_ui(UiRegistry& registry);

}  // namespace bw
