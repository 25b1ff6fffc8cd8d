#include "results/ui/frmCompare.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"
#include "drives/DriveText.h"

namespace bw {

using namespace results;

namespace {

QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

// A progress bar holds an int: scales beyond it are divided down, bars keep their proportions.
constexpr double kBarUnits = 1e9;

QProgressBar* bar(QWidget* parent, const QString& name, const char* colour) {
    auto* b = new QProgressBar(parent);
    b->setObjectName(name);
    b->setTextVisible(false);
    b->setMaximumHeight(14);
    b->setStyleSheet(QString("QProgressBar::chunk { background: %1; }").arg(colour));
    return b;
}

QLabel* label(QWidget* parent, const QString& name) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    return l;
}

}  // namespace

frmCompare::frmCompare(std::vector<std::string> peak_lines, std::vector<std::string> average_lines,
                       std::optional<CurrentRun> current, std::filesystem::path prefs,
                       QWidget* parent)
    : QDialog(parent),
      peak_lines_(std::move(peak_lines)),
      average_lines_(std::move(average_lines)),
      current_(std::move(current)),
      prefs_(std::move(prefs)) {
    setObjectName("frmCompare");
    setWindowTitle("Compare Results");
    build();
    // Load: the switch as the user left it, then the lists it filters.
    Check1_->setChecked(ReadINI(prefs_, keys::kSettings, keys::kSortDrive) == "1");
    fill_lists();
    GStyle_Click(0);
}

void frmCompare::build() {
    auto* main = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* style = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        GStyle_[i] = new QRadioButton(i == 0 ? "Peak results" : "Average results", this);
        GStyle_[i]->setObjectName(QString("GStyle_%1").arg(i));
        connect(GStyle_[i], &QRadioButton::clicked, this, [this, i] { GStyle_Click(i); });
        style->addWidget(GStyle_[i]);
    }
    GStyle_[0]->setChecked(true);
    left->addLayout(style);
    Check1_ = new QCheckBox("Only drives like this one (USB, RAM, SSD, SATA ...)", this);
    Check1_->setObjectName("Check1");
    connect(Check1_, &QCheckBox::clicked, this, [this] { Check1_MouseUp(); });
    left->addWidget(Check1_);
    for (QListWidget** list : {&HoldP_, &HoldA_}) {
        *list = new QListWidget(this);
        (*list)->setObjectName(list == &HoldP_ ? "HoldP" : "HoldA");
        (*list)->setSelectionMode(QAbstractItemView::MultiSelection);
        (*list)->setMinimumWidth(420);
        left->addWidget(*list, 1);
    }
    auto* pick = new QHBoxLayout;
    pick->addWidget(new QLabel("This run's block:", this));
    cboBlock_ = new QComboBox(this);
    cboBlock_->setObjectName("cboBlock");
    if (current_)
        for (const auto& b : current_->peak) cboBlock_->addItem(q(b.block));
    if (cboBlock_->count() == 0) {
        cboBlock_->addItem("no finished test");
        cboBlock_->setEnabled(false);
    }
    cboBlock_->setCurrentIndex(cboBlock_->count() - 1);
    pick->addWidget(cboBlock_, 1);
    left->addLayout(pick);
    auto* compare = new QPushButton("Compare", this);
    compare->setObjectName("Command1");
    compare->setToolTip("Sets the selected lines beside this run, in the slots to the right");
    connect(compare, &QPushButton::clicked, this, [this] { Command1_Click(); });
    left->addWidget(compare);
    main->addLayout(left, 2);

    auto* right = new QVBoxLayout;
    Label1_ = label(this, "Label1");
    Label1_->setText("Compare");
    Label1_->setStyleSheet("font-weight: bold; font-size: 14px;");
    Label3_ = label(this, "Label3");
    right->addWidget(Label1_);
    right->addWidget(Label3_);
    for (int i = 0; i < kSlots; ++i) {
        auto* box = new QGroupBox(i == 0 ? QString("This run") : QString("Compared %1").arg(i), this);
        box->setObjectName(QString("Slot_%1").arg(i));
        auto* grid = new QGridLayout(box);
        SlotView& v = slot_views_[static_cast<size_t>(i)];
        v.SystemInfo = label(box, QString("SystemInfo_%1").arg(i));
        v.SystemInfo->setWordWrap(true);
        v.PRead = label(box, QString("PRead_%1").arg(i));
        v.PWrite = label(box, QString("PWrite_%1").arg(i));
        v.ReadVAL = label(box, QString("ReadVAL_%1").arg(i));
        v.WriteVAL = label(box, QString("WriteVAL_%1").arg(i));
        v.OverVAL = label(box, QString("OverVAL_%1").arg(i));
        v.BarRead = bar(box, QString("BarRead_%1").arg(i), "#3c783c");
        v.BarWrite = bar(box, QString("BarWrite_%1").arg(i), "#3c3c9c");
        v.BarTotal = bar(box, QString("BarTotal_%1").arg(i), "#7a7a7a");
        // One width for the first column in every slot, so the bars of all slots start together.
        for (QLabel* l : {v.PRead, v.ReadVAL, v.WriteVAL, v.OverVAL}) l->setFixedWidth(240);
        grid->addWidget(v.SystemInfo, 0, 0, 1, 3);
        grid->addWidget(v.PRead, 1, 0);
        grid->addWidget(v.PWrite, 1, 1, 1, 2);
        grid->addWidget(v.ReadVAL, 2, 0);
        grid->addWidget(v.BarRead, 2, 1, 1, 2);
        grid->addWidget(v.WriteVAL, 3, 0);
        grid->addWidget(v.BarWrite, 3, 1, 1, 2);
        grid->addWidget(v.OverVAL, 4, 0);
        grid->addWidget(v.BarTotal, 4, 1, 1, 2);
        grid->setColumnStretch(1, 1);
        right->addWidget(box);
        show_slot(i, nullptr, 1);
    }
    right->addStretch();
    main->addLayout(right, 3);
    resize(1100, 760);
}

