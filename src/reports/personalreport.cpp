#include "reports/personalreport.h"

#include "data/oledate.h"

#include <QtMath>

namespace kz {

namespace {

QString rightAligned(qint64 number, int width) {
    return QString::number(number).rightJustified(width, u' ');
}
QString rightAligned(const QString& text, int width) {
    return text.rightJustified(width, u' ');
}

qint64 roundedRatio(qint64 sum, qint64 count) {
    return qRound64(static_cast<double>(sum) / static_cast<double>(count));
}

} // namespace

std::vector<ResultKeys> reportRecords(const ResultsWindow& window, int levelCount, const QDateTime& now) {
    std::vector<ResultKeys> taken;
    const double earliest = oleFromDateTime(now) - kReportDaysBack;
    const qint64 count = window.count();
    taken.reserve(static_cast<size_t>(count));
    for (qint64 i = 0; i < count; ++i) {
        const ResultKeys keys = decodeResultKeys(window.bytes.constData() + i * ResultRecord::kSize);
        if (!keys.isCountable() || keys.level > levelCount || !(keys.date > earliest))
            continue;
        taken.push_back(keys);
    }
    return taken;
}

Outcome<std::vector<ResultKeys>> readReportRecords(const NewestResultsReader& read, int levelCount,
                                                   const QDateTime& now) {
    const Outcome<ResultsWindow> window = read(kReportWindow);
    if (!window)
        return window.error();
    return reportRecords(*window, levelCount, now);
}

Outcome<std::vector<ResultKeys>> loadReportRecords(const QString& resultsPath, int levelCount,
                                                   const QDateTime& now) {
    return readReportRecords(resultsFileReader(resultsPath), levelCount, now);
}

ReportRanks readReportRanks(const QList<TableLine>& timeLines, const QList<TableLine>& pointsLines,
                            int bangou) {
    ReportRanks ranks;
    for (const TableLine& line : timeLines) {
        if (line.bangou == bangou) {
            ranks.timeRank = line.text.left(3);
            break;
        }
    }
    bool found = false;
    for (const TableLine& line : pointsLines) {
        bool ok = false;
        const qint32 points = line.text.right(5).trimmed().toInt(&ok);
        if (ok && points > 0) {
            ++ranks.studentsWithPoints;
            ranks.pointsSum += points;
        }
        if (!found && line.bangou == bangou) {
            found = true;
            ranks.pointsRank = line.text.left(3);
            ranks.points = ok ? points : 0;
        }
    }
    return ranks;
}

ReportFigures computeReportFigures(std::span<const ResultKeys> records, int bangou, int level,
                                   const ReportRanks& ranks) {
    ReportFigures f;
    f.bangou = bangou;
    f.level = level;
    f.ranks = ranks;
    for (const ResultKeys& r : records) {
        if (r.level != level)
            continue;
        const bool mine = r.bangou == bangou;
        if (r.recordedTime < kReportAverageLimit) {
            ++f.schoolCount;
            f.schoolSum += r.recordedTime;
            if (mine) {
                ++f.count;
                f.sum += r.recordedTime;
                f.best = qMin(f.best, r.recordedTime);
            }
        }
        if (r.recordedTime < f.schoolBest)
            f.schoolBest = r.recordedTime;
        if (mine)
            f.chart << r.recordedTime;
    }
    return f;
}

QList<SummaryLine> summaryLines(const ReportFigures& f) {
    QList<SummaryLine> lines;
    auto add = [&lines](QString text, bool lower = false) { lines << SummaryLine{std::move(text), lower}; };
    add(QStringLiteral("回数　　　　　　　") + rightAligned(f.count, 3) + QStringLiteral("回"));
    add(QStringLiteral("タイム  　　 　    本人 / 塾全体"));
    add(QStringLiteral("　　順位　　　　") + rightAligned(f.ranks.timeRank, 5) + QStringLiteral("位"));
    add(QStringLiteral("　　最高　　　　") + rightAligned(f.best, 6) + QStringLiteral(" /") +
        rightAligned(f.schoolBest, 5) + QStringLiteral("秒"));
    if (f.count != 0) {
        // The school's attempts include the student's, so the school count is not 0 here.
        add(QStringLiteral("　　平均　　　　") + rightAligned(f.sum / f.count, 5) + QStringLiteral("秒") +
            QStringLiteral(" /") + rightAligned(roundedRatio(f.schoolSum, qMax(1, f.schoolCount)), 5) +
            QStringLiteral("秒"));
    }
    add(QStringLiteral("ポイント  　　　"));
    add(QStringLiteral("　　順位　　　　") + rightAligned(f.ranks.pointsRank, 5) + QStringLiteral("位"));
    add(QStringLiteral("　　獲得ポイント") + rightAligned(f.ranks.points, 5) + QStringLiteral("点"));
    if (f.ranks.studentsWithPoints != 0) {
        add(QStringLiteral("　　　　　　　　　　　　/") +
            rightAligned(roundedRatio(f.ranks.pointsSum, f.ranks.studentsWithPoints), 5) +
            QStringLiteral("点"));
    }
    add(QStringLiteral("　　　　　　　　　　　　 (塾平均)"), true);
    return lines;
}

QStringList summaryTexts(const ReportFigures& figures) {
    QStringList texts;
    for (const SummaryLine& line : summaryLines(figures))
        texts << line.text;
    return texts;
}

} // namespace kz
