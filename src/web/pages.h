#pragma once

#include "reports/personalreport.h"
#include "reports/resultstables.h"
#include "web/classroom.h"
#include "web/schooldata.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <vector>

// The teachers' web pages as HTML, in Japanese. Every text from a file or a request is
// escaped; no page carries a script or a style of its own (they come from the two files
// the server hands out), so the pages work under a strict Content-Security-Policy.
namespace kz::web {

// The parts of the menu at the top of every page.
enum class Section { Classroom, Tables, Students, Class, None };

struct PageFrame {
    QString title;
    Section section = Section::None;
    QString body;                             // the page's own HTML
    const SchoolSnapshot* snapshot = nullptr; // for the status line; none on the login page
    QDateTime now;
    bool showLogout = false;
};

// A whole document: head with the style sheet and the script, the menu, the status line
// (the results file's record count and the time of its newest record), the body.
QString pageDocument(const PageFrame& frame);

// The status line's texts, also as the JSON the pages poll: {"records": "1,234",
// "last": "今日 14:30:05", "token": "…", "notes": "…"}.
QString recordCountText(const SchoolSnapshot& snapshot);
QString lastRecordText(const SchoolSnapshot& snapshot, const QDateTime& now);
QByteArray statusJson(const SchoolSnapshot& snapshot, const QDateTime& now);

// 今日の教室: the grade filter, and the part that is fetched again whenever the data change.
QString classroomBody(const Classroom& room, int gradeIndex);
QString classroomLive(const Classroom& room);

// The level tables with the level menu's choices.
struct TablesView {
    bool points = true; // ﾎﾟｲﾝﾄ表示, else ﾀｲﾑ表示
    int option = 1;     // 1..3, the level menu's Option1
    int period = 3;     // 1..5
    int grade = 0;      // 0..11
};
QString tablesBody(const ResultsTables& tables, const TablesView& view);

// The students of the roster as the graph panel lists them, under a grade filter.
struct StudentLink {
    int bangou = 0;
    QString name;
    QString gradeLabel;
    int attemptsToday = 0;
};
QString studentsBody(const QList<StudentLink>& students, int gradeIndex);

struct StudentView {
    int bangou = 0;
    QString name;
    QString gradeLabel;
    QList<PersonalReport> reports;         // the levels the student has practised
    QStringList charts;                    // one <svg> per report
    std::vector<QList<TableLine>> history; // slot L: the personal history lines of level L
    QString factMapSvg;
    int days = 0; // of the fact map; 0 every day
    QStringList notes;
};
QString studentBody(const StudentView& view);

struct ClassView {
    int grade = 0;
    int days = 0;
    int levelsGroup = 0; // index into reportLevelGroups()
    QString factMapSvg;
    QList<StudentLink> students;
    QStringList notes;
};
QString classBody(const ClassView& view);

// The level ranges the class's report PDF offers: 1-3, 4-6, … 22-25.
QList<QList<int>> reportLevelGroups();
// The days the fact maps offer: 0 (every day), 7, 30, 90, 365.
QList<int> factDayChoices();

QString loginBody(const QString& message);
QString messageBody(const QString& heading, const QString& message);

} // namespace kz::web
