#pragma once

#include <QDialog>
#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "results/ResultBlockGraph.h"
#include "standalone/BasicRun.h"

class QAction;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTimer;

namespace bw {

// The basic test window. 100 ms after it opens the write test and then the read test run on a
// worker thread; the window shows each sampled second, the peaks with their rating bars, and
// each block's results in its panel (the block menus). Cancel stops the run at the next sampled
// second and closes the window; the test files are removed on every path.
class FrmBasic : public QDialog {
    Q_OBJECT
  public:
    FrmBasic(basic::BasicParams params, std::unique_ptr<basic::BasicDrive> drive,
             basic::SecondsNow now, std::string drive_entry, QWidget* parent = nullptr);
    ~FrmBasic() override;

    bool running() const { return worker_.joinable() && !finished_; }
    const basic::BasicOutcome& outcome() const { return outcome_; }

    void Command1_Click();
    // A block menu: that block's panel with its title.
    void show_block(int index);
    void mnuMain();
    void mnuSave();
    void mnuGraph();
    void mnuPrint();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    class Relay;
    void Form_Load();
    void Timer1_Timer();
    void SetWRating(double peak);
    void SetRRating(double peak);
    void set_bar(QFrame* bar, double peak);
    void on_sample(const basic::SampleEvent& e);
    void on_block(Side side, int index, const basic::BlockFigures& f);
    void on_problem(const std::string& reason);
    void on_finished(const basic::BasicOutcome& outcome);
    QLabel* label(const QString& name, QWidget* parent);
    void build_controls();
    void build_menus(QWidget* bar_holder);

    basic::BasicParams params_;
    std::unique_ptr<basic::BasicDrive> drive_;
    basic::SecondsNow now_;
    std::string drive_entry_;
    std::unique_ptr<Relay> relay_;
    std::atomic<bool> cancel_{false};
    std::thread worker_;
    bool finished_ = false;
    basic::BasicOutcome outcome_;

    QLabel *MainL_, *WritePeak_, *WriteIO_, *WriteCur_, *ReadPeak_, *ReadIO_, *ReadCur_, *TestPER_;
    QFrame *WriteBar_, *ReadBar_;
    QProgressBar* TestBar_;
    QPushButton* Command1_;
    QTimer* Timer1_;
    QStackedWidget* panels_;
    struct Panel {
        QLabel *TestTitle, *BPeakWrite, *BPeakWriteIO, *BAverWrite, *BAverWriteIO, *BPeakRead,
            *BPeakReadIO, *BAverRead, *BAverReadIO;
    };
    std::array<Panel, 11> BBlock_{};
    std::array<QAction*, 11> block_menus_{};
    QAction* mnuGraph_ = nullptr;
    QAction* mnuPrint_ = nullptr;
    // Every finished block and sampled second so far: what the graph window draws.
    results::BasicGraphInput graph_input_;
};

}  // namespace bw
