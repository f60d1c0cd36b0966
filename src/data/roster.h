#pragma once

#include "data/grade.h"
#include "data/textio.h"
#include "platform/outcome.h"

#include <QDate>
#include <QList>
#include <QString>

#include <vector>

// The roster "新名簿.txt": read only, shared with the sibling programs.
namespace kz {

struct RosterEntry {
    qint16 bangou = 0;
    qint16 birthYear = 0;
    qint16 reserved3 = 0;
    qint16 reserved4 = 0;
    QString name; // at most 20 characters
    qint16 listingFlag = 0;
    QString reserved7;   // at most 20 characters
    QString reserved8;   // at most 20 characters
    int lineNumber = 0;  // line in the file
    int gradeNumber = 0; // computed at load
    QString shortGradeLabel;
};

struct RosterTables {
    static constexpr int kStudents = 5001; // Bangou 0..5000
    static constexpr int kMaxListed = 5000;

    QList<RosterEntry> listed;  // listed entries in file order (position 1 is listed[0])
    QList<RosterEntry> entries; // every record that was read, listed or not, in file order
    std::vector<QString> nameByBangou = std::vector<QString>(kStudents);
    std::vector<qint16> birthYearByBangou = std::vector<qint16>(kStudents, 0);
    std::vector<QString> gradeLabelByBangou = std::vector<QString>(kStudents);
    int schoolYear = 0;

    int rosterCount() const { return static_cast<int>(listed.size()); }
    // Whether a listed entry has this number: the students the screens and reports offer.
    bool isListed(int bangou) const;
    QString nameOf(int bangou) const {
        return bangou >= 0 && bangou < kStudents ? nameByBangou[static_cast<size_t>(bangou)] : QString();
    }
    // The grade of a student in this school year (gradeNumberOf); a number the roster
    // does not hold counts as born in year 0.
    int gradeOf(int bangou) const {
        return gradeNumberOf(schoolYear, bangou >= 0 && bangou < kStudents
                                             ? birthYearByBangou[static_cast<size_t>(bangou)]
                                             : 0);
    }
    // "小１" and the like; empty for a number the roster does not hold or a grade outside 0..10.
    QString gradeLabelOf(int bangou) const {
        return bangou >= 0 && bangou < kStudents ? gradeLabelByBangou[static_cast<size_t>(bangou)]
                                                 : QString();
    }
};

// One record of the roster that could not be used, with the reason.
struct RosterProblem {
    int line = 0; // line in the file
    QString text;
};

// What a roster load leaves to tell besides the tables.
struct RosterLoadResult {
    QList<RosterProblem> problems; // records skipped, in file order
    // How the file was read: a roster saved as UTF-8 by another tool is read as UTF-8
    // (its names stay readable here, while the sibling programs read it garbled); the
    // lines beyond ASCII of such a file, or the lines of a code page 932 file that are
    // not code page 932 (read garbled), are its problems.
    TextEncodingFacts encoding;
};

// What a roster's encoding means, in one text naming the file and its lines, with the
// command that converts a UTF-8 roster to code page 932; empty when the file is code
// page 932 throughout.
QString rosterEncodingSummary(const QString& path, const TextEncodingFacts& encoding);
// The same in a few words, for a notice that stays on a screen; empty when nothing to say.
QString rosterEncodingShortNotice(const TextEncodingFacts& encoding);

// Reads the roster at path into *tables (the file is only read, never written). A file
// that is UTF-8 throughout is read as UTF-8 (FreeValueText::loadAcceptingUtf8).
//
// One record per line, eight values in the free value syntax; blank lines are passed
// over. The listed entries are replaced; the lookup tables by Bangou are overwritten
// only in the slots that a record names (later records win), and gradeLabelByBangou
// only for grades 0..10. A record is skipped, reported in problems and indexed nowhere
// when its line holds fewer than eight values, an integer value is not a whole decimal
// number within -32768..32767, its Bangou lies outside 0..5000, or it would be listed
// after 5000 listed entries. A missing or unreadable file leaves no listed entries and
// the lookup tables untouched and is an error naming the file (NotFound or Unreadable).
Outcome<RosterLoadResult> loadRoster(const QString& path, QDate today, int schoolYearStartMonth,
                                     int flagTwoListed, RosterTables* tables);

// The same from text already decoded (for readers that have the file contents at hand).
RosterLoadResult loadRosterText(const QString& decoded, QDate today, int schoolYearStartMonth,
                                int flagTwoListed, RosterTables* tables);

// The listed entries in listing order: birth year ascending, then name (half-width spaces
// trimmed) under the Japanese collation of ICU, which gives the same order on every
// computer whatever its language settings; equal names keep their file order.
QList<RosterEntry> inListingOrder(const QList<RosterEntry>& listed);
// The same order as positions in listed.
QList<qsizetype> listingOrder(const QList<RosterEntry>& listed);

// "番号 N の生徒は名簿にいません": a student the reports are asked for who is not listed.
QString notInRosterText(int bangou);

// The name with leading and trailing half-width spaces removed, as it is shown.
QString trimHalfWidthSpaces(const QString& text);

// Whether a roster name is a teacher's: it contains "★" or "先生".
bool isTeacherName(const QString& name);

} // namespace kz
