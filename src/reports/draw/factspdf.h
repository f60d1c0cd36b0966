#pragma once

#include "reports/draw/factmap.h"
#include "reports/factsreport.h"

#include <QList>
#include <QString>

// The fact maps of a facts report as pages of a document.
namespace kz::draw {

// The page of one student (or group) of the report: "17　テスト（小３）", the period, the
// products the report's level asks.
FactMapPage factMapPage(const FactsReport& report, const FactsReport::Student& student);
// One page per student of the report; a report without students gets one page saying so.
QList<FactMapPage> factMapPages(const FactsReport& report);

// Draws the pages one after the other from the canvas's current page on (a PDF file's
// canvas: the companion's facts --pdf and the teachers' web pages); false when a new page
// could not be started.
bool drawFactMapPages(PageCanvas& canvas, const QList<FactMapPage>& pages);

} // namespace kz::draw
