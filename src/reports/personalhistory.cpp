#include "reports/personalhistory.h"

#include "data/oledate.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <map>

namespace kz {

QList<HistoryLine> personalHistory(std::span<const ResultKeys> records, int bangou) {
    QList<HistoryLine> lines;
    std::map<int, int> entries; // per level, the lines already in its list
    for (const ResultKeys& r : records) {
        if (r.bangou != bangou)
            continue;
        int& inList = entries[r.level];
        const QDate date = dateFromOle(r.date);
        const QString when = (date.isValid() ? date.toString(QStringLiteral("yyyy/MM/dd")) : QString()) +
                             u' ' + timeFromOle(r.time).toString(QStringLiteral("H:mm:ss"));
        QString text;
        if (r.recordedTime < 90000)
            text = when + (QString::number(r.recordedTime) + QStringLiteral("秒")).rightJustified(5, u' ');
        else
            text = when + QStringLiteral(" 時間切れ(%1)").arg(inList + 1);
        ++inList;
        lines << HistoryLine{r.level, text};
    }
    return lines;
}

std::vector<QList<TableLine>> personalHistoryLists(std::span<const ResultKeys> records, int bangou,
                                                   int levelCount) {
    std::vector<QList<TableLine>> lists(static_cast<size_t>(qMax(0, levelCount) + 1));
    qsizetype index = 0;
    const QList<HistoryLine> lines = personalHistory(records, bangou);
    for (const ResultKeys& r : records) {
        if (r.bangou != bangou)
            continue;
        const HistoryLine& line = lines[index++];
        if (line.level >= 1 && line.level <= levelCount)
            lists[static_cast<size_t>(line.level)] << TableLine{line.text, r.bangou, 0, r.recordedTime};
    }
    QCollator collator{QLocale(QLocale::Japanese, QLocale::Japan)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (QList<TableLine>& list : lists) {
        std::stable_sort(list.begin(), list.end(), [&collator](const TableLine& a, const TableLine& b) {
            return collator.compare(a.text, b.text) < 0;
        });
    }
    return lists;
}

QList<ReportBand> placeReportBands(int levels) {
    QList<ReportBand> bands;
    int page = 0;
    double top = 0.05 - kReportBandHeight;
    for (int i = 0; i < levels; ++i) {
        top += kReportBandHeight;
        if (top > 0.9) {
            ++page;
            top = 0.05;
        }
        bands << ReportBand{page, top};
    }
    return bands;
}

} // namespace kz
