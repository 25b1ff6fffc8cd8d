#pragma once

// "Compare My Test": the user's own tests, per drive (its identity where the history knows it)
// and block, as a table and as a chart of the peak read and write over time.

#include <QDialog>

#include <string>
#include <vector>

#include "results/MyTests.h"

class QChartView;
class QComboBox;
class QLabel;
class QTableWidget;

namespace bw {

class frmMyTest : public QDialog {
    Q_OBJECT
public:
    explicit frmMyTest(results::OwnTestFiles files, QWidget* parent = nullptr);

    QComboBox* cboDrive() const { return cboDrive_; }
    QComboBox* cboBlock() const { return cboBlock_; }
    QTableWidget* table() const { return table_; }
    // The tests the table and the chart show now.
    const std::vector<results::OwnTest>& shown() const { return shown_; }

private:
    void drive_changed();
    void show_tests();

    results::OwnTestFiles files_;
    std::vector<std::string> groups_;
    std::vector<results::OwnTest> shown_;
    QComboBox *cboDrive_ = nullptr, *cboBlock_ = nullptr;
    QTableWidget* table_ = nullptr;
    QChartView* chart_ = nullptr;
    QLabel* notes_ = nullptr;
};

}  // namespace bw
