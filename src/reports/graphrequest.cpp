#include "reports/graphrequest.h"

#include "reports/reportassembly.h"

#include <QFileInfo>

namespace kz {

Outcome<GraphRequest> graphRequest(const QStringList& chosenStudentLines, int lastStudent,
                                   const QList<int>& levels, bool printing) {
    if (printing && levels.isEmpty())
        return makeError(ErrorKind::Refused, QStringLiteral("印刷するレベルを選んでください。"));
    GraphRequest request;
    for (const QString& line : chosenStudentLines) {
        if (const int bangou = studentOfListLine(line); bangou > 0)
            request.students << bangou;
    }
    if (request.students.isEmpty())
        request.students << lastStudent;
    request.levels = levels;
    return request;
}

QString reportStudentName(const RosterTables& roster, int bangou) {
    return trimHalfWidthSpaces(roster.nameOf(bangou));
}

QString numberedJobFile(const QString& chosen, int n) {
    const QFileInfo info(chosen);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    return info.path() + u'/' + info.completeBaseName() + u'-' + QString::number(n) + suffix;
}

} // namespace kz
