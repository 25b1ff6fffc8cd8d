#pragma once

// The print window: prints a report text and, when there is one, the result-block charts, on a
// printer (with a preview) or into a PDF file chosen through the save window. The text keeps its
// columns (a fixed-width font) and stays text in the PDF, so it can be searched and copied.

#include <QDialog>

#include <filesystem>
#include <optional>
#include <string>

#include "results/ResultBlockGraph.h"

class QCheckBox;
class QPagedPaintDevice;

namespace bw {

struct PrintContent {
    std::string title;  // printed above the text
    std::string text;   // the report (CR LF or LF line ends)
    std::optional<results::ResultBlockGraph> graph;
    results::GraphFigure figure = results::GraphFigure::Peak;
    std::string drive_entry;  // the save window's default name
};

// Draws the chosen parts on `device` page by page: the text first, then the charts on a page
// of their own. False with `error` set when nothing could be drawn.
bool print_content(QPagedPaintDevice& device, const PrintContent& content, bool with_text,
                   bool with_charts, std::string* error);

// The PDF of the content, written as a whole through the program's safe file replace.
bool export_pdf(const PrintContent& content, bool with_text, bool with_charts,
                const std::filesystem::path& file, std::string* error);

class frmPrint : public QDialog {
    Q_OBJECT
  public:
    explicit frmPrint(PrintContent content, QWidget* parent = nullptr);
    static void Show(PrintContent content, QWidget* parent);

    void Print_Click();
    void Preview_Click();
    void Pdf_Click();

  private:
    bool with_text() const;
    bool with_charts() const;

    PrintContent content_;
    QCheckBox* ChkText_ = nullptr;
    QCheckBox* ChkGraph_ = nullptr;
};

}  // namespace bw
