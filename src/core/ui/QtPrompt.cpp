#include "core/ui/QtPrompt.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace bw {

namespace {

QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

QMessageBox::Icon qt_icon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Information: return QMessageBox::Information;
        case PromptIcon::Exclamation: return QMessageBox::Warning;
        case PromptIcon::Critical: return QMessageBox::Critical;
        case PromptIcon::Question: return QMessageBox::Question;
        case PromptIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

int ask(std::string_view text, std::string_view title, PromptIcon icon,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton default_button) {
    QMessageBox box(qt_icon(icon), q(title), q(text), buttons, QApplication::activeWindow());
    box.setDefaultButton(default_button);
    return box.exec();
}

}  // namespace

void QtPrompt::message(std::string_view text, std::string_view title, PromptIcon icon) {
    ask(text, title, icon, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtPrompt::yes_no(std::string_view text, std::string_view title, PromptIcon icon) {
    return ask(text, title, icon, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
           QMessageBox::Yes;
}

bool QtPrompt::ok_cancel(std::string_view text, std::string_view title, PromptIcon icon) {
    return ask(text, title, icon, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) ==
           QMessageBox::Ok;
}

std::optional<std::string> QtPrompt::input(std::string_view text, std::string_view title,
                                           std::string_view default_value) {
    bool ok = false;
    QString answer = QInputDialog::getText(QApplication::activeWindow(), q(title), q(text),
                                           QLineEdit::Normal, q(default_value), &ok);
    if (!ok) return std::nullopt;
    return answer.toStdString();
}

}  // namespace bw
