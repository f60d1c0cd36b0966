#include "data/roster.h"

#include "data/grade.h"
#include "data/textio.h"
#include "platform/datafile.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace kz {

namespace {

constexpr int kValuesPerRecord = 8;
constexpr int kMaxTextLength = 20;

// Integer fields: empty reads as 0; anything else must be a whole decimal number that
// fits in 16 bits.
// What trimmed() would leave empty.
bool isAllSpace(QStringView text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); });
}

Outcome<qint16> readInteger(QStringView text) {
    if (isAllSpace(text))
        return qint16(0);
    bool complete = false;
    const double value = leadingNumber(text, &complete);
    if (!complete || value != std::floor(value))
        return makeError(ErrorKind::Malformed, QStringLiteral("「%1」は整数ではありません").arg(text));
    if (value < -32768.0 || value > 32767.0)
        return makeError(ErrorKind::Malformed,
                         QStringLiteral("「%1」は -32768～32767 の範囲外です").arg(text));
    return static_cast<qint16>(value);
}

bool isBlankLine(const FreeValueText::LineValues& values) {
    return std::all_of(values.cbegin(), values.cend(), [](QStringView v) { return isAllSpace(v); });
}

RosterLoadResult loadDecodedRoster(QStringView decoded, QDate today, int schoolYearStartMonth,
                                   int flagTwoListed, RosterTables* tables);

} // namespace

bool isTeacherName(const QString& name) {
    return name.contains(QStringLiteral("★")) || name.contains(QStringLiteral("先生"));
}

QString trimHalfWidthSpaces(const QString& text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start] == u' ')
        ++start;
    while (end > start && text[end - 1] == u' ')
        --end;
    return text.mid(start, end - start);
}

Outcome<RosterLoadResult> loadRoster(const QString& path, QDate today, int schoolYearStartMonth,
                                     int flagTwoListed, RosterTables* tables) {
    // Read as FreeValueText::loadAcceptingUtf8 reads, the values seen in place: only the
    // texts kept become strings of their own.
    const Outcome<QByteArray> bytes = readDataFile(path);
    if (!bytes) {
        tables->listed.clear();
        tables->entries.clear();
        tables->schoolYear = schoolYearOf(today, schoolYearStartMonth);
        if (bytes.error().kind == ErrorKind::NotFound)
            return makeError(ErrorKind::NotFound, QStringLiteral("名簿ファイルがありません: %1").arg(path));
        return bytes.error();
    }
    TextEncodingFacts facts = FreeValueText::encodingOfBytes(*bytes, true);
    RosterLoadResult loaded = loadDecodedRoster(FreeValueText::decodeFileBytes(*bytes, facts), today,
                                                schoolYearStartMonth, flagTwoListed, tables);
    loaded.encoding = std::move(facts);
    return loaded;
}

bool RosterTables::isListed(int bangou) const {
    return std::any_of(listed.cbegin(), listed.cend(),
                       [bangou](const RosterEntry& e) { return e.bangou == bangou; });
}

QString notInRosterText(int bangou) {
    return QStringLiteral("番号 %1 の生徒は名簿にいません").arg(bangou);
}

QString rosterEncodingSummary(const QString& path, const TextEncodingFacts& encoding) {
    const QString summary = encodingSummary(path, encoding);
    return summary.isEmpty() ? summary : shortenForMessage(path) + QStringLiteral(" の ") + summary;
}

QString rosterEncodingShortNotice(const TextEncodingFacts& loaded) {
    if (loaded.problems.isEmpty())
        return {};
    if (loaded.encoding == TextEncoding::Utf8)
        return QStringLiteral("名簿 新名簿.txt が UTF-8 で書かれています（UTF-8 として読んでいます）。"
                              "Shift-JIS に直してください: kazurin2-admin check がその方法を示します。");
    return QStringLiteral("名簿 新名簿.txt の %1 行目が Shift-JIS ではないため、名前が文字化けしています。"
                          "kazurin2-admin check で確かめてください。")
        .arg(lineRanges(loaded.problems));
}

RosterLoadResult loadRosterText(const QString& decoded, QDate today, int schoolYearStartMonth,
                                int flagTwoListed, RosterTables* tables) {
    return loadDecodedRoster(decoded, today, schoolYearStartMonth, flagTwoListed, tables);
}

