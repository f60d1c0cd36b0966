#pragma once

#include "core/installation.h"
#include "core/soundtable.h"
#include "data/answerlog.h"
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

// The one shared state of a run. Created once at start-up and handed to every screen;
// nothing of it is saved when the program ends.
struct RunState {
    static constexpr int kLevelSlots = 36; // level slots 0..35

    // 1. Program and catalogue
    QString programTitle;
    qint16 levelCount = 0;
    int finalLevel = 0;
    std::array<QString, kLevelSlots> levelNames;
    std::array<qint16, kLevelSlots> levelTimed{};

    // 2. Current student
    qint16 currentBangou = 0;
    QString currentName;
    QString currentGradeLabel;
    qint32 sessionStartSeconds = 0;

    // 3. Current level and attempt
    qint16 currentLevel = 0;
    qint32 elapsedSeconds = 0;
    qint16 timedOut = 0;
    qint16 finished = 0;
    qint16 recordingStarted = 0;
    qint32 recordedTime = 0;
    qint16 clearedBefore = 0;
    qint16 newPersonalBest = 0;
    qint16 newSchoolBest = 0;
    QList<AnsweredQuestion> attemptAnswers; // judged answers of the running attempt, for the answer log
    QByteArray answerLogBacklog;            // answer lines an earlier write could not place

    // 4. Installation and settings
    Installation installation;
    SoundTable soundTable;
    qint16 soundFailures = 0;

    // 5. Appearance and level menu
    Rgb seasonColour;
    qint16 finalCleared = 0;
    qint16 firstVisibleLevel = 0;
    QString handedOverFilter = QStringLiteral("全学年"); // name screen -> level menu grade filter

    // 6. Tables
    RosterTables roster;
    PassCriteriaTable criteria;
    StatisticsTables statistics;

    bool currentIsTeacher() const {
        return currentName.contains(QStringLiteral("★")) || currentName.contains(QStringLiteral("先生"));
    }
};

} // namespace kz
