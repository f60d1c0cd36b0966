#include "reports/personalhistory.h"

#include "data/oledate.h"

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
