#pragma once

#include <QList>
#include <QString>

#include <vector>

// A small pass over the roster file for the companion: the problems of each line and
// the name of every Bangou, without listing rules or grades.
namespace kz::admin {

struct RosterScan {
    bool found = false;
    QString message;                                       // why the file could not be read
    QList<QPair<int, QString>> problems;                   // line, what is wrong
    std::vector<QString> nameByBangou = std::vector<QString>(5001); // trimmed, cut to 20
};

RosterScan scanRoster(const QString& path);

} // namespace kz::admin
