#include "levelmenu/levelmenutexts.h"

#include "data/roster.h"

#include <QLocale>

#include <cmath>

namespace kz {

QString studentText(const QString& gradeLabel, const QString& name) {
    return gradeLabel + u' ' + trimHalfWidthSpaces(name);
}

QString siteText(const QString& siteName, int bangou) {
    return siteName + u':' + QString::number(bangou);
}

QString elapsedText(int minutes) {
    return QStringLiteral("起動後") + QString::number(minutes) + u'分';
}

QString todayTotalText(qint64 todayAttempts) {
    return QStringLiteral("本日総回数＝") + QString::number(todayAttempts) + u'回';
}

QString todayFigureText(qint32 attempts, qint32 points) {
    if (attempts == 0)
        return QStringLiteral("-----");
    return QString::number(attempts) + QStringLiteral("回/") + QString::number(points) + u'点';
}

QString totalFigureText(qint32 attempts, qint32 points) {
    if (attempts == 0)
        return QStringLiteral("------");
    return QString::number(attempts) + QStringLiteral("回/") + QString::number(points) + u'点';
}

QString plainNumber(double value) {
    if (!std::isfinite(value))
        return QStringLiteral("0");
    if (value == 0)
        return QStringLiteral("0"); // also for -0
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

QString recentFigureText(double passPeriodDays, qint32 attempts, qint32 points) {
    return QStringLiteral("最近") + plainNumber(passPeriodDays) + QStringLiteral("日=") +
           QString::number(attempts) + QStringLiteral("回 / ") + QString::number(points) + u'点';
}

QString criteriaLineText(const PassCriteria& criteria) {
    const QString head = QStringLiteral("目標=") + QString::number(criteria.targetTime) + u'秒';
    if (criteria.clearPoints == 9999)
        return head + QStringLiteral(" --------");
    return head + u' ' + QString::number(criteria.clearCount) + QStringLiteral("回/") +
           QString::number(criteria.clearPoints) + QStringLiteral("点(×") +
           criteria.pointMultiplier.shortText() + u')';
}

LevelMenuKey levelMenuKey(QStringView typed, int levelCount) {
    if (typed.size() != 1)
        return {};
    const char16_t c = typed.front().unicode();
    int level = 0;
    if (c == u'0')
        return {LevelMenuKey::Back, 0};
    if (c >= u'1' && c <= u'9')
        level = c - u'0';
    else if (c >= u'a' && c <= u'd')
        level = 10 + (c - u'a');
    else if (c >= u'A' && c <= u'D')
        level = 10 + (c - u'A');
    if (level == 0 || level > levelCount)
        return {};
    return {LevelMenuKey::StartLevel, level};
}

ColumnGeometry columnGeometry(int levelCount) {
    ColumnGeometry g;
    if (levelCount >= 5) {
        g.widthTwips = 3456;
        g.scrollBar = true;
        g.scrollMaximum = levelCount - 3;
    } else {
        g.widthTwips = levelCount > 0 ? 14592 / levelCount : 14592;
    }
    return g;
}

double columnMarginPixels(int formWidthPixels) {
    return formWidthPixels * 0.02;
}

int columnX(int level, int firstVisible, const ColumnGeometry& geometry, int formWidthPixels) {
    const double twips = static_cast<double>(level - firstVisible) * geometry.widthTwips;
    const double x = twips / kTwipsPerPixel + columnMarginPixels(formWidthPixels);
    if (level < firstVisible || x < 0)
        return formWidthPixels;
    return static_cast<int>(std::lround(x));
}

int openingFirstVisible(int stored, int scrollMaximum) {
    if (stored <= 0 || stored > scrollMaximum)
        return 1;
    return stored;
}

int firstVisibleFromScroll(int value, int levelCount) {
    if (value > levelCount || value < 1)
        return 1;
    return value;
}

} // namespace kz
