#include "data/roster.h"

#include "data/grade.h"
#include "data/textio.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <cmath>

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

Outcome<qint16> readInteger(const QString& text) {
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

bool isBlankLine(const TextLine& line) {
    return std::all_of(line.values.cbegin(), line.values.cend(),
                       [](const QString& v) { return isAllSpace(v); });
}

RosterLoadResult loadParsedRoster(const FreeValueText& parsed, QDate today, int schoolYearStartMonth,
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
    const Outcome<FreeValueText> text = FreeValueText::loadAcceptingUtf8(path);
    if (!text) {
        tables->listed.clear();
        tables->entries.clear();
        tables->schoolYear = schoolYearOf(today, schoolYearStartMonth);
        if (text.error().kind == ErrorKind::NotFound)
            return makeError(ErrorKind::NotFound, QStringLiteral("名簿ファイルがありません: %1").arg(path));
        return text.error();
    }
    RosterLoadResult loaded = loadParsedRoster(*text, today, schoolYearStartMonth, flagTwoListed, tables);
    loaded.encoding = text->encodingFacts();
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
    return loadParsedRoster(FreeValueText::parse(decoded), today, schoolYearStartMonth, flagTwoListed,
                            tables);
}

namespace {

RosterLoadResult loadParsedRoster(const FreeValueText& parsed, QDate today, int schoolYearStartMonth,
                                  int flagTwoListed, RosterTables* tables) {
    RosterLoadResult result;
    tables->listed.clear();
    tables->entries.clear();
    tables->schoolYear = schoolYearOf(today, schoolYearStartMonth);
    tables->entries.reserve(parsed.lines().size());
    tables->listed.reserve(parsed.lines().size());

    for (const TextLine& line : parsed.lines()) {
        if (isBlankLine(line))
            continue;
        auto problem = [&](const QString& why) { result.problems.append({line.number, why}); };
        if (line.values.size() < kValuesPerRecord) {
            problem(QStringLiteral("値が %1 個しかありません（8 個必要です）").arg(line.values.size()));
            continue;
        }

        RosterEntry entry;
        entry.lineNumber = line.number;
        const std::pair<int, qint16*> integers[] = {{0, &entry.bangou},
                                                    {1, &entry.birthYear},
                                                    {2, &entry.reserved3},
                                                    {3, &entry.reserved4},
                                                    {5, &entry.listingFlag}};
        bool ok = true;
        for (const auto& [index, target] : integers) {
            const Outcome<qint16> value = readInteger(line.values[index]);
            if (!value) {
                problem(QStringLiteral("%1 番目の値: %2").arg(index + 1).arg(value.error().message));
                ok = false;
                break;
            }
            *target = *value;
        }
        if (!ok)
            continue;
        if (entry.bangou < 0 || entry.bangou >= RosterTables::kStudents) {
            problem(QStringLiteral("番号 %1 は 0～5000 の範囲外です").arg(entry.bangou));
            continue;
        }
        entry.name = line.values[4].left(kMaxTextLength);
        entry.reserved7 = line.values[6].left(kMaxTextLength);
        entry.reserved8 = line.values[7].left(kMaxTextLength);
        if (entry.listingFlag == 2 && flagTwoListed == 1)
            entry.listingFlag = 0;
        const bool listed = entry.listingFlag == 0;
        if (listed && tables->rosterCount() >= RosterTables::kMaxListed) {
            problem(QStringLiteral("表示できる人数（%1 人）を超えています").arg(RosterTables::kMaxListed));
            continue;
        }

        entry.gradeNumber = gradeNumberOf(tables->schoolYear, entry.birthYear);
        entry.shortGradeLabel = shortGradeLabel(entry.gradeNumber);
        const auto slot = static_cast<size_t>(entry.bangou);
        tables->nameByBangou[slot] = entry.name;
        tables->birthYearByBangou[slot] = entry.birthYear;
        if (entry.gradeNumber >= 0 && entry.gradeNumber <= 10)
            tables->gradeLabelByBangou[slot] = gradeLabel(entry.gradeNumber);
        tables->entries.append(entry);
        if (listed)
            tables->listed.append(entry);
    }
    return result;
}

} // namespace

QList<RosterEntry> inListingOrder(const QList<RosterEntry>& listed) {
    QCollator collator{QLocale(QLocale::Japanese, QLocale::Japan)};
    QList<RosterEntry> ordered = listed;
    std::stable_sort(ordered.begin(), ordered.end(), [&](const RosterEntry& a, const RosterEntry& b) {
        if (a.birthYear != b.birthYear)
            return a.birthYear < b.birthYear;
        return collator.compare(trimHalfWidthSpaces(a.name), trimHalfWidthSpaces(b.name)) < 0;
    });
    return ordered;
}

} // namespace kz
