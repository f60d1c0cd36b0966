#include "reports/resultsdisplay.h"

#include <algorithm>

namespace kz {

QStringList ResultsDisplay::tableCaptions(Display display) {
    if (display == Display::Points)
        return {QStringLiteral("合計累計"), QStringLiteral("合計本日"), QStringLiteral("すべて")};
    return {QStringLiteral("BEST表示"), QStringLiteral("本日のみ"), QStringLiteral("オール表示")};
}

QStringList ResultsDisplay::presetCaptions() {
    return {QStringLiteral("累計順"), QStringLiteral("本日順")};
}

QStringList ResultsDisplay::periodItems() {
    return {QStringLiteral("　　　今週の全成績"), QStringLiteral("　　先週からの全成績"),
            QStringLiteral("　　１ヶ月間の全成績"), QStringLiteral("　　１年間の全成績"),
            QStringLiteral("　　今までの全成績")};
}

ResultsDisplay::Display ResultsDisplay::display() const {
    if (personal_)
        return Display::PersonalTimes;
    return kind_ == DisplayKind::Points ? Display::Points : Display::Times;
}

void ResultsDisplay::preset() {
    kind_ = DisplayKind::Points;
    personal_ = false;
    table_ = 1;
}

void ResultsDisplay::chooseDisplay(Display display) {
    personal_ = display == Display::PersonalTimes;
    if (!personal_)
        kind_ = display == Display::Points ? DisplayKind::Points : DisplayKind::Times;
}

void ResultsDisplay::chooseTable(int option1) {
    personal_ = false;
    table_ = std::clamp(option1, 1, 3);
}

bool ResultsDisplay::choosePeriod(int index) {
    if (table_ != 3 || personal_)
        return false;
    period_ = std::clamp(index + 1, 1, kPeriodCount);
    return true;
}

TableChoice ResultsDisplay::choice(const QString& gradeFilter, int currentBangou,
                                   const QDateTime& now) const {
    TableChoice c;
    c.display = kind_;
    c.period = period_;
    c.gradeFilter = gradeFilter;
    c.currentBangou = currentBangou;
    c.now = now;
    switch (table_) {
    case 2:
        if (c.display == DisplayKind::Points) {
            c.table = TableKind::Ranking;
            c.pointsKind = PointsKind::Today;
        } else {
            c.table = TableKind::Today;
        }
        break;
    case 3:
        c.table = TableKind::Period;
        break;
    default:
        c.table = TableKind::Ranking;
        c.pointsKind = PointsKind::SoFar;
        break;
    }
    return c;
}

void ResultsDisplay::built(const TableChoice& choice) {
    // The points rankings are built level by level and leave the table kind alone.
    if (choice.table != TableKind::Ranking || choice.display == DisplayKind::Times)
        tableKind_ = choice.table;
}

} // namespace kz
