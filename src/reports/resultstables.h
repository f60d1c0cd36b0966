#pragma once

#include "core/runstate.h"
#include "data/passcriteria.h"
#include "data/resultstore.h"
#include "data/roster.h"
#include "data/statistics.h"
#include "platform/outcome.h"

#include <QCollator>
#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

// The results lists under the level columns of the level menu (rankings by best time
// and by points, today's attempts, all attempts of a period) and the hidden ranking
// lists of the graph panel, built as lines of text without any widget. Every line keeps
// the number of the student it is about beside it.
namespace kz {

enum class DisplayKind { Times = 1, Points = 2 };
// Ranking: best times in the time display, points in the points display.
enum class TableKind { Ranking = 1, Today = 2, Period = 3 };
enum class PointsKind { SoFar = 1, Today = 2 };
// What a ranking list orders by.
enum class RankingKind { BestTime, PointsSoFar, PointsToday };
// LevelMenu: the lines of a level column's list, in the order the list shows them.
// Graph: the graph panel's hidden lists, in rank order, with a three-character rank
// field and "---" for a student without a result.
enum class RankingStyle { LevelMenu, Graph };

// Newest records of the results file that the attempt tables look at.
inline constexpr int kTodayTableWindow = 1000;
inline constexpr int kPeriodTableWindow = 20000;

// Period of the all-attempts table: 1 this week (from Monday), 2 since last week's
// Monday, 3 thirty days, 4 a year, 5 ten years.
inline constexpr int kPeriodCount = 5;
inline constexpr int kDefaultPeriod = 3;

struct TableChoice {
    DisplayKind display = DisplayKind::Points;
    TableKind table = TableKind::Ranking;
    PointsKind pointsKind = PointsKind::SoFar;      // the points display's ranking
    int period = kDefaultPeriod;                    // 1..5; others read as 3
    QString gradeFilter = QStringLiteral("全学年"); // the level menu's grade filter text
    int currentBangou = 0;                          // marked "●"; 0: nobody
    QDateTime now;                                  // today, and where the period ends
};

struct TableLine {
    QString text;
    qint16 bangou = 0;       // the student the line is about
    int rank = 0;            // ranking lists: the student's rank (ties share one); else 0
    qint32 recordedTime = 0; // ranking lists: the best time; attempt tables: the attempt's time
};

// Background of a level's list after a build. Only today's and the period table in the
// time display are coloured, by the slowest attempt listed that did not time out;
// such a list without any such attempt keeps the colour it had.
enum class ListColour { Plain, Unchanged, Green, LightGreen, Grey };
Rgb listColourRgb(ListColour colour); // Plain and Unchanged give white

struct LevelList {
    QList<TableLine> lines; // in the order the list shows them
    int topRow = 0;         // the row to scroll to the top: the line above the current student's
    ListColour colour = ListColour::Plain;
};

struct ResultsTables {
    TableKind table = TableKind::Ranking;
    QString title; // heading of the lists ("ベスト成績", …; empty for the period table)
    std::vector<LevelList> levels; // slot L for level L = 1..levelCount; slot 0 stays empty
};

// What the tables are read from; the references must outlive the builder.
struct TableSources {
    const RosterTables& roster;
    const StatisticsTables& statistics;
    const PassCriteriaTable& criteria;
    int levelCount = 0;
};

// Called as the work advances: per level for the rankings, per record read for the
// attempt tables.
using TableProgress = std::function<void(int done, int total)>;

// The pieces of a line, for whoever writes the same fields.
namespace tablefields {
// " 1", "12", "100": the rank with a leading space, its last two characters; a rank of
// 100 or more is written in full. Graph style: three spaces, last three characters.
QString rankField(int rank, RankingStyle style = RankingStyle::LevelMenu);
// The name with trailing half-width spaces removed, padded with full-width spaces and
// cut to five characters (a surrogate pair is never split).
QString nameField(const QString& name);
// The name with half-width spaces removed at both ends, in the same five-character field.
QString trimmedNameField(const QString& name);
// Padded with half-width spaces to width; a longer text is kept whole.
QString rightAligned(const QString& text, int width);
} // namespace tablefields

// The days the all-attempts table looks back from now for a period (1..5).
double periodDaysBack(int period, QDate today);

class ResultsTableBuilder {
public:
    explicit ResultsTableBuilder(TableSources sources);