namespace {

RosterLoadResult loadDecodedRoster(QStringView decoded, QDate today, int schoolYearStartMonth,
                                   int flagTwoListed, RosterTables* tables) {
    RosterLoadResult result;
    tables->listed.clear();
    tables->entries.clear();
    tables->schoolYear = schoolYearOf(today, schoolYearStartMonth);
    const qsizetype lineEnds = FreeValueText::lineCountBound(decoded);
    tables->entries.reserve(lineEnds);
    tables->listed.reserve(lineEnds);

    FreeValueText::LineValues values;
    FreeValueText::forEachLine(decoded, [&](int lineNumber, QStringView text) {
        FreeValueText::splitLine(text, &values);
        if (isBlankLine(values))
            return;
        auto problem = [&](const QString& why) { result.problems.append({lineNumber, why}); };
        if (values.size() < kValuesPerRecord) {
            problem(QStringLiteral("値が %1 個しかありません（8 個必要です）").arg(values.size()));
            return;
        }

        RosterEntry entry;
        entry.lineNumber = lineNumber;
        const std::pair<int, qint16*> integers[] = {{0, &entry.bangou},
                                                    {1, &entry.birthYear},
                                                    {2, &entry.reserved3},
                                                    {3, &entry.reserved4},
                                                    {5, &entry.listingFlag}};
        bool ok = true;
        for (const auto& [index, target] : integers) {
            const Outcome<qint16> value = readInteger(values[index]);
            if (!value) {
                problem(QStringLiteral("%1 番目の値: %2").arg(index + 1).arg(value.error().message));
                ok = false;
                break;
            }
            *target = *value;
        }
        if (!ok)
            return;
        if (entry.bangou < 0 || entry.bangou >= RosterTables::kStudents) {
            problem(QStringLiteral("番号 %1 は 0～5000 の範囲外です").arg(entry.bangou));
            return;
        }
        entry.name = values[4].left(kMaxTextLength).toString();
        entry.reserved7 = values[6].left(kMaxTextLength).toString();
        entry.reserved8 = values[7].left(kMaxTextLength).toString();
        if (entry.listingFlag == 2 && flagTwoListed == 1)
            entry.listingFlag = 0;
        const bool listed = entry.listingFlag == 0;
        if (listed && tables->rosterCount() >= RosterTables::kMaxListed) {
            problem(QStringLiteral("表示できる人数（%1 人）を超えています").arg(RosterTables::kMaxListed));
            return;
        }

        entry.gradeNumber = gradeNumberOf(tables->schoolYear, entry.birthYear);
        entry.shortGradeLabel = shortGradeLabel(entry.gradeNumber);
        const auto slot = static_cast<size_t>(entry.bangou);
        tables->nameByBangou[slot] = entry.name;
        tables->birthYearByBangou[slot] = entry.birthYear;
        if (entry.gradeNumber >= 0 && entry.gradeNumber <= 10)
            tables->gradeLabelByBangou[slot] = gradeLabel(entry.gradeNumber);
        if (listed)
            tables->listed.append(entry);
        tables->entries.append(std::move(entry));
    });
    return result;
}

} // namespace

QList<qsizetype> listingOrder(const QList<RosterEntry>& listed) {
    // Each name's sort key once, not a collation (and two trimmed copies) per comparison;
    // keys compare as the collator compares.
    const QCollator collator{QLocale(QLocale::Japanese, QLocale::Japan)};
    std::vector<QCollatorSortKey> keys;
    keys.reserve(static_cast<size_t>(listed.size()));
    for (const RosterEntry& entry : listed)
        keys.push_back(collator.sortKey(trimHalfWidthSpaces(entry.name)));
    QList<qsizetype> order(listed.size());
    std::iota(order.begin(), order.end(), qsizetype{0});
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        if (listed[a].birthYear != listed[b].birthYear)
            return listed[a].birthYear < listed[b].birthYear;
        return keys[static_cast<size_t>(a)].compare(keys[static_cast<size_t>(b)]) < 0;
    });
    return order;
}

QList<RosterEntry> inListingOrder(const QList<RosterEntry>& listed) {
    QList<RosterEntry> ordered;
    ordered.reserve(listed.size());
    for (const qsizetype i : listingOrder(listed))
        ordered.append(listed[i]);
    return ordered;
}

} // namespace kz
