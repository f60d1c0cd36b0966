#include "web/classroom.h"

#include "core/catalogue.h"
#include "data/grade.h"
#include "data/levelrules.h"
#include "data/oledate.h"

#include <cmath>
#include <map>
#include <tuple>

namespace kz::web {

namespace {

constexpr qint32 kNoTimeFrom = 90000; // the tables show such an attempt without a time

// Which attempt an answer line belongs to: the record's date and time, student and level.
using AttemptKey = std::tuple<int, int, int>; // seconds of the day, student, level

} // namespace

Classroom buildClassroom(const SchoolSnapshot& snap, const QString& gradeFilter) {
    Classroom room;
    room.day = snap.asOf.date();
    const double today = oleFromDate(room.day);

    std::map<AttemptKey, int> wrongByAttempt;
    for (const AnswerLogLine& line : snap.todaysAnswers) {
        if (line.date != room.day)
            continue;
        int& wrong = wrongByAttempt[{line.time.msecsSinceStartOfDay() / 1000, line.student, line.level}];
        if (!line.correct)
            ++wrong;
    }

    const RosterTables& roster = snap.roster;
    std::map<int, qsizetype> studentIndex;
    for (qsizetype i = static_cast<qsizetype>(snap.recent.size()) - 1; i >= 0; --i) {
        const ResultKeys& r = snap.recent[static_cast<size_t>(i)];
        if (!r.isCountable() || r.level > kLevelCount)
            continue;
        if (std::floor(r.date) != today)
            continue;
        const int grade = roster.gradeOf(r.bangou);
        if (!levelMenuGradeMatches(gradeFilter, grade))
            continue;
        ClassroomAttempt a;
        a.recordNumber = snap.firstRecentRecord + static_cast<qint32>(i);
        a.time = timeFromOle(r.time);
        a.bangou = r.bangou;
        a.name = trimHalfWidthSpaces(roster.nameOf(r.bangou));
        a.gradeLabel = roster.gradeLabelOf(r.bangou);
        a.level = r.level;
        a.levelCaption = catalogueLevelName(r.level);
        a.recordedTime = r.recordedTime;
        a.timedOut = r.recordedTime >= kNoTimeFrom;
        a.points = attemptPoints(r.recordedTime, r.level, snap.criteria);
        if (const auto it = wrongByAttempt.find({a.time.msecsSinceStartOfDay() / 1000, a.bangou, a.level});
            it != wrongByAttempt.end())
            a.wrongAnswers = it->second;

        auto [slot, added] = studentIndex.try_emplace(a.bangou, room.students.size());
        if (added) {
            ClassroomStudent s;
            s.bangou = a.bangou;
            s.name = a.name;
            s.gradeLabel = a.gradeLabel;
            s.lastAttempt = a.time;
            room.students.append(s);
        }
        ClassroomStudent& s = room.students[slot->second];
        ++s.attempts;
        s.points += a.points;
        if (a.timedOut) {
            ++s.timeOuts;
            ++room.timeOuts;
        }
        s.wrongAnswers += a.wrongAnswers.value_or(0);
        room.wrongAnswers += a.wrongAnswers.value_or(0);
        if (!s.levelsCleared.contains(a.level) &&
            clearedInPassPeriod(snap.criteria.level(a.level), *snap.statistics, a.level, a.bangou))
            s.levelsCleared.append(a.level);
        room.attempts.append(std::move(a));
    }
    for (ClassroomStudent& s : room.students)
        std::sort(s.levelsCleared.begin(), s.levelsCleared.end());
    return room;
}

} // namespace kz::web
