#pragma once

#include "reports/draw/pagecanvas.h"

#include <QString>
#include <QtGlobal>

#include <memory>

class QPrinter;
class QWidget;

// Where printed reports go: the system's printers through the print dialog. Screens get
// it from their owner, so tests print into PDF files without any dialog.
namespace kz {

class ReportPrinter {
    Q_DISABLE_COPY_MOVE(ReportPrinter)
public:
    ReportPrinter() = default;
    virtual ~ReportPrinter() = default;
    // Whether the computer has any printer. Without one, reports are saved as PDF files.
    virtual bool hasPrinter() const { return true; }
    // Lets the user choose the printer (the print dialog); false when they cancel.
    virtual bool choosePrinter(QWidget* parent) = 0;
    // Starts one print job of A4 portrait pages; the job is sent when the canvas is
    // finished. A canvas that is not active means the printer could not be opened.
    virtual std::unique_ptr<draw::PageCanvas> startJob(const QString& documentName) = 0;
};

// The system's printers. Printing into a PDF file is one of them (chosen in the dialog);
// as every job would write the same file, the second and later jobs of one choice get
// files of their own beside it ("reports-2.pdf", "reports-3.pdf", …: numberedJobFile).
class SystemReportPrinter final : public ReportPrinter {
    Q_DISABLE_COPY_MOVE(SystemReportPrinter)
public:
    SystemReportPrinter();
    ~SystemReportPrinter() override;

    bool hasPrinter() const override;
    bool choosePrinter(QWidget* parent) override;
    std::unique_ptr<draw::PageCanvas> startJob(const QString& documentName) override;
    QPrinter& printer();

private:
    // Made when first needed: opening the system's printing takes longer than a whole
    // level menu, which every student opens and hardly anyone prints from.
    std::unique_ptr<QPrinter> printer_;
    QString chosenFile_;      // the file chosen in the dialog; empty for a real printer
    int jobsSinceChoice_ = 0; // jobs started since the dialog was last accepted
};

} // namespace kz
