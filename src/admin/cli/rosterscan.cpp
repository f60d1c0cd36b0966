#include "admin/cli/rosterscan.h"

#include "data/textio.h"

namespace kz::admin {

namespace {

constexpr int kValues = 8;
constexpr int kNameLength = 20;
constexpr int kMaxBangou = 5000;

// Integer fields of a roster line: empty is 0, otherwise a whole decimal number that
// fits 16 bits.
bool wholeNumber16(const QString& text, int* value) {
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        *value = 0;
        return true;
    }
    bool ok = false;
    const int v = t.toInt(&ok);
    if (!ok || v < -32768 || v > 32767)
        return false;
    *value = v;
    return true;
}

QString trimmedName(const QString& name) {
    QString n = name.left(kNameLength);
    qsizetype start = 0;
    qsizetype end = n.size();
    while (start < end && n[start] == u' ')
        ++start;
    while (end > start && n[end - 1] == u' ')
        --end;
    return n.mid(start, end - start);
}

} // namespace

RosterScan scanRoster(const QString& path) {
    RosterScan scan;
    FreeValueText text;
    TextReadError error;
    if (!FreeValueText::load(path, &text, &error)) {
        scan.message = error.message;
        return scan;
    }
    scan.found = true;
    static const char* const kFieldNames[kValues] = {"Bangou", "birth year", "field 3", "field 4",
                                                     "name", "listing flag", "field 7", "field 8"};
    for (const TextLine& line : text.lines()) {
        if (line.values.isEmpty() || (line.values.size() == 1 && line.values[0].trimmed().isEmpty()))
            continue; // a blank line holds no student
        if (line.values.size() < kValues) {
            scan.problems.append({line.number, QStringLiteral("holds %1 values; a student needs 8").arg(line.values.size())});
            continue;
        }
        bool usable = true;
        int numbers[kValues] = {};
        for (int i : {0, 1, 2, 3, 5}) {
            if (!wholeNumber16(line.values[i], &numbers[i])) {
                scan.problems.append({line.number, QStringLiteral("%1 is not a whole number of 16 bits: \"%2\"")
                                                       .arg(QLatin1String(kFieldNames[i]), line.values[i])});
                usable = false;
            }
        }
        if (!usable)
            continue;
        if (numbers[0] < 0 || numbers[0] > kMaxBangou) {
            scan.problems.append({line.number, QStringLiteral("Bangou %1 is outside 0..5000").arg(numbers[0])});
            continue;
        }
        scan.nameByBangou[static_cast<size_t>(numbers[0])] = trimmedName(line.values[4]);
    }
    return scan;
}

} // namespace kz::admin
