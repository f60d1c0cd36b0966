#include "students/nameline.h"

#include "data/grade.h"
#include "data/statistics.h"

namespace kz {

StudentFigures figuresOf(const StatisticsTables& statistics, int bangou) {
    StudentFigures f;
    f.todayAttempts = statistics.sumOverLevels(StatisticsTables::TodayAttempts, bangou);
    f.todayPoints = statistics.sumOverLevels(StatisticsTables::TodayPoints, bangou);
    f.totalAttempts = statistics.sumOverLevels(StatisticsTables::TotalAttempts, bangou);
    f.totalPoints = statistics.sumOverLevels(StatisticsTables::TotalPoints, bangou);
    return f;
}

QString rightAligned(qint64 value, int width) {
    const QString digits = QString::number(value);
    if (digits.size() >= width)
        return digits.right(width);
    return QString(width - digits.size(), u' ') + digits;
}

QString columnText(FigureColumn column, qint32 value) {
    switch (column) {
    case FigureColumn::A:
        return value != 0 ? rightAligned(value, 3) + u'回' : QStringLiteral("     ");
    case FigureColumn::B:
        return value != 0 ? rightAligned(value, 4) : QStringLiteral("  　");
    case FigureColumn::C:
        return value != 0 ? rightAligned(value, 5) + u'回' : QStringLiteral("     　");
    case FigureColumn::D:
        return value != 0 ? rightAligned(value, 7) : QStringLiteral("       ");
    }
    return {};
}

const QList<QString>& nameListModeCaptions() {
    static const QList<QString> captions = {
        QStringLiteral("回数(今日／今まで）"), QStringLiteral("ポイント（今日／今まで）"),
        QStringLiteral("本日（ポイント／回数）"), QStringLiteral("今まで（ポイント／回数）")};
    return captions;
}

QString nameLineText(const QString& shortLabel, int grade, const QString& name, const StudentFigures& figures,
                     int mode) {
    QString text = shortLabel + u' ' + trimHalfWidthSpaces(name);
    const qsizetype width = grade <= 0 ? 11 : 9;
    if (text.size() < width)
        text += QString(width - text.size(), u'　');

    const QString a = columnText(FigureColumn::A, figures.todayAttempts);
    const QString b = columnText(FigureColumn::B, figures.todayPoints);
    const QString c = columnText(FigureColumn::C, figures.totalAttempts);
    const QString d = columnText(FigureColumn::D, figures.totalPoints);
    switch (mode) {
    case 0:
        return text + a + u'/' + c;
    case 2:
        return text + b + u'/' + a;
    case 3:
        return text + d + u'/' + c;
    default:
        return text + b + u'/' + d;
    }
}

QList<NameListLine> buildNameList(const QList<RosterEntry>& listed, const StatisticsTables& statistics,
                                  int mode, QStringView filter) {
    QList<NameListLine> lines;
    lines.reserve(listed.size());
    for (const qsizetype i : listingOrder(listed)) {
        const RosterEntry& entry = listed[i];
        if (!matchesFilter(filter, entry.gradeNumber))
            continue;
        const QString label =
            entry.shortGradeLabel.isEmpty() ? shortGradeLabel(entry.gradeNumber) : entry.shortGradeLabel;
        lines.append(
            {nameLineText(label, entry.gradeNumber, entry.name, figuresOf(statistics, entry.bangou), mode),
             entry.bangou, entry.gradeNumber});
    }
    return lines;
}

QString clickedLineLabel(const QString& line) {
    return trimHalfWidthSpaces(line.left(10));
}

QString doubleClickedLineLabel(const QString& line) {
    const qsizetype slash = line.indexOf(u'/');
    return trimHalfWidthSpaces(slash < 0 ? line : line.left(slash));
}

} // namespace kz
