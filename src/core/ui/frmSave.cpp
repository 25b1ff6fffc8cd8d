#include "core/ui/frmSave.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>

#include "core/AppState.h"
#include "core/SaveName.h"
#include "platform/prompt.h"

namespace bw {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

frmSave::frmSave(const std::string& drive_entry, const std::tm& now, QWidget* parent)
    : QDialog(parent) {
    setObjectName("frmSave");
    setWindowTitle("Save");
    auto* layout = new QVBoxLayout(this);
    auto* folder_row = new QHBoxLayout;
    label1_ = new QLabel(q(app().program_folder.string()), this);
    label1_->setObjectName("Label1");
    auto* image1 = new QPushButton("Folder...", this);
    image1->setObjectName("Image1");
    image1->setToolTip("Select Location for File");
    folder_row->addWidget(label1_, 1);
    folder_row->addWidget(image1);
    layout->addLayout(folder_row);
    text1_ = new QLineEdit(q(DefaultSaveName(drive_entry, now)), this);
    text1_->setObjectName("Text1");
    text1_->setMinimumWidth(420);
    layout->addWidget(text1_);
    auto* buttons = new QHBoxLayout;
    auto* save = new QPushButton("Save", this);
    save->setObjectName("Command1");
    save->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("Command2");
    buttons->addStretch(1);
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(image1, &QPushButton::clicked, this, [this] { Image1_Click(); });
    connect(save, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(cancel, &QPushButton::clicked, this, [this] { Command2_Click(); });
    SavePath().clear();
}

std::string frmSave::Ask(const std::string& drive_entry, QWidget* parent) {
    const std::time_t t = std::time(nullptr);
    std::tm now{};
    localtime_r(&t, &now);
    frmSave w(drive_entry, now, parent);
    w.exec();
    return SavePath();
}

void frmSave::Image1_Click() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, "Select Location for File", label1_->text());
    if (!folder.isEmpty()) label1_->setText(folder);
}

void frmSave::Command1_Click() {
    const std::string name = text1_->text().toStdString();
    if (const std::string why = BadSaveNameReason(name); !why.empty()) {
        MsgBox(why, PromptIcon::Exclamation, "Save");
        return;
    }
    const std::filesystem::path folder = label1_->text().toStdString();
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) std::filesystem::create_directories(folder, ec);
    SavePath() = (folder / name).string();
    accept();
}

void frmSave::Command2_Click() {
    SavePath().clear();
    reject();
}

}  // namespace bw