void frmCompare::fill_lists() {
    const std::string entry = current_ ? current_->drive_entry : std::string();
    const std::string system = current_ ? current_->system : std::string();
    const HoldLists lists =
        fill_hold_lists(peak_lines_, average_lines_, Check1_->isChecked(), entry, system);
    for (auto [widget, lines] : {std::pair{HoldP_, &lists.HoldP}, std::pair{HoldA_, &lists.HoldA}}) {
        widget->clear();
        for (const auto& l : *lines) widget->addItem(q(l));
    }
}

void frmCompare::Check1_MouseUp() { fill_lists(); }

void frmCompare::GStyle_Click(int index) {
    GStyle_[static_cast<size_t>(index)]->setChecked(true);
    HoldP_->setVisible(index == 0);
    HoldA_->setVisible(index == 1);
}

const CurrentBlock* frmCompare::current_block() const {
    if (!current_) return nullptr;
    const auto& blocks = GStyle_[1]->isChecked() ? current_->average : current_->peak;
    const int i = cboBlock_->currentIndex();
    return i >= 0 && i < static_cast<int>(blocks.size()) ? &blocks[static_cast<size_t>(i)] : nullptr;
}

void frmCompare::Command1_Click() {
    shown_.clear();
    if (const CurrentBlock* b = current_block()) {
        // The title follows the current run's peak read figures, whichever list is shown.
        const auto& peak = current_->peak[static_cast<size_t>(cboBlock_->currentIndex())];
        if (const std::string title = compare_title(peak.read); !title.empty())
            Label1_->setText(q(title));
        shown_.push_back(slot_of(*b, current_->drive_entry + " (" + b->block + ")"));
    } else {
        shown_.push_back(CompareSlot{"No finished test in this session"});
    }
    QListWidget* list = GStyle_[0]->isChecked() ? HoldP_ : HoldA_;
    for (int row = 0; row < list->count() && static_cast<int>(shown_.size()) < kSlots; ++row) {
        QListWidgetItem* item = list->item(row);
        if (!item->isSelected()) continue;
        shown_.push_back(slot_of_line(item->text().toStdString()));
        item->setSelected(false);
    }
    const double scale = common_scale(shown_);
    Label3_->setText(q(scale_text(scale)));
    for (int i = 0; i < kSlots; ++i)
        show_slot(i, i < static_cast<int>(shown_.size()) ? &shown_[static_cast<size_t>(i)] : nullptr,
                  scale);
    if (current_) slot_views_[0].SystemInfo->setText(q(shown_[0].label + "\n" + current_->system));
}

void frmCompare::show_slot(int index, const CompareSlot* slot, double scale) {
    SlotView& v = slot_views_[static_cast<size_t>(index)];
    v.SystemInfo->parentWidget()->setVisible(slot != nullptr || index == 0);
    const CompareSlot none;
    const CompareSlot& s = slot ? *slot : none;
    v.SystemInfo->setText(q(s.label));
    v.PRead->setText(q(peak_read_text(s.peak_read)));
    v.PWrite->setText(q(peak_write_text(s.peak_write)));
    v.ReadVAL->setText(q("Read: " + format_grouped(s.read)));
    v.WriteVAL->setText(q("Write: " + format_grouped(s.write)));
    v.OverVAL->setText(q("Total: " + format_grouped(s.total) + "  (Overall: " +
                         format_grouped(s.overall) + ")"));
    const double divisor = std::max(1.0, scale / kBarUnits);
    auto units = [&](double value) { return static_cast<int>(std::lround(std::min(value, scale) / divisor)); };
    for (auto [b, value] : {std::pair{v.BarRead, s.read}, std::pair{v.BarWrite, s.write},
                            std::pair{v.BarTotal, s.total}}) {
        b->setMaximum(units(scale));
        b->setValue(units(value));
    }
}

void frmCompare::done(int result) {
    // Unload: the switch is kept for the next time.
    WriteINI(prefs_, keys::kSettings, keys::kSortDrive,
             std::string_view(Check1_->isChecked() ? "1" : "0"));
    QDialog::done(result);
}

}  // namespace bw
