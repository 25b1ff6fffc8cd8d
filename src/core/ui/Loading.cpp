#include "core/ui/Loading.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace bw {

Loading::Loading(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      label1_(new QLabel("LOADING", this)),
      label2_(new QLabel("....................", this)) {
    setObjectName("Loading");
    label1_->setObjectName("Label1");
    label2_->setObjectName("Label2");
    auto* title = new QLabel("Brantwell", this);
    QFont big = title->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    title->setFont(big);
    for (QLabel* l : {title, label1_, label2_}) l->setAlignment(Qt::AlignCenter);
    QFont step = label1_->font();
    step.setPointSize(step.pointSize() + 2);
    label1_->setFont(step);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 24, 32, 24);
    layout->addWidget(title);
    layout->addSpacing(12);
    layout->addWidget(label1_);
    layout->addWidget(label2_);
    setStyleSheet("#Loading { background: #1f3a5f; } QLabel { color: white; }");
    setFixedSize(360, 170);
    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void Loading::set_step(std::string_view name) {
    label1_->setText(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
    label1_->repaint();
}

void Loading::set_dots(std::string_view dots) {
    label2_->setText(QString::fromUtf8(dots.data(), static_cast<int>(dots.size())));
    label2_->repaint();
}

void Loading::open() { show(); }

void Loading::close() { hide(); }

}  // namespace bw
