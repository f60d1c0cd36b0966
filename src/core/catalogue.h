#pragma once

#include "core/runstate.h"

namespace kz {

inline constexpr int kLevelCount = 25;

// programTitle := "カズリンその２".
void initRunState(RunState& state);
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
