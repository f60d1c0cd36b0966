#pragma once

#include "core/session.h"

#include "data/passcriteria.h"

#include <QString>

// Texts, keys and column geometry of the level menu, free of any widget.
namespace kz {

// ---- Header -------------------------------------------------------------------------
// Grade label, one space, the name without surrounding spaces.
QString studentText(const QString& gradeLabel, const QString& name);
// Site name, ":", student number.
QString siteText(const QString& siteName, int bangou);
// "起動後" minutes "分".
QString elapsedText(int minutes);
// "本日総回数＝" total "回".
QString todayTotalText(qint64 todayAttempts);

// ---- Figures of one level column ------------------------------------------------------
// Today: n "回/" p "点"; "-----" without an attempt today.
QString todayFigureText(qint32 attempts, qint32 points);
// So far: n "回/" p "点"; "------" without any attempt.
QString totalFigureText(qint32 attempts, qint32 points);
// "最近" days "日=" n "回 / " p "点".
QString recentFigureText(double passPeriodDays, qint32 attempts, qint32 points);
// The criteria line: "目標=" T "秒" " --------" when clearPoints is 9999, else
// "目標=" T "秒" " " count "回/" points "点(×" multiplier ")".
QString criteriaLineText(const PassCriteria& criteria);
// A number as plain shortest decimal: 7, 7.5 (no exponent, no trailing zeros).
QString plainNumber(double value);

// ---- Keys ---------------------------------------------------------------------------
struct LevelMenuKey {
    enum Kind { None, StartLevel, Back };
    Kind kind = None;
    int level = 0; // for StartLevel
};
// "1".."9" start levels 1..9, "a".."d" (either case) levels 10..13 when they exist;
// "0" goes back. Levels 14 and above have no key.
LevelMenuKey levelMenuKey(QStringView typed, int levelCount);

// ---- Column geometry ----------------------------------------------------------------
inline constexpr int kTwipsPerPixel = 15;

struct ColumnGeometry {
    int widthTwips = 0;     // 3456 with 5 or more levels, else 14592 / levelCount
    bool scrollBar = false; // shown with 5 or more levels
    int scrollMinimum = 1;
    int scrollMaximum = 1; // levelCount - 3: four columns in view at a time
};
ColumnGeometry columnGeometry(int levelCount);

// Left edge of the columns: 2% of the form's width, in pixels.
double columnMarginPixels(int formWidthPixels);
// Pixel x of level L's column with F the first visible level: (L - F) x W + margin;
// a column that would start left of the form is moved to the right edge, out of view.
int columnX(int level, int firstVisible, const ColumnGeometry& geometry, int formWidthPixels);
// The stored first visible level as the menu opens: 1 when it is 0 (or less) or beyond
// the scroll bar's maximum.
int openingFirstVisible(int stored, int scrollMaximum);
// The first visible level after the scroll bar moved: its value, or 1 beyond levelCount.
int firstVisibleFromScroll(int value, int levelCount);

} // namespace kz
