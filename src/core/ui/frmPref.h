#pragma once

#include <QDialog>
#include <filesystem>

#include "core/Preferences.h"

class QCheckBox;
class QComboBox;

namespace bw {

// The preferences window: the test time and four choices of the preferences file. Save writes
// them and closes the window; closing it otherwise changes nothing.
class frmPref : public QDialog {
    Q_OBJECT
public:
    explicit frmPref(std::filesystem::path prefs, QWidget* parent = nullptr);

    // Save's work: the controls into the preferences file, then the window closes.
    void Command1_Click();
    // What the controls hold now.
    PreferenceValues values() const;

private:
    std::filesystem::path prefs_;
    QComboBox* Combo1_ = nullptr;
    QCheckBox *Check1_ = nullptr, *Check2_ = nullptr, *Check3_ = nullptr, *Check4_ = nullptr;
};

}  // namespace bw
