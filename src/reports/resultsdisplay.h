#pragma once

#include "reports/resultstables.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace kz {

// What the level menu's results options have chosen: the display (Option2: times,
// points or the student's own times), the table (Option1, 1..3) and the period of the
// all-attempts table (Combo2), and which table that makes.
class ResultsDisplay {
public:
    enum class Display { Times = 0, Points = 1, PersonalTimes = 2 }; // Option2 index

    // Option1(1..3) captions: "BEST表示", "本日のみ", "オール表示" for times; "合計累計",
    // "合計本日", "すべて" for points.
    static QStringList tableCaptions(Display display);
    // Option1(1) and (2) as the level menu presets them on every activation.
    static QStringList presetCaptions();
    // Combo2 items in order; the shown one at start is the period 3 item.
    static QStringList periodItems();

    // The option of Option2 that is chosen; the personal times keep the display kind
    // of the tables shown before them.
    Display display() const;
    DisplayKind displayKind() const { return kind_; }
    int selectedTable() const { return table_; }
    int period() const { return period_; }
    // 1 best times, 2 today, 3 all attempts of the period: the last of these built (the
    // points rankings leave it as it was; the personal times set 3).
    TableKind tableKind() const { return tableKind_; }
    void setTableKind(TableKind kind) { tableKind_ = kind; }

    // The activation's preset: the points display with its ranking by points so far.
    void preset();
    void chooseDisplay(Display display);
    // An Option1 choice, in the display kind last chosen (also after the personal times).
    void chooseTable(int option1);
    // A Combo2 item (0-based) was chosen: true when the all-attempts table is the one
    // shown, so it is built again for the new period.
    bool choosePeriod(int index);

    // The table the current options build.
    TableChoice choice(const QString& gradeFilter, int currentBangou, const QDateTime& now) const;
    // Called when a table has been built for choice().
    void built(const TableChoice& choice);

private:
    DisplayKind kind_ = DisplayKind::Points;
    bool personal_ = false;
    int table_ = 1;
    int period_ = kDefaultPeriod;
    TableKind tableKind_ = TableKind::Ranking;
};

} // namespace kz
