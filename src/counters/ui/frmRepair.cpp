#include "counters/ui/frmRepair.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "counters/CounterStartup.h"

namespace bw {

frmRepair::frmRepair(RepairActions actions, QWidget* parent)
    : QDialog(parent),
      actions_(std::move(actions)),
      label1_(new QLabel(
          QString::fromUtf8(kRepairCaption.data(), static_cast<int>(kRepairCaption.size())), this)),
      dos_box_(new QPlainTextEdit(this)),
      list1_(new QListWidget(this)),
      close_(new QPushButton("Close", this)) {
    setObjectName("frmRepair");
    setWindowTitle("Brantwell");
    label1_->setObjectName("Label1");
    dos_box_->setObjectName("DosBox");
    list1_->setObjectName("List1");
    dos_box_->setReadOnly(true);
    QFont mono("monospace");
    mono.setStyleHint(QFont::Monospace);
    dos_box_->setFont(mono);
    QFont caption = label1_->font();
    caption.setBold(true);
    label1_->setFont(caption);
    close_->setEnabled(false);  // not while the repair runs
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1_);
    layout->addWidget(dos_box_, 3);
    layout->addWidget(list1_, 2);
    layout->addWidget(close_, 0, Qt::AlignRight);
    resize(560, 420);
}

void frmRepair::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!ran_) QTimer::singleShot(0, this, [this] { RepairME(); });
}

void frmRepair::show_log(const RepairLog& log) {
    label1_->setText(QString::fromStdString(log.Label1));
    dos_box_->setPlainText(QString::fromStdString(log.DosBox));
    list1_->clear();
    for (const auto& line : log.List1) list1_->addItem(QString::fromStdString(line));
}

void frmRepair::RepairME() {
    if (ran_) return;
    ran_ = true;
    log_ = bw::RepairME(actions_, [this](const RepairLog& l) { show_log(l); });
    show_log(log_);
    close_->setEnabled(true);
}

void register_counters_ui(UiRegistry& registry) {
    registry.add_window(kFrmRepair, [](QWidget* parent) {
        frmRepair window(DefaultRepairActions(), parent);
        window.exec();
    });
    set_repair_window([&registry] { registry.open_window(kFrmRepair, nullptr); });
}

}  // namespace bw
