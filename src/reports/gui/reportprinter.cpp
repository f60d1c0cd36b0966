#include "reports/gui/reportprinter.h"

#include "reports/graphrequest.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace kz {

SystemReportPrinter::SystemReportPrinter() = default;

QPrinter& SystemReportPrinter::printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setPageSize(QPageSize(QPageSize::A4));
        printer_->setPageOrientation(QPageLayout::Portrait);
    }
    return *printer_;
}

SystemReportPrinter::~SystemReportPrinter() = default;

bool SystemReportPrinter::hasPrinter() const {
    return !QPrinterInfo::availablePrinters().isEmpty();
}

bool SystemReportPrinter::choosePrinter(QWidget* parent) {
    QPrintDialog dialog(&printer(), parent);
    dialog.setWindowTitle(QStringLiteral("印刷"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    chosenFile_ = printer().outputFileName();
    jobsSinceChoice_ = 0;
    return true;
}

std::unique_ptr<draw::PageCanvas> SystemReportPrinter::startJob(const QString& documentName) {
    ++jobsSinceChoice_;
    if (!chosenFile_.isEmpty())
        printer().setOutputFileName(jobsSinceChoice_ == 1 ? chosenFile_
                                                          : numberedJobFile(chosenFile_, jobsSinceChoice_));
    printer().setDocName(documentName);
    return std::make_unique<draw::PagedCanvas>(&printer());
}

} // namespace kz
