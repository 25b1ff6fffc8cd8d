#pragma once

// The overall report of every drive a run tested ("Overall.txt"), shown at the end of a test of
// all drives: fixed-width text that keeps the report's columns, a find box, save and print.

#include <QDialog>

#include <filesystem>
#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace bw {

class frmOverall : public QDialog {
    Q_OBJECT
  public:
    explicit frmOverall(const std::filesystem::path& program_folder, QWidget* parent = nullptr);
    static void Show(const std::filesystem::path& program_folder, QWidget* parent);

    // The next (or the previous) place the find box's text occurs, going round at the end;
    // false when it occurs nowhere.
    bool find(bool backward = false);
    void mnuSave();
    void mnuPrint();

  private:
    bool has_report_ = false;
    std::string text_;  // as read, line ends and all: what save and print keep
    QPlainTextEdit* txtOutput_ = nullptr;
    QLineEdit* txtFind_ = nullptr;
    QLabel* lblFind_ = nullptr;
};

}  // namespace bw
