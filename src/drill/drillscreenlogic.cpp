#include "drill/drillscreenlogic.h"

#include "data/statistics.h"

#include <QtCore/qnamespace.h>

namespace kz {

AttemptNumbers attemptNumbers(const StatisticsTables& statistics, int level, int bangou) {
    AttemptNumbers numbers;
    numbers.atLevel = statistics.todayAttempts(level, bangou) + 1;
    numbers.today = statistics.sumOverLevels(StatisticsTables::TodayAttempts, bangou) + 1;
    return numbers;
}

int TimeBarLayout::widthOf(qint64 seconds) const {
    if (!visible || seconds <= 0)
        return 0;
    if (seconds >= timeLimit)
        return limitWidth;
    // Exact rational rounding (half up), free of binary fractions: 150 s of 300 on 1001
    // pixels are 500.5, drawn as 501.
    return static_cast<int>((2 * seconds * limitWidth + timeLimit) / (2 * static_cast<qint64>(timeLimit)));
}

TimeBarLayout timeBarLayout(int barWidth, qint32 timeLimit, bool hasLimit, qint32 minimumTime,
                            qint32 targetTime) {
    TimeBarLayout bar;
    if (!hasLimit || timeLimit <= 0 || barWidth <= 0)
        return bar;
    bar.visible = true;
    bar.limitWidth = barWidth;
    bar.timeLimit = timeLimit;
    bar.minimumWidth = bar.widthOf(minimumTime);
    bar.targetWidth = bar.widthOf(targetTime);
    return bar;
}

DrillKey drillKeyFor(int qtKey, QStringView text) {
    DrillKey key;
    const int single = text.size() == 1 ? text.front().unicode() : 0;
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return {13, 13};
    case Qt::Key_Left:
        return {37, 0};
    case Qt::Key_Up:
        return {38, 0};
    case Qt::Key_Right:
        return {39, 0};
    case Qt::Key_Down:
        return {40, 0};
    case Qt::Key_Backspace:
        return {8, 8};
    case Qt::Key_Tab:
        return {9, 9};
    case Qt::Key_Escape:
        return {27, 27};
    case Qt::Key_Space:
        return {32, 32};
    default:
        break;
    }
    // Digits and letters have key codes of their own (the upper-case letter); the other
    // keys only count for the character they type.
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        key.keyDownCode = qtKey;
    else if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        key.keyDownCode = qtKey;
    key.charCode = single;
    return key;
}

} // namespace kz
