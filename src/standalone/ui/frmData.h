#pragma once

#include <QDialog>
#include <string>

class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace bw {

// The companion window of the TRIM test: the AHCI/NVMe check and switching TRIM on for a volume
// through the console runner, with what the command printed.
class frmData : public QDialog {
    Q_OBJECT
  public:
    explicit frmData(std::string mount_point, QWidget* parent = nullptr);

    QPlainTextEdit* DosBOX() const { return dos_box_; }
    QListWidget* List1() const { return list1_; }

    // Sets the AHCI flag and lists what was found.
    void CheckTRIM();
    // Remounts the volume with discard; lists whether its options show it afterwards.
    void SetTRIM();

  private:
    std::string mount_point_;
    QPlainTextEdit* dos_box_;
    QListWidget* list1_;
};

}  // namespace bw