    // The lists of every level for the choice. The attempt tables read records: the
    // newest records of the results file in file order (only the last 1000 count for
    // today's table, the last 20000 for the period table); the rankings read the
    // statistics and the roster only. Lists are built once and ordered as a sorted list
    // orders them: by the number that leads each line (rank, time or points), numbered
    // lines before "--" and "　　× " lines, ties by the time or date that follows, then
    // by mark and name under the Japanese collation.
    ResultsTables build(const TableChoice& choice, std::span<const ResultKeys> records,
                        const TableProgress& progress = {});

    // The same, reading the records the choice needs through read (the newest 1000 for
    // today's table, 20000 for the period table, none for the rankings). A missing file
    // reads as empty; a file that cannot be read is the reader's error.
    Outcome<ResultsTables> buildReading(const TableChoice& choice, const NewestResultsReader& read,
                                        const TableProgress& progress = {});
    // The same straight from the results file (the companion).
    Outcome<ResultsTables> buildFromFile(const TableChoice& choice, const QString& resultsPath,
                                         const TableProgress& progress = {});

    // The ranking list of one level over the listed students in roster order. LevelMenu
    // style gives the lines of the level's list; Graph style the graph panel's hidden
    // list, in rank order. Students the grade filter rejects keep their place in the
    // ranking but get no line.
    QList<TableLine> ranking(int level, RankingKind kind, RankingStyle style, const QString& gradeFilter,
                             int currentBangou);

    int levelCount() const { return sources_.levelCount; }

private:
    struct Student {
        qint16 bangou = 0;
        bool shown = false;   // the grade filter accepts the student
        bool current = false; // the student who is practising
        QString rightMark;
        QString markName;  // left mark and the five-character name field
        QString nameField; // the five-character name field
    };
    std::vector<Student> listedStudents(const QString& gradeFilter, int currentBangou);
    QList<TableLine> rankingOf(int level, RankingKind kind, RankingStyle style,
                               const std::vector<Student>& students, const std::vector<int>& tieOrder,
                               std::vector<int>* studentOfLine = nullptr);
    void buildAttempts(const TableChoice& choice, std::span<const ResultKeys> records,
                       const TableProgress& progress, ResultsTables* tables);
    // For each text its place among them under the Japanese collation (equal texts, equal places).
    std::vector<int> collationPlaces(const QStringList& texts);

    TableSources sources_;
    // The rankings last built, per level, with nobody marked as the current student:
    // a level's lines are made again only when its figures changed (after an attempt,
    // one level), the students or the choice changed; the current student's line is
    // then put in with its marks (rankingFor).
    struct RankingMemo {
        DisplayKind display = DisplayKind::Points;
        PointsKind pointsKind = PointsKind::SoFar;
        QString gradeFilter;
        QList<RosterEntry> roster;
        std::vector<Student> students; // as listedStudents gives them, nobody current
        std::vector<int> tieOrder;
        std::vector<quint64> generation; // per level: the figures the lines were made from
        std::vector<QList<TableLine>> lines;
        std::vector<std::vector<int>> studentOfLine; // per level and line: index in students
    };
    // One for the rankings that list every student (best times, points so far), one for
    // today's points, which lists only today's students: switching between the two
    // points tables keeps both, and only one long list of every level is kept.
    std::array<std::optional<RankingMemo>, 2> rankingMemos_;
    RankingMemo& rankingMemoFor(const TableChoice& choice);
    // The memo's lines of the level with the current student's line marked and in its
    // place among the lines of its rank.
    QList<TableLine> rankingFor(RankingMemo& memo, int level, RankingKind kind, int currentBangou);
    QCollator collator_;
    // Sort keys of the mark-and-name texts met so far; names do not change while a screen lives.
    std::unordered_map<QString, QCollatorSortKey> sortKeys_;
};

} // namespace kz
