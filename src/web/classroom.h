#pragma once

#include "web/schooldata.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

#include <optional>

// Today's classroom: the attempts of the day as the stations record them, and per student
// what the day brought. Built from the same rules as the end screen and the level menu.
namespace kz::web {

struct ClassroomAttempt {
    qint32 recordNumber = 0;
    QTime time;
    int bangou = 0;
    QString name;       // as shown: trimmed; empty when the roster does not know the number
    QString gradeLabel; // "小３"
    int level = 0;
    QString levelCaption;
    qint32 recordedTime = 0;
    bool timedOut = false; // no time: the time ran out
    qint32 points = 0;     // as the statistics count them (multiplier applied)
    // Wrong answers from the answer log; none when the attempt's answers are not there.
    std::optional<int> wrongAnswers;
};

struct ClassroomStudent {
    int bangou = 0;
    QString name;
    QString gradeLabel;
    int attempts = 0;
    int timeOuts = 0;
    int wrongAnswers = 0;
    qint32 points = 0;
    QTime lastAttempt;
    // Levels practised today that count as cleared: the end screen told the student so.
    QList<int> levelsCleared;
};

struct Classroom {
    QDate day;
    QList<ClassroomAttempt> attempts; // newest first
    QList<ClassroomStudent> students; // the latest to practise first
    int timeOuts = 0;
    int wrongAnswers = 0;
};

// The day of the snapshot, for students whose grade passes the level menu's grade filter.
Classroom buildClassroom(const SchoolSnapshot& snapshot, const QString& gradeFilter);

} // namespace kz::web
