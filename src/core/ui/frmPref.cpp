#include "core/ui/frmPref.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace bw {

namespace {

QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

}  // namespace

frmPref::frmPref(std::filesystem::path prefs, QWidget* parent)
    : QDialog(parent), prefs_(std::move(prefs)) {
    setObjectName("frmPref");
    setWindowTitle("Preferences");
    auto* root = new QVBoxLayout(this);

    auto* time_row = new QHBoxLayout;
    auto* time_label = new QLabel("Test &Time (each)", this);
    Combo1_ = new QComboBox(this);
    Combo1_->setObjectName("Combo1");
    // A time typed in is kept as typed; only whole seconds can be typed.
    Combo1_->setEditable(true);
    Combo1_->lineEdit()->setValidator(new QIntValidator(1, 3600, Combo1_));
    for (auto choice : kTestTimeChoices) Combo1_->addItem(q(choice));
    time_label->setBuddy(Combo1_);
    time_row->addWidget(time_label);
    time_row->addWidget(Combo1_);
    time_row->addWidget(new QLabel("Sec  (30 *)", this));
    time_row->addStretch();
    root->addLayout(time_row);

    auto box = [&](const char* name, const char* caption) {
        auto* b = new QCheckBox(caption, this);
        b->setObjectName(name);
        root->addWidget(b);
        return b;
    };
    Check1_ = box("Check1", "&Cut in 1/2 when ALL Blocks Run *");
    Check2_ = box("Check2", "Always &Ignore Disk Usage");
    Check3_ = box("Check3", "&Download Latest Global Results *");
    Check4_ = box("Check4", "Check for &Newer Version on Start *");
    auto* label3 = new QLabel("* Recommended", this);
    label3->setObjectName("Label3");
    root->addWidget(label3);

    auto* buttons = new QHBoxLayout;
    auto* save = new QPushButton("&Save", this);
    save->setObjectName("Command1");
    save->setDefault(true);
    connect(save, &QPushButton::clicked, this, &frmPref::Command1_Click);
    buttons->addStretch();
    buttons->addWidget(save);
    root->addLayout(buttons);

    const PreferenceValues v = load_preferences(prefs_);
    Combo1_->setCurrentText(QString::fromStdString(v.test_time));
    Check1_->setChecked(v.adjust_test_time);
    Check2_->setChecked(v.always_ignore);
    Check3_->setChecked(v.download_results);
    Check4_->setChecked(v.check_update);
}

PreferenceValues frmPref::values() const {
    PreferenceValues v;
    v.test_time = Combo1_->currentText().trimmed().toStdString();
    v.adjust_test_time = Check1_->isChecked();
    v.always_ignore = Check2_->isChecked();
    v.download_results = Check3_->isChecked();
    v.check_update = Check4_->isChecked();
    return v;
}

void frmPref::Command1_Click() {
    const PreferenceValues v = values();
    save_preferences(prefs_, v);
    take_always_ignore(v);
    accept();
}

}  // namespace bw
