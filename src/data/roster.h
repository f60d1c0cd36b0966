#pragma once

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
    QString name;        // at most 20 characters
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

    QList<RosterEntry> listed;           // listed entries in file order (position 1 is listed[0])
    std::vector<QString> nameByBangou = std::vector<QString>(kStudents);
    std::vector<qint16> birthYearByBangou = std::vector<qint16>(kStudents, 0);
    std::vector<QString> gradeLabelByBangou = std::vector<QString>(kStudents);
    int schoolYear = 0;

    int rosterCount() const { return static_cast<int>(listed.size()); }
    QString nameOf(int bangou) const {
        return bangou >= 0 && bangou < kStudents ? nameByBangou[static_cast<size_t>(bangou)] : QString();
    }
};

} // namespace kz
