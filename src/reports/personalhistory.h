#pragma once

#include "data/resultstore.h"
#include "reports/resultstables.h"

#include <QList>
#include <QString>

#include <span>
#include <vector>

// The personal history ("個人別ﾀｲﾑ"): the student's own attempts in each level's list.
namespace kz {

struct HistoryLine {
    int level = 0;
    QString text;
};

// One line per attempt of the student, in record order, for the list of the record's
// level: "2004/03/15 9:05:23  95秒" (the time with "秒" right-aligned in 5 characters);
// an attempt whose time ran out reads "2004/03/15 9:05:23 時間切れ(3)" with the running
// number of the entry in its level's list. The lists sort the lines by their text.
QList<HistoryLine> personalHistory(std::span<const ResultKeys> records, int bangou);
// The same as the level lists show them: slot L (1..levelCount) holds level L's lines
// in the order of a sorted list (by text, ignoring case: by date, and within a day by
// the text of the time of day, so 10:00:00 comes before 9:05:23).
std::vector<QList<TableLine>> personalHistoryLists(std::span<const ResultKeys> records, int bangou,
                                                   int levelCount);

// Where the reports of the selected levels go: up to three bands per page, starting at
// 0.05, 0.35 and 0.65 of the height, each 0.3 of the height high; a fourth level starts
// a new page.
struct ReportBand {
    int page = 0;      // 0-based
    double top = 0.05; // fraction of the page height
};
inline constexpr double kReportBandHeight = 0.3;
QList<ReportBand> placeReportBands(int levels);

} // namespace kz
