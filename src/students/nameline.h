#pragma once

#include "data/roster.h"

#include <QList>
#include <QString>

// The lines of the name list: grade, name and two of the student's figures, padded so
// that the columns line up in a fixed-pitch font where a full-width character is as
// wide as two half-width ones.
namespace kz {

class StatisticsTables;

inline const QString& nameListSeparator() {
    static const QString text = QStringLiteral("－－－－－－");
    return text;
}

// The four figures of a student, each summed over levels 1..35.
struct StudentFigures {
    qint32 todayAttempts = 0; // column A
    qint32 todayPoints = 0;   // column B
    qint32 totalAttempts = 0; // column C
    qint32 totalPoints = 0;   // column D
};

StudentFigures figuresOf(const StatisticsTables& statistics, int bangou);

enum class FigureColumn { A, B, C, D };

// The number with half-width spaces in front up to width characters; of a longer number
// only the last width characters remain.
QString rightAligned(qint64 value, int width);
// A column's text for a figure, with the column's own form for 0.
QString columnText(FigureColumn column, qint32 value);

// Display modes 0..3 (the option buttons of the name screen); other values read as 1.
inline constexpr int kNameListModes = 4;
inline constexpr int kDefaultNameListMode = 1;
const QList<QString>& nameListModeCaptions();

// "小1 山田　　　　  12/    345": short grade label, a half-width space, the trimmed
// name, full-width spaces up to 9 characters (11 for grade 0 and below), then the mode's
// first figure, "/", its second figure.
QString nameLineText(const QString& shortLabel, int grade, const QString& name, const StudentFigures& figures,
                     int mode);

struct NameListLine {
    QString text;
    qint16 bangou = 0;
    int grade = 0;
};

// The student lines of the list (without the separator line): the listed entries in
// listing order, those passing the grade filter.
QList<NameListLine> buildNameList(const QList<RosterEntry>& listed, const StatisticsTables& statistics,
                                  int mode, QStringView filter);

// Label texts for a chosen line: on a click the first 10 characters, on a double-click
// the text before "/"; half-width spaces at either end removed.
QString clickedLineLabel(const QString& line);
QString doubleClickedLineLabel(const QString& line);

} // namespace kz
