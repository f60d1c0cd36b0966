#pragma once

#include "data/factsummary.h"

#include <QColor>
#include <QString>

#include <array>

// The fact map: one page per student, one cell per product of the tables of 14, 15 and
// 16, coloured by the median response time, with the wrong answers marked and counted.
// Drawn on any page canvas (PDF file, printer, screen picture).
namespace kz::draw {

class PageCanvas;

struct FactMapPage {
    QString studentLine; // "17　テスト（小３）"
    QString periodLine;  // which days and levels the figures cover
    FactMatrix matrix;
    // The products in question (a level asks only some); the others are drawn empty.
    std::array<std::array<bool, FactMatrix::kMaxMultiplier + 1>, 3> asked{};

    void askAll();
    void ask(int multiplicand, int multiplier);
    bool isAsked(int multiplicand, int multiplier) const;
};

// Median response times at and below kFastMs are drawn green, at and above kSlowMs red,
// yellow between: the same scale on every page, so pages of one class compare.
inline constexpr qint64 kFactMapFastMs = 1000;
inline constexpr qint64 kFactMapSlowMs = 6000;
QColor factMapColour(qint64 medianMs);

// Draws one page on the canvas's current page: title, student, period, totals, the
// matrix (rows: multiplier 1..20, columns: 14, 15, 16) and the legend.
void drawFactMapPage(PageCanvas& canvas, const FactMapPage& page);

} // namespace kz::draw
