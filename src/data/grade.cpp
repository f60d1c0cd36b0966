#include "data/grade.h"

namespace kz {

int schoolYearOf(QDate today, int schoolYearStartMonth) {
    return today.month() < schoolYearStartMonth ? today.year() - 1 : today.year();
}

QString gradeLabel(int grade) {
    static const QString labels[] = {QStringLiteral("幼３"), QStringLiteral("小１"), QStringLiteral("小２"),
                                     QStringLiteral("小３"), QStringLiteral("小４"), QStringLiteral("小５"),
                                     QStringLiteral("小６"), QStringLiteral("中１"), QStringLiteral("中２"),
                                     QStringLiteral("中３"), QStringLiteral("高１")};
    if (grade < 0 || grade > 10)
        return {};
    return labels[grade];
}

QString shortGradeLabel(int grade) {
    static const QString labels[] = {QStringLiteral("幼1"), QStringLiteral("幼2"), QStringLiteral("幼3"),
                                     QStringLiteral("小1"), QStringLiteral("小2"), QStringLiteral("小3"),
                                     QStringLiteral("小4"), QStringLiteral("小5"), QStringLiteral("小6"),
                                     QStringLiteral("中1"), QStringLiteral("中2"), QStringLiteral("中3"),
                                     QStringLiteral("高1"), QStringLiteral("高2"), QStringLiteral("高3")};
    if (grade <= -3)
        return QStringLiteral("幼-");
    if (grade >= 13)
        return QStringLiteral("大+");
    return labels[grade + 2];
}

const QList<QString>& gradeFilters() {
    static const QList<QString> filters = {
        QStringLiteral("全学年"), QStringLiteral("中学生全体"), QStringLiteral("小学生全体"),
        QStringLiteral("中３"),   QStringLiteral("中２"),       QStringLiteral("中１"),
        QStringLiteral("小６"),   QStringLiteral("小５"),       QStringLiteral("小４"),
        QStringLiteral("小３"),   QStringLiteral("小２"),       QStringLiteral("小１")};
    return filters;
}

bool matchesFilter(QStringView filter, int grade) {
    if (filter == u"全学年")
        return true;
    if (filter == u"中学生全体")
        return grade >= 7 && grade <= 9;
    if (filter == u"小学生全体")
        return grade >= 1 && grade <= 6;
    for (int g = 1; g <= 9; ++g) {
        if (filter == gradeLabel(g))
            return grade == g;
    }
    return false;
}

} // namespace kz
