#pragma once

#include "core/runstate.h"
#include "data/levels.h"

namespace kz {

// The program title "カズリンその２".
QString programTitle();
// programTitle := programTitle().
void initRunState(RunState& state);
// A screen's point size for the program title: its usual size, or its smaller size when the
// title is longer than nine characters.
double titlePointSize(const QString& title, double usualSize, double longTitleSize);
// levelCount, finalLevel and levelNames of the 25-level catalogue; the run builds it
// whenever a student is chosen.
void buildLevelCatalogue(RunState& state);
// Name of a catalogue level 1..25; empty otherwise.
QString catalogueLevelName(int level);
// "①" … "⑥", "Ⅰ" … "Ⅲ" for grades 1..9; one full-width space otherwise.
QString gradeMark(int grade);
// Whether a student of the grade passes the level menu's grade filter text.
bool levelMenuGradeMatches(QStringView filterText, int grade);

} // namespace kz
