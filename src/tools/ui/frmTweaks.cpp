#include "tools/ui/frmTweaks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace bw {

namespace {

QString q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

const char* kHelpProperty = "tweakHelp";

// What a row shows beside its recommendation: the result of the last save or restore when there
// is one (refusals in red), else what the machine has.
void show_state(QLabel* label, const TweakShown& shown) {
    const bool result = !shown.result.empty();
    label->setText(q(result ? shown.result : shown.found));
    label->setStyleSheet(shown.refused ? "color: #c00000;"
                                       : (result ? "color: #006000;" : "color: #505050;"));
}

}  // namespace

frmTweaks::frmTweaks(const std::vector<std::string>& drive_list, TweakMachine machine,
                     QWidget* parent)
    : QDialog(parent), page_(std::move(machine)), mix_(drive_mix(drive_list)) {
    setObjectName("frmTweaks");
    setWindowTitle(q(kFrmTweaksCaption));
    auto* outer = new QVBoxLayout(this);

    auto* heading = new QLabel(q(kFrmTweaksHeading), this);
    QFont big = heading->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    heading->setFont(big);
    outer->addWidget(heading);
    label2_ = new QLabel(this);
    label2_->setObjectName("Label2");
    outer->addWidget(label2_);
    if (const std::string note = tweak_rights_note(); !note.empty()) {
        auto* rights = new QLabel(q(note), this);
        rights->setWordWrap(true);
        rights->setStyleSheet("color: #c00000;");
        outer->addWidget(rights);
    }

    auto* grid = new QGridLayout;
    int line = 0;
    for (const auto& [column, title] :
         {std::pair{1, "Recommended"}, std::pair{2, "On this machine"}}) {
        auto* h = new QLabel(title, this);
        QFont f = h->font();
        f.setBold(true);
        h->setFont(f);
        grid->addWidget(h, line, column);
    }
    ++line;
    for (std::size_t i = 0; i < kTweakRowCount; ++i, ++line) {
        const TweakRow& row = kTweakRows[i];
        if (row.index == 7) {  // the link power rows
            auto* label5 = new QLabel(q(kLabel5), this);
            label5->setObjectName("Label5");
            QFont f = label5->font();
            f.setItalic(true);
            label5->setFont(f);
            grid->addWidget(label5, line++, 0, 1, 3);
        }
        option_t_[i] = new QCheckBox(q(row.caption), this);
        option_t_[i]->setObjectName(QString("OptionT(%1)").arg(row.index));
        recmd_[i] = new QLabel(q(recommended(row, mix_)), this);
        recmd_[i]->setObjectName(QString("Recmd(%1)").arg(row.index));
        state_[i] = new QLabel(this);
        state_[i]->setWordWrap(true);
        state_[i]->setMinimumWidth(320);
        grid->addWidget(option_t_[i], line, 0);
        grid->addWidget(recmd_[i], line, 1);
        grid->addWidget(state_[i], line, 2);
        for (QWidget* w : {static_cast<QWidget*>(option_t_[i]), static_cast<QWidget*>(recmd_[i]),
                           static_cast<QWidget*>(state_[i])})
            help_on(w, row.help);
    }
    for (std::size_t i = 0; i < kTweakListCount; ++i, ++line) {
        const TweakList& list = kTweakLists[i];
        auto* heading_label = new QLabel(q(list.heading), this);
        combo_[i] = new QComboBox(this);
        combo_[i]->setObjectName(q(list.control));
        list_recmd_[i] = new QLabel(q(recommended(list, mix_)), this);
        list_state_[i] = new QLabel(this);
        list_state_[i]->setWordWrap(true);
        auto* cell = new QHBoxLayout;
        cell->addWidget(heading_label);
        cell->addWidget(combo_[i], 1);
        grid->addLayout(cell, line, 0);
        grid->addWidget(list_recmd_[i], line, 1);
        grid->addWidget(list_state_[i], line, 2);
        for (QWidget* w :
             {static_cast<QWidget*>(heading_label), static_cast<QWidget*>(combo_[i]),
              static_cast<QWidget*>(list_recmd_[i]), static_cast<QWidget*>(list_state_[i])})
            help_on(w, list.help);
    }
    grid->setColumnStretch(2, 1);
    outer->addLayout(grid);

    info_box_ = new QLabel(this);
    info_box_->setObjectName("InfoBOX");
    info_box_->setWordWrap(true);
    info_box_->setFrameShape(QFrame::StyledPanel);
    info_box_->setMinimumHeight(90);
    info_box_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    outer->addWidget(info_box_);

    auto* buttons = new QHBoxLayout;
    command1_ = new QPushButton(q(kSaveCaption), this);
    command1_->setObjectName("Command1");
    restore_ = new QPushButton(q(kRestoreCaption), this);
    restore_->setObjectName("Restore");
    restore_->setToolTip("Puts back the settings found when this window opened");
    command2_ = new QPushButton(q(kCancelCaption), this);
    command2_->setObjectName("Command2");
    buttons->addStretch(1);
    buttons->addWidget(command1_);
    buttons->addWidget(restore_);
    buttons->addWidget(command2_);
    outer->addLayout(buttons);
    connect(command1_, &QPushButton::clicked, this, &frmTweaks::Command1_Click);
    connect(restore_, &QPushButton::clicked, this, &frmTweaks::Restore_Click);
    connect(command2_, &QPushButton::clicked, this, &QDialog::reject);

    Form_Load();
}

