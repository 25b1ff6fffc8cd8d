#pragma once

#include <QDialog>
#include <ctime>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace bw {

// The save window: a folder (the program folder at first; the folder button chooses another)
// and a file name (the default name of the drive entry and the time). Save leaves the full path
// in SavePath(), Cancel leaves "".
class frmSave : public QDialog {
    Q_OBJECT
  public:
    frmSave(const std::string& drive_entry, const std::tm& now, QWidget* parent = nullptr);

    // Shows the window modally; the chosen path, "" after Cancel.
    static std::string Ask(const std::string& drive_entry, QWidget* parent);

    QLabel* Label1() const { return label1_; }
    QLineEdit* Text1() const { return text1_; }
    // Save (Command1): the folder is made when missing; a name that is no file name is refused.
    void Command1_Click();
    void Command2_Click();

  private:
    void Image1_Click();

    QLabel* label1_;
    QLineEdit* text1_;
};

}  // namespace bw
