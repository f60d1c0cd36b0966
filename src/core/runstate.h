#pragma once

#include "core/installation.h"
#include "core/soundtable.h"
#include "data/answerlog.h"
#include "data/levels.h"
#include "data/passcriteria.h"
#include "data/roster.h"
#include "data/statistics.h"

#include <QString>

#include <array>
#include <memory>

namespace kz {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb&) const = default;
};

// The program title and the level catalogue; rebuilt whenever a name is confirmed.
struct CatalogueState {
    QString programTitle;
    qint16 levelCount = 0;
    int finalLevel = 0;
    std::array<QString, kLevelSlots> levelNames;

    // Name of level 1..35 in the catalogue; empty for any other number.
    QString levelName(int level) const {
        return level >= 1 && level < kLevelSlots ? levelNames[static_cast<size_t>(level)] : QString();
    }
};

// Who is practising; set by the name screen when the student confirms their name.
struct StudentState {
    qint16 currentBangou = 0;
    QString currentName;
    QString currentGradeLabel;
    qint32 sessionStartSeconds = 0;

    bool currentIsTeacher() const {
        return currentName.contains(QStringLiteral("★")) || currentName.contains(QStringLiteral("先生"));
    }
};

// The level being practised and how its attempt went; the level menu chooses the level,
// the start of an attempt clears the rest, its end and its recording fill it in.
struct AttemptState {
    qint16 currentLevel = 0;
    qint32 elapsedSeconds = 0;     // the time the attempt took, once it has ended
    bool timedOut = false;         // it ended because its time ran out
    bool recordingStarted = false; // it has ended and is being handed off: set once per attempt
    qint32 recordedTime = 0;
    bool clearedBefore = false;
    bool newPersonalBest = false;
    bool newSchoolBest = false;
    QList<AnsweredQuestion> attemptAnswers; // judged answers of the running attempt, for the answer log
    QByteArray answerLogBacklog;            // answer lines an earlier write could not place
};

// Where the data lives and the common settings; resolved once at start-up.
struct SettingsState {
    Installation installation;
    // What keeps attempts from being recorded (the running user's write rights), found at
    // start-up; empty when they can be recorded.
    QString recordingProblem;
    SoundTable soundTable;
};

// What the name screen and the level menu show and hand each other.
struct LevelMenuState {
    Rgb seasonColour;
    qint16 firstVisibleLevel = 0;
    QString handedOverFilter = QStringLiteral("全学年"); // name screen -> level menu grade filter
};

// The tables loaded from the data files.
struct TablesState {
    RosterTables roster;
    PassCriteriaTable criteria;
    StatisticsTables statistics;
    bool statisticsRefreshRunning = false; // a refresh is waiting for or reading the results file
};

// The one shared state of a run. Created once at start-up and owned by the run
// (ProgramRun): screens read it, the run's operations change it. Nothing of it is saved
// when the program ends.
struct RunState {
    CatalogueState catalogue;
    StudentState student;
    AttemptState attempt;
    SettingsState settings;
    LevelMenuState levelMenu;
    TablesState tables;
};

} // namespace kz
