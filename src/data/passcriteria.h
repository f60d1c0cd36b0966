#pragma once

#include "data/levels.h"
#include "data/textio.h"

#include <QList>
#include <QString>

#include <array>

// The per-level pass criteria ("タイム回数データ.txt"): twelve comma-separated fields a
// line, a header line first, then one line per level.
namespace kz {

// A points multiplier held as the decimal the teacher typed ("1.3" is 13 / 10), so that
// whole points times the multiplier floor as the written decimal means, free of binary
// rounding (10 points x 1.3 are 13, never 12). At most nine digits are kept on either
// side of the point: larger whole parts are clamped, further fraction digits cut off.
class DecimalMultiplier {
public:
    DecimalMultiplier() = default;
    static DecimalMultiplier fromText(QStringView text); // leading-number reading; garbage is 0
    static DecimalMultiplier fromDouble(double value);   // shortest decimal of the value
    // floor(points x multiplier), toward minus infinity.
    qint64 floorTimes(qint64 points) const;
    double toDouble() const;
    // Shortest decimal text: 1, 1.5, 0.25 (no trailing zeros, no exponent).
    QString shortText() const;
    // The same digits and scale (1.5 and 1.50 differ).
    bool operator==(const DecimalMultiplier&) const = default;

private:
    qint64 scaled_ = 0; // value = scaled_ / 10^scale_
    int scale_ = 0;
};

struct PassCriteria {
    static constexpr int kFieldCount = 12;
    // The twelve fields as read, in file order (index 0 = field 1). The editor shows and
    // saves these texts; fields 6 to 12 keep exactly what was read, empty included.
    std::array<QString, kFieldCount> texts;

    // Fields 1 to 5, converted (empty or non-numeric reads as 0). Fields 1 to 4 take the
    // leading number rounded to the nearest whole number (halves to even); a value beyond
    // the field's range is clamped to the range's end.
    qint32 targetTime = 0;
    qint32 minimumTime = 0;
    qint32 clearPoints = 0;
    qint16 clearCount = 0;
    DecimalMultiplier pointMultiplier;
    // Fields 6 to 9 as numbers (empty is 0).
    double overdoCount = 0;
    double overdoPoints = 0;
    double passPeriodDays = 0;
    double overdoPeriodDays = 0;

    // Time limit of an attempt: five times minimumTime (held to the 32-bit range);
    // 0 or less means no limit.
    qint32 timeLimit() const;
    // Builds a row from its twelve texts (missing ones empty), converting fields 1 to 9.
    static PassCriteria fromTexts(const QList<QString>& fields);
};

class PassCriteriaTable {
public:
    int levelLines = 0; // number of level lines read by the last load

    // Slot 0 is the header row; a slot outside 0..35 reads as an empty row.
    const PassCriteria& operator[](int slot) const;
    // The criteria of level 1..35; any other number reads as an empty row (no target, no
    // limits, nothing to clear).
    const PassCriteria& level(int level) const;
    // A slot to fill in (loading, tests); the slot must be within 0..35.
    PassCriteria& row(int slot) { return rows_.at(static_cast<size_t>(slot)); }

private:
    std::array<PassCriteria, kLevelSlots> rows_; // 0 (header) and levels 1..35
};

// What a load of the file leaves to tell besides the table.
struct CriteriaLoadResult {
    bool truncated = false;                  // more than 35 level lines: only the first 35 were read
    QString message;                         // when truncated: what was left out, naming the file
    QList<int> incompleteLevels;             // level lines holding fewer than twelve fields
    QList<EncodingProblem> encodingProblems; // lines that are not code page 932
};

// Reads the file into slots 0..N (slot 0 the header). Fields are read as a stream of
// twelve values per slot. Slots beyond N keep their values. A missing (NotFound) or
// unreadable file is an error naming it and leaves the table untouched. Only slots up
// to 35 are filled: more level lines set truncated and are not read.
Outcome<CriteriaLoadResult> loadPassCriteria(const QString& path, PassCriteriaTable* table);

// Writes a header row and the level rows (each twelve texts), CP932 with CR LF. Refuses
// (Refused) more than 35 rows and fields holding a comma, a double quote or a line
// break, which could not be read back as written.
Status savePassCriteria(const QString& path, const QList<std::array<QString, 12>>& rows);

// The header row of the file: nine titles and three empty fields.
std::array<QString, 12> passCriteriaHeader();

} // namespace kz
