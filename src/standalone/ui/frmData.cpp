#include "standalone/ui/frmData.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/SystemQuery.h"
#include "standalone/TrimData.h"

namespace bw {

frmData::frmData(std::string mount_point, QWidget* parent)
    : QDialog(parent),
      mount_point_(std::move(mount_point)),
      dos_box_(new QPlainTextEdit(this)),
      list1_(new QListWidget(this)) {
    setObjectName("frmData");
    setWindowTitle("TRIM and AHCI");
    dos_box_->setObjectName("DosBOX");
    dos_box_->setReadOnly(true);
    list1_->setObjectName("List1");
    auto* check = new QPushButton("Check AHCI", this);
    auto* set = new QPushButton(QString("Set TRIM ON for %1").arg(QString::fromStdString(mount_point_)), this);
    auto* close = new QPushButton("Close", this);
    connect(check, &QPushButton::clicked, this, [this] { CheckTRIM(); });
    connect(set, &QPushButton::clicked, this, [this] { SetTRIM(); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(dos_box_, 2);
    layout->addWidget(list1_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(check);
    buttons->addWidget(set);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    resize(520, 360);
}

void frmData::CheckTRIM() {
    const int flag = bw::CheckTRIM(system_query());
    list1_->addItem(flag ? "AHCI (or an NVMe drive) found: the drives can be trimmed"
                         : "No AHCI controller and no NVMe drive found");
}

void frmData::SetTRIM() {
    dos_box_->clear();
    list1_->clear();
    Mounts mounts(system_query().sysroot(), live_mount_runner());
    const SetTrimResult r = bw::SetTRIM(mount_point_, mounts);
    dos_box_->setPlainText(QString::fromStdString(SetTrimCommand(mount_point_) + "\n" + r.DosBOX));
    list1_->addItem(r.success ? QString("%1 now shows discard").arg(QString::fromStdString(mount_point_))
                              : QString("%1 does not show discard").arg(QString::fromStdString(mount_point_)));
}

}  // namespace bw
