#pragma once

// The result-block graph: beside each other, the grouped bars of every block size (one bar per
// test type that ran, peak or average) and the throughput of each sampled second. Opened from
// the test window and from the basic test window, also while their test runs: then it follows
// the test once a second until the test ends.

#include <QDialog>

#include <functional>
#include <string>

#include "results/ResultBlockGraph.h"

class QChartView;
class QComboBox;
class QLabel;
class QTimer;

namespace bw {

// The figures now; called again each second while `running` says the test goes on.
using GraphSource = std::function<results::ResultBlockGraph(results::GraphFigure)>;
using StillRunning = std::function<bool()>;

class frmResultBlock : public QDialog {
    Q_OBJECT
  public:
    frmResultBlock(GraphSource source, StillRunning running, std::string drive_entry,
                   QWidget* parent = nullptr);

    // Shows the window modally.
    static void Show(GraphSource source, StillRunning running, std::string drive_entry,
                     QWidget* parent);

    results::GraphFigure figure() const;
    const results::ResultBlockGraph& graph() const { return graph_; }
    // Draws the figures again (the timer's tick, the peak/average choice).
    void refresh();
    void mnuPrint();

  private:
    GraphSource source_;
    StillRunning running_;
    std::string drive_entry_;
    results::ResultBlockGraph graph_;
    QComboBox* cboFigure_ = nullptr;
    QLabel* Label1_ = nullptr;
    QChartView* bars_ = nullptr;
    QChartView* lines_ = nullptr;
    QTimer* Timer1_ = nullptr;
};

}  // namespace bw