void frmTweaks::help_on(QWidget* w, std::string_view help) {
    w->setProperty(kHelpProperty, q(help));
    w->installEventFilter(this);
}

bool frmTweaks::eventFilter(QObject* watched, QEvent* event) {
    const QVariant help = watched->property(kHelpProperty);
    if (help.isValid() && event->type() == QEvent::Enter) info_box_->setText(help.toString());
    if (help.isValid() && event->type() == QEvent::Leave) info_box_->clear();
    return QDialog::eventFilter(watched, event);
}

void frmTweaks::Form_Load() {
    label2_->setText(q(drive_mix_text(mix_)));
    page_.open();
    const TweakChoice c = page_.current();
    for (std::size_t i = 0; i < kTweakRowCount; ++i) option_t_[i]->setChecked(c.checked[i]);
    for (std::size_t i = 0; i < kTweakListCount; ++i) {
        combo_[i]->clear();
        // A list whose value is missing stays empty (superfetch, which Linux does not have).
        combo_[i]->setEnabled(c.items.at(i).has_value());
        if (!c.items[i]) continue;
        for (const auto item : kListItems) combo_[i]->addItem(q(item));
        combo_[i]->setCurrentIndex(static_cast<int>(*c.items[i]));
    }
    show_states();
}

void frmTweaks::show_states() {
    for (std::size_t i = 0; i < kTweakRowCount; ++i) show_state(state_[i], page_.rows()[i]);
    for (std::size_t i = 0; i < kTweakListCount; ++i) show_state(list_state_[i], page_.lists()[i]);
}

void frmTweaks::Command1_Click() {
    TweakChoice choice;
    for (std::size_t i = 0; i < kTweakRowCount; ++i) choice.checked[i] = option_t_[i]->isChecked();
    for (std::size_t i = 0; i < kTweakListCount; ++i) {
        const int index = combo_[i]->currentIndex();
        if (index >= 0) choice.items[i] = static_cast<std::uint32_t>(index);
    }
    page_.save(choice);
    show_states();
}

void frmTweaks::Restore_Click() {
    page_.restore();
    const TweakChoice c = page_.current();
    for (std::size_t i = 0; i < kTweakRowCount; ++i) option_t_[i]->setChecked(c.checked[i]);
    for (std::size_t i = 0; i < kTweakListCount; ++i)
        if (combo_[i]->count() > 0)
            combo_[i]->setCurrentIndex(c.items[i] ? static_cast<int>(*c.items[i]) : -1);
    show_states();
}

}  // namespace bw
