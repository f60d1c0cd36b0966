#include "reports/parentreport.h"

#include "data/oledate.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace kz {

namespace {

// A times' rank field as the ranking lists write it ("  3"); empty for "---" or nothing.
QString rankOf(const QString& field) {
    bool ok = false;
    const int rank = field.trimmed().toInt(&ok);
    return ok && rank > 0 ? QStringLiteral("%1位").arg(rank) : QString();
}

QString seconds(qint64 value) {
    return QStringLiteral("%1秒").arg(value);
}

qint64 roundedRatio(qint64 sum, qint64 count) {
    return qRound64(static_cast<double>(sum) / static_cast<double>(count));
}

// Recorded times at and above this mark an attempt whose time ran out.
constexpr qint32 kTimedOut = 90000;

} // namespace

QString japaneseDate(const QDate& date) {
    if (!date.isValid())
        return QString();
    return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

ParentReportHeader parentReportHeader(const ParentReportFacts& facts, std::span<const ResultKeys> records) {
    ParentReportHeader header;
    header.title = facts.programTitle + QStringLiteral("　成績表");
    header.school = facts.school.trimmed();
    header.student =
        facts.name.isEmpty() ? QStringLiteral("（名簿にない番号）") : facts.name + QStringLiteral(" さん");
    header.grade = facts.gradeLabel.trimmed();
    header.number = QStringLiteral("番号 %1").arg(facts.bangou);
    double oldest = 0;
    for (const ResultKeys& r : records) {
        if (std::isfinite(r.date) && r.date > 0 && (oldest == 0 || r.date < oldest))
            oldest = r.date;
    }
    const QDate from = oldest > 0 ? dateFromOle(oldest) : QDate();
    header.period = QStringLiteral("対象期間　") +
                    (from.isValid() && from <= facts.printed
                         ? japaneseDate(from) + QStringLiteral("～") + japaneseDate(facts.printed)
                         : QStringLiteral("記録なし"));
    header.printed = QStringLiteral("印刷日　") + japaneseDate(facts.printed);
    return header;
}

ParentLevelBlock parentLevelBlock(const PersonalReport& report, int level, const QString& caption) {
    ParentLevelBlock block;
    block.title = QStringLiteral("レベル%1　%2").arg(level).arg(caption);
    block.figures = report.figures;
    const ReportFigures& f = report.figures;
    block.hasResult = !f.chart.isEmpty();
    auto add = [&block](const QString& label, const QString& value) { block.rows.append({label, value}); };
    if (!block.hasResult) {
        add(QStringLiteral("記録なし"), QString());
        return block;
    }
    const qsizetype timedOut =
        std::count_if(f.chart.begin(), f.chart.end(), [](qint32 t) { return t >= kTimedOut; });
    add(QStringLiteral("回数"),
        timedOut > 0 ? QStringLiteral("%1回（うち時間切れ %2回）").arg(f.chart.size()).arg(timedOut)
                     : QStringLiteral("%1回").arg(f.chart.size()));
    const bool hasTime = f.count > 0;
    add(QStringLiteral("最高タイム"), hasTime ? seconds(f.best) : QStringLiteral("記録なし"));
    if (hasTime) {
        add(QStringLiteral("平均タイム"), seconds(f.sum / f.count));
        if (const QString rank = rankOf(f.ranks.timeRank); !rank.isEmpty())
            add(QStringLiteral("タイムの順位"), rank);
    }
    if (f.schoolBest < kTimedOut)
        add(QStringLiteral("塾の最高タイム"), seconds(f.schoolBest));
    if (f.schoolCount > 0)
        add(QStringLiteral("塾の平均タイム"), seconds(roundedRatio(f.schoolSum, f.schoolCount)));
    add(QStringLiteral("ポイント"), QStringLiteral("%1点").arg(f.ranks.points));
    if (f.ranks.points > 0) {
        if (const QString rank = rankOf(f.ranks.pointsRank); !rank.isEmpty())
            add(QStringLiteral("ポイントの順位"), rank);
    }
    if (f.ranks.studentsWithPoints > 0)
        add(QStringLiteral("塾の平均ポイント"),
            QStringLiteral("%1点").arg(roundedRatio(f.ranks.pointsSum, f.ranks.studentsWithPoints)));
    return block;
}

} // namespace kz
