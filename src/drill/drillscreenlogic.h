#pragma once

#include <QString>
#include <QStringView>

// The parts of the drill screen that are plain rules: the figures of the status strip, the
// time bar's widths and the way keys reach the drill engine (the end of an attempt is
// drill/attempthandoff.h).
namespace kz {

class StatisticsTables;

// The attempt numbers shown on the status strip: this one at the level (today's attempts
// there + 1) and this one today (1 + today's attempts at every level 1..35, as the end
// screen counts them).
struct AttemptNumbers {
    qint32 atLevel = 1;
    qint32 today = 1;
};
AttemptNumbers attemptNumbers(const StatisticsTables& statistics, int level, int bangou);

// Widths of the time bar's rectangles in pixels. The whole bar stands for the time limit;
// every width is seconds x (bar width / limit), never wider than the whole bar. A level
// without a limit has no bar at all.
struct TimeBarLayout {
    bool visible = false;
    qint32 timeLimit = 0; // seconds the whole bar stands for
    int limitWidth = 0;   // white: the whole limit
    int minimumWidth = 0; // light green: the minimum-line time
    int targetWidth = 0;  // green: the target time
    // seconds x limitWidth / timeLimit, rounded, within 0..limitWidth.
    int widthOf(qint64 seconds) const;
    int elapsedWidth(qint32 seconds) const { return widthOf(seconds); }
};
TimeBarLayout timeBarLayout(int barWidth, qint32 timeLimit, bool hasLimit, qint32 minimumTime,
                            qint32 targetTime);

// What one pressed key means to the drill engine: a key code for onKeyDown (Enter 13,
// arrows 37..40, …) and a character code for onKeyPress; 0 where there is none. The
// key-down goes first.
struct DrillKey {
    int keyDownCode = 0;
    int charCode = 0;
};
// qtKey is a Qt::Key value, text the characters the key produced.
DrillKey drillKeyFor(int qtKey, QStringView text);

} // namespace kz
