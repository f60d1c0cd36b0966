#pragma once

#include "platform/outcome.h"
#include "reports/draw/factmap.h"
#include "reports/factsreport.h"

#include <QList>
#include <QString>

class QIODevice;

// The fact maps of a facts report as pages and as a PDF document.
namespace kz::draw {

// The page of one student (or group) of the report: "17　テスト（小３）", the period, the
// products the report's level asks.
FactMapPage factMapPage(const FactsReport& report, const FactsReport::Student& student);
// One page per student of the report; a report without students gets one page saying so.
QList<FactMapPage> factMapPages(const FactsReport& report);

// Draws the pages into a PDF document (A4 portrait) written to the open device. name
// names the document in error messages.
Status writeFactMapPdf(const QList<FactMapPage>& pages, QIODevice* device, const QString& name);

} // namespace kz::draw
