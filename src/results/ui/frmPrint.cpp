#include "results/ui/frmPrint.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QChart>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

#include <memory>

#include "core/ui/frmSave.h"
#include "core/ui/modAlwaysOnTop.h"
#include "platform/TextFiles.h"
#include "platform/prompt.h"
#include "results/ui/ResultCharts.h"

namespace bw {

namespace {

QString q(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

// The charts are laid out at this size and scaled onto the page, so their fonts keep the same
// proportions on paper as on the screen.
constexpr QSizeF kChartLayout(1000, 560);
constexpr int kTextPoints = 8;
constexpr double kPdfMarginMm = 15;

void fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

void draw_text(QPainter& painter, QPagedPaintDevice& device, const QRectF& page,
               const PrintContent& c) {
    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&device);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSize(kTextPoints);
    doc.setDefaultFont(mono);
    doc.setDocumentMargin(0);
    QString text = q(c.title) + "\n\n" + q(c.text);
    text.remove('\r');
    doc.setPlainText(text);
    doc.setPageSize(page.size());
    for (int i = 0; i < doc.pageCount(); ++i) {
        if (i > 0) device.newPage();
        painter.save();
        painter.translate(0, -i * page.height());
        doc.drawContents(&painter, QRectF(0, i * page.height(), page.width(), page.height()));
        painter.restore();
    }
}

void draw_chart(QPainter& painter, QChart* chart, const QRectF& target) {
    QGraphicsScene scene;  // owns the chart from here on
    scene.addItem(chart);
    chart->setGeometry(QRectF(QPointF(0, 0), kChartLayout));
    scene.render(&painter, target, QRectF(QPointF(0, 0), kChartLayout));
}

}  // namespace

bool print_content(QPagedPaintDevice& device, const PrintContent& c, bool with_text,
                   bool with_charts, std::string* error) {
    const bool charts = with_charts && c.graph.has_value();
    if (!with_text && !charts) {
        fail(error, "Choose the report text, the graphs or both to print.");
        return false;
    }
    QPainter painter;
    if (!painter.begin(&device)) {
        fail(error, "The printer or the file could not be opened for printing.");
        return false;
    }
    const QRectF page(QPointF(0, 0),
                      device.pageLayout().paintRectPixels(device.logicalDpiX()).size());
    if (with_text) draw_text(painter, device, page, c);
    if (charts) {
        if (with_text) device.newPage();
        // Both charts on one page, one above the other, each as wide as the page allows.
        const double height = std::min(page.height() / 2,
                                       page.width() * kChartLayout.height() / kChartLayout.width());
        draw_chart(painter, make_bar_chart(*c.graph, c.figure), QRectF(0, 0, page.width(), height));
        draw_chart(painter, make_line_chart(*c.graph), QRectF(0, height, page.width(), height));
    }
    painter.end();
    return true;
}

bool export_pdf(const PrintContent& content, bool with_text, bool with_charts,
                const std::filesystem::path& file, std::string* error) {
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm),
                              QPageLayout::Millimeter);
        writer.setTitle(q(content.title));
        writer.setCreator("Brantwell");
        if (!print_content(writer, content, with_text, with_charts, error)) return false;
    }
    const QByteArray& bytes = pdf.data();
    return text_files::replace(file, std::string_view(bytes.constData(), bytes.size()), error);
}

frmPrint::frmPrint(PrintContent content, QWidget* parent)
    : QDialog(parent), content_(std::move(content)) {
    setObjectName("frmPrint");
    setWindowTitle("Print");
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(q(content_.title), this);
    title->setObjectName("Label1");
    layout->addWidget(title);
    ChkText_ = new QCheckBox("Report text", this);
    ChkText_->setObjectName("ChkText");
    ChkText_->setChecked(!content_.text.empty());
    ChkGraph_ = new QCheckBox("Graphs (bars per block size, throughput per second)", this);
    ChkGraph_->setObjectName("ChkGraph");
    ChkGraph_->setChecked(content_.graph.has_value());
    ChkGraph_->setEnabled(content_.graph.has_value());
    if (!content_.graph) ChkGraph_->setToolTip("This report has no graphs.");
    layout->addWidget(ChkText_);
    layout->addWidget(ChkGraph_);

    const struct {
        const char* caption;
        const char* name;
        void (frmPrint::*click)();
    } kButtons[] = {{"Print...", "Command1", &frmPrint::Print_Click},
                    {"Preview...", "Command2", &frmPrint::Preview_Click},
                    {"Save as PDF...", "Command3", &frmPrint::Pdf_Click}};
    auto* row = new QHBoxLayout;
    for (const auto& b : kButtons) {
        auto* button = new QPushButton(b.caption, this);
        button->setObjectName(b.name);
        connect(button, &QPushButton::clicked, this, [this, click = b.click] { (this->*click)(); });
        row->addWidget(button);
    }
    auto* close = new QPushButton("Close", this);
    close->setObjectName("Command4");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    row->addWidget(close);
    layout->addLayout(row);
    SetAlwaysOnTop(this, true);
}

void frmPrint::Show(PrintContent content, QWidget* parent) {
    frmPrint window(std::move(content), parent);
    window.exec();
}

bool frmPrint::with_text() const {
    return ChkText_->isChecked();
}
bool frmPrint::with_charts() const {
    return ChkGraph_->isEnabled() && ChkGraph_->isChecked();
}

void frmPrint::Print_Click() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(q(content_.title));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    std::string error;
    if (!print_content(printer, content_, with_text(), with_charts(), &error))
        MsgBox(error, PromptIcon::Exclamation, "Print");
}

void frmPrint::Preview_Click() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(q(content_.title));
    QPrintPreviewDialog dialog(&printer, this);
    std::string error;
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [&](QPrinter* p) { print_content(*p, content_, with_text(), with_charts(), &error); });
    dialog.exec();
    if (!error.empty()) MsgBox(error, PromptIcon::Exclamation, "Print");
}

void frmPrint::Pdf_Click() {
    const std::string chosen = frmSave::Ask(content_.drive_entry, this);
    if (chosen.empty()) return;  // Cancel
    const std::filesystem::path file = std::filesystem::path(chosen).replace_extension(".pdf");
    std::string error;
    if (!export_pdf(content_, with_text(), with_charts(), file, &error))
        MsgBox("The PDF was not saved: " + error, PromptIcon::Exclamation, "Print");
    else
        MsgBox("Saved as " + file.string(), PromptIcon::Information, "Print");
}

}  // namespace bw
