#include "reports/resultstables.h"

#include "core/catalogue.h"
#include "data/grade.h"
#include "data/oledate.h"
#include "data/points.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace kz {

namespace {

const QString kCurrentMark = QStringLiteral("●");
const QString kFullWidthSpace = QStringLiteral("　");
const QString kSecond = QStringLiteral("秒");
const QString kTimedOutLead = QStringLiteral("　　× ");

// Recorded times from this one on are attempts whose time ran out (the lists' rule).
constexpr qint32 kListedTimeLimit = 90000;
constexpr qint32 kNoResult = 99999;
constexpr qint32 kFailedBest = 99998;
constexpr int kNameWidth = 5;

QString twoDigits(int n) {
    QString s;
    s.reserve(2);
    s += QChar(u'0' + (n / 10) % 10);
    s += QChar(u'0' + n % 10);
    return s;
}

// The number padded with half-width spaces on the left to width; never cut. Written
// right to left into a small buffer and appended once.
void appendRightAligned(QString& out, qint64 n, int width, QStringView unit = {}) {
    char16_t field[48];
    char16_t* const end = field + sizeof field / sizeof field[0];
    char16_t* p = end;
    const bool negative = n < 0;
    quint64 u = negative ? 0 - static_cast<quint64>(n) : static_cast<quint64>(n);
    do {
        *--p = static_cast<char16_t>(u'0' + u % 10);
        u /= 10;
    } while (u > 0);
    if (negative)
        *--p = u'-';
    const qsizetype pad = qMin<qsizetype>(width - (end - p) - unit.size(), p - field);
    for (qsizetype i = 0; i < pad; ++i)
        *--p = u' ';
    out.append(QStringView(p, end - p));
    out += unit;
}

// A line of a list as it is ordered: numbered lines by their number, then the lines
// without one ("--", "　　× "); ties by the stamp (time of day or date), then by mark
// and name under the collation, then by the whole text.
struct OrderedLine {
    int group = 0; // 0 numbered, 1 no result or timed out
    qint64 number = 0;
    int stamp = 0;
    int tiePlace = 0;
    TableLine line;
};

void sortLines(std::vector<OrderedLine>& lines) {
    std::stable_sort(lines.begin(), lines.end(), [](const OrderedLine& a, const OrderedLine& b) {
        if (a.group != b.group)
            return a.group < b.group;
        if (a.number != b.number)
            return a.number < b.number;
        if (a.stamp != b.stamp)
            return a.stamp < b.stamp;
        if (a.tiePlace != b.tiePlace)
            return a.tiePlace < b.tiePlace;
        return a.line.text < b.line.text;
    });
}

QList<TableLine> takeLines(std::vector<OrderedLine>& ordered) {
    QList<TableLine> lines;
    lines.reserve(static_cast<qsizetype>(ordered.size()));
    for (OrderedLine& o : ordered)
        lines.append(std::move(o.line));
    return lines;
}

// The row to put at the top so that the current student's (last) line is in view with
// the line above it.
int topRowFor(const QList<TableLine>& lines, int currentBangou) {
    if (currentBangou <= 0)
        return 0;
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        if (lines[i].bangou == currentBangou)
            return static_cast<int>(std::max<qsizetype>(0, i - 1));
    }
    return 0;
}

ListColour colourBySlowest(const QList<TableLine>& lines, const PassCriteria& criteria) {
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        const qint32 t = lines[i].recordedTime;
        if (t >= kListedTimeLimit)
            continue;
        if (t <= criteria.targetTime)
            return ListColour::Green;
        if (t <= criteria.minimumTime)
            return ListColour::LightGreen;
        return ListColour::Grey;
    }
    return ListColour::Unchanged;
}

RankingKind rankingKindOf(DisplayKind display, PointsKind points) {
    if (display != DisplayKind::Points)
        return RankingKind::BestTime;
    return points == PointsKind::Today ? RankingKind::PointsToday : RankingKind::PointsSoFar;
}

QString fiveCharacterField(const QString& name) {
    QString field = name.left(kNameWidth);
    if (field.size() == kNameWidth && field.back().isHighSurrogate())
        field.chop(1);
    while (field.size() < kNameWidth)
        field += kFullWidthSpace;
    return field;
}

// The text of a ranking line.
QString rankingLineText(RankingKind kind, bool graph, int rank, qint32 best, qint32 today, qint32 soFar,
                        const QString& markName, const QString& rightMark) {
    // Room for the fields at their usual widths: 125,000 lines are kept at 5000 students.
    const qsizetype rankWidth = graph ? 3 : 2;
    QString text;
    text.reserve(kind == RankingKind::BestTime ? rankWidth + markName.size() + 7 + rightMark.size()
                                               : rankWidth + markName.size() + 9);
    if (kind == RankingKind::BestTime) {
        if (best == kNoResult) {
            text += graph ? QLatin1String("---") : QLatin1String("--");
            text += markName;
            text += QLatin1String("------");
        } else {
            appendRightAligned(text, rank, graph ? 3 : 2);
            text += markName;
            if (best == kFailedBest)
                text += QStringLiteral("*失敗*");
            else
                appendRightAligned(text, best, 6);
        }
        text += u' ';
        text += rightMark;
    } else {
        appendRightAligned(text, rank, graph ? 3 : 2);
        text += markName;
        appendRightAligned(text, today, 3);
        text += u'/';
        appendRightAligned(text, soFar, 5);
    }
    return text;
}

} // namespace

Rgb listColourRgb(ListColour colour) {
    switch (colour) {
    case ListColour::Green:
        return {0, 192, 0};
    case ListColour::LightGreen:
        return {192, 255, 192};
    case ListColour::Grey:
        return {192, 192, 192};
    case ListColour::Plain:
    case ListColour::Unchanged:
        break;
    }
    return {255, 255, 255};
}

namespace tablefields {

QString rankField(int rank, RankingStyle style) {
    return rightAligned(QString::number(rank), style == RankingStyle::Graph ? 3 : 2);
}

QString nameField(const QString& name) {
    qsizetype end = name.size();
    while (end > 0 && name[end - 1] == u' ')
        --end;
    return fiveCharacterField(name.left(end));
}

QString trimmedNameField(const QString& name) {
    return fiveCharacterField(trimHalfWidthSpaces(name));
}

QString rightAligned(const QString& text, int width) {
    if (text.size() >= width)
        return text;
    return QString(width - text.size(), u' ') + text;
}

} // namespace tablefields

double periodDaysBack(int period, QDate today) {
    const int weekday = today.dayOfWeek(); // Monday 1 .. Sunday 7
    const bool sunday = weekday == 7;
    switch (period) {
    case 1:
        return sunday ? 7 : weekday;
    case 2:
        return sunday ? 14 : weekday + 7;
    case 4:
        return 365;
    case 5:
        return 3650;
    default:
        return 30;
    }
}

ResultsTableBuilder::ResultsTableBuilder(TableSources sources)
    : sources_(sources), collator_(QLocale(QLocale::Japanese, QLocale::Japan)) {
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

std::vector<int> ResultsTableBuilder::collationPlaces(const QStringList& texts) {
    const size_t n = static_cast<size_t>(texts.size());
    std::vector<const QCollatorSortKey*> keys(n);
    for (size_t i = 0; i < n; ++i) {
        const QString& text = texts[static_cast<qsizetype>(i)];
        auto it = sortKeys_.find(text);
        if (it == sortKeys_.end())
            it = sortKeys_.emplace(text, collator_.sortKey(text)).first;
        keys[i] = &it->second;
    }
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(),
              [&keys](size_t a, size_t b) { return keys[a]->compare(*keys[b]) < 0; });
    std::vector<int> places(n);
    int place = 0;
    for (size_t k = 0; k < n; ++k) {
        if (k > 0 && keys[order[k - 1]]->compare(*keys[order[k]]) != 0)
            ++place;
        places[order[k]] = place;
    }
    return places;
}

std::vector<ResultsTableBuilder::Student> ResultsTableBuilder::listedStudents(const QString& gradeFilter,
                                                                              int currentBangou) {
    std::vector<Student> students;
    students.reserve(static_cast<size_t>(sources_.roster.listed.size()));
    for (const RosterEntry& entry : sources_.roster.listed) {
        Student s;
        s.bangou = entry.bangou;
        s.current = entry.bangou == currentBangou && currentBangou > 0;
        s.shown = levelMenuGradeMatches(gradeFilter, entry.gradeNumber);
        s.rightMark = s.current ? kCurrentMark : kFullWidthSpace;
        s.nameField = tablefields::nameField(entry.name);
        s.markName = (s.current ? kCurrentMark : gradeMark(entry.gradeNumber)) + s.nameField;
        students.push_back(std::move(s));
    }
    return students;
}

QList<TableLine> ResultsTableBuilder::ranking(int level, RankingKind kind, RankingStyle style,
                                              const QString& gradeFilter, int currentBangou) {
    const std::vector<Student> students = listedStudents(gradeFilter, currentBangou);
    std::vector<int> tieOrder;
    if (style == RankingStyle::LevelMenu) {
        QStringList tieTexts;
        tieTexts.reserve(static_cast<qsizetype>(students.size()));
        for (const Student& s : students)
            tieTexts.append(s.markName);
        tieOrder = collationPlaces(tieTexts);
    }
    return rankingOf(level, kind, style, students, tieOrder);
}

QList<TableLine> ResultsTableBuilder::rankingOf(int level, RankingKind kind, RankingStyle style,
                                                const std::vector<Student>& students,
                                                const std::vector<int>& tieOrder,
                                                std::vector<int>* studentOfLine) {
    const StatisticsTables& stats = sources_.statistics;
    struct Entry {
        qint64 key = 0;
        qint64 value = 0; // what ties are judged by
        qint32 best = 0;
        qint32 today = 0;
        qint32 soFar = 0;
        int student = 0;
        int rank = 0;
    };
    const size_t n = students.size();
    std::vector<Entry> entries(n);
    for (size_t i = 0; i < n; ++i) {
        Entry& e = entries[i];
        const int b = students[i].bangou;
        e.student = static_cast<int>(i);
        e.best = stats.bestTime(level, b);
        e.today = stats.todayPoints(level, b);
        e.soFar = stats.totalPoints(level, b);
        switch (kind) {
        case RankingKind::BestTime:
            e.key = e.value = e.best;
            break;
        case RankingKind::PointsSoFar:
            e.value = e.soFar;
            e.key = 1000000 - 1000 * qint64{e.soFar} - e.today;
            break;
        case RankingKind::PointsToday:
            e.value = e.today;
            e.key = 1000000 - 1000 * qint64{e.today} - e.soFar;
            break;
        }
    }
    // Equal keys keep their roster order.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.key < b.key; });

    std::vector<const Entry*> kept;
    kept.reserve(n);
    for (size_t position = 0; position < n; ++position) {
        Entry& e = entries[position];
        e.rank = position > 0 && e.value == entries[position - 1].value ? entries[position - 1].rank
                                                                        : static_cast<int>(position) + 1;
        if (!students[static_cast<size_t>(e.student)].shown)
            continue;
        if (kind == RankingKind::PointsToday && e.today == 0)
            continue;
        kept.push_back(&e);
    }
    const bool graph = style == RankingStyle::Graph;
    if (!graph && !tieOrder.empty()) {
        // The list orders by rank, and lines of one rank by mark and name. Students without
        // a result share the last rank, so their lines follow every numbered one.
        auto run = kept.begin();
        while (run != kept.end()) {
            auto end =
                std::find_if(run, kept.end(), [run](const Entry* e) { return e->rank != (*run)->rank; });
            if (end - run > 1)
                std::stable_sort(run, end, [&tieOrder](const Entry* a, const Entry* b) {
                    return tieOrder[static_cast<size_t>(a->student)] <
                           tieOrder[static_cast<size_t>(b->student)];
                });
            run = end;
        }
    }

    QList<TableLine> lines;
    lines.reserve(static_cast<qsizetype>(kept.size()));
    if (studentOfLine) {
        studentOfLine->clear();
        studentOfLine->reserve(kept.size());
    }
    for (const Entry* e : kept) {
        const Student& s = students[static_cast<size_t>(e->student)];
        TableLine line;
        line.bangou = s.bangou;
        line.rank = e->rank;
        line.recordedTime = e->best;
        line.text =
            rankingLineText(kind, graph, e->rank, e->best, e->today, e->soFar, s.markName, s.rightMark);
        lines.append(std::move(line));
        if (studentOfLine)
            studentOfLine->push_back(e->student);
    }
    return lines;
}

void ResultsTableBuilder::buildAttempts(const TableChoice& choice, std::span<const ResultKeys> records,
                                        const TableProgress& progress, ResultsTables* tables) {
    const bool today = choice.table == TableKind::Today;
    const size_t window = today ? kTodayTableWindow : kPeriodTableWindow;
    if (records.size() > window)
        records = records.subspan(records.size() - window);
    const RosterTables& roster = sources_.roster;
    const double todayOle = oleFromDate(choice.now.date());
    const double periodStart = oleFromDateTime(choice.now) - periodDaysBack(choice.period, choice.now.date());
    const bool pointsFirst = !today && choice.display == DisplayKind::Points;

    // Mark and name of each student met, worked out once.
    struct Met {
        bool known = false;
        bool shown = false;
        QString markNameMark; // mark, name field, mark
        int tieSlot = 0;
    };
    std::vector<Met> met(static_cast<size_t>(RosterTables::kStudents));
    QStringList tieTexts;

    std::vector<std::vector<OrderedLine>> perLevel(static_cast<size_t>(sources_.levelCount) + 1);
    const int total = static_cast<int>(records.size());
    for (int k = 0; k < total; ++k) {
        const ResultKeys& r = records[static_cast<size_t>(k)];
        if (progress)
            progress(k + 1, total);
        if (!r.isCountable() || r.level > sources_.levelCount)
            continue;
        if (today ? std::floor(r.date) != todayOle : !(r.date > periodStart))
            continue;
        Met& who = met[static_cast<size_t>(r.bangou)];
        if (!who.known) {
            const int grade = roster.gradeOf(r.bangou);
            who.known = true;
            who.shown = levelMenuGradeMatches(choice.gradeFilter, grade);
            const QString mark = r.bangou == choice.currentBangou ? kCurrentMark : gradeMark(grade);
            const QString markName = mark + tablefields::trimmedNameField(roster.nameOf(r.bangou));
            who.markNameMark = markName + mark;
            who.tieSlot = static_cast<int>(tieTexts.size());
            tieTexts.append(markName);
        }
        if (!who.shown)
            continue;

        QString stamp;
        int stampKey = 0;
        if (today) {
            const QTime at = timeFromOle(r.time);
            stamp = twoDigits(at.hour()) + u':' + twoDigits(at.minute());
            stampKey = at.hour() * 100 + at.minute();
        } else {
            const QDate on = dateFromOle(r.date);
            stamp = twoDigits(on.month()) + u'/' + twoDigits(on.day());
            stampKey = on.month() * 100 + on.day();
        }
        const qint32 t = r.recordedTime;
        OrderedLine o;
        o.stamp = stampKey;
        o.tiePlace = who.tieSlot; // replaced by the collation place below
        o.line.bangou = r.bangou;
        o.line.recordedTime = t;
        QString& text = o.line.text;
        text.reserve(32);
        if (t < kListedTimeLimit) {
            const qint32 points = attemptPoints(t, sources_.criteria.level(r.level)).basePoints;
            o.number = pointsFirst ? points : t;
            if (pointsFirst)
                appendRightAligned(text, points, 5);
            else
                appendRightAligned(text, t, 5, kSecond);
            text += u' ';
            text += stamp;
            text += who.markNameMark;
            if (pointsFirst)
                appendRightAligned(text, t, 0, kSecond);
            else
                appendRightAligned(text, points, 0);
        } else {
            o.group = 1;
            text += kTimedOutLead;
            text += stamp;
            text += who.markNameMark;
        }
        perLevel[static_cast<size_t>(r.level)].push_back(std::move(o));
    }

    const std::vector<int> places = collationPlaces(tieTexts);
    const bool coloured = choice.display == DisplayKind::Times;
    for (int level = 1; level <= sources_.levelCount; ++level) {
        std::vector<OrderedLine>& lines = perLevel[static_cast<size_t>(level)];
        for (OrderedLine& o : lines)
            o.tiePlace = places[static_cast<size_t>(o.tiePlace)];
        sortLines(lines);
        LevelList& list = tables->levels[static_cast<size_t>(level)];
        list.lines = takeLines(lines);
        list.colour =
            coloured ? colourBySlowest(list.lines, sources_.criteria.level(level)) : ListColour::Plain;
    }
}

ResultsTableBuilder::RankingMemo& ResultsTableBuilder::rankingMemoFor(const TableChoice& c) {
    const QList<RosterEntry>& roster = sources_.roster.listed;
    const size_t levelSlots = static_cast<size_t>(std::max(0, sources_.levelCount)) + 1;
    std::optional<RankingMemo>& kept =
        rankingMemos_[rankingKindOf(c.display, c.pointsKind) == RankingKind::PointsToday ? 1 : 0];
    if (kept) {
        const RankingMemo& m = *kept;
        // The roster is read again for every name screen: the same students, names and grades?
        const bool sameStudents =
            (m.roster.constData() == roster.constData() && m.roster.size() == roster.size()) ||
            std::equal(m.roster.begin(), m.roster.end(), roster.begin(), roster.end(),
                       [](const RosterEntry& a, const RosterEntry& b) {
                           return a.bangou == b.bangou && a.gradeNumber == b.gradeNumber && a.name == b.name;
                       });
        if (sameStudents && m.display == c.display && m.pointsKind == c.pointsKind &&
            m.gradeFilter == c.gradeFilter && m.lines.size() == levelSlots) {
            kept->roster = roster;
            return *kept;
        }
    }
    RankingMemo m;
    m.display = c.display;
    m.pointsKind = c.pointsKind;
    m.gradeFilter = c.gradeFilter;
    m.roster = roster;
    m.students = listedStudents(c.gradeFilter, 0);
    QStringList tieTexts;
    tieTexts.reserve(static_cast<qsizetype>(m.students.size()));
    for (const Student& s : m.students)
        tieTexts.append(s.markName);
    m.tieOrder = collationPlaces(tieTexts);
    m.generation.assign(levelSlots, std::numeric_limits<quint64>::max());
    m.lines.resize(levelSlots);
    m.studentOfLine.resize(levelSlots);
    kept = std::move(m);
    return *kept;
}

QList<TableLine> ResultsTableBuilder::rankingFor(RankingMemo& memo, int level, RankingKind kind,
                                                 int currentBangou) {
    const size_t slot = static_cast<size_t>(level);
    const quint64 generation = sources_.statistics.levelGeneration(level);
    if (memo.generation[slot] != generation) {
        memo.lines[slot] = rankingOf(level, kind, RankingStyle::LevelMenu, memo.students, memo.tieOrder,
                                     &memo.studentOfLine[slot]);
        memo.generation[slot] = generation;
    }
    const QList<TableLine>& kept = memo.lines[slot];
    if (currentBangou <= 0)
        return kept;
    const std::vector<int>& studentOf = memo.studentOfLine[slot];
    qsizetype at = -1;
    for (qsizetype i = 0; i < kept.size(); ++i) {
        if (kept[i].bangou == currentBangou) {
            at = i;
            break;
        }
    }
    if (at < 0)
        return kept;
    // Only a list with the current student in it becomes a copy of its own.
    QList<TableLine> lines = kept;
    // The current student's line with its marks, as if built with the student marked.
    const int student = studentOf[static_cast<size_t>(at)];
    const Student& s = memo.students[static_cast<size_t>(student)];
    const QString markName = kCurrentMark + s.nameField;
    TableLine current = lines[at];
    current.text = rankingLineText(kind, false, current.rank, current.recordedTime,
                                   sources_.statistics.todayPoints(level, s.bangou),
                                   sources_.statistics.totalPoints(level, s.bangou), markName, kCurrentMark);
    // Lines of one rank are ordered by mark and name: the marked name takes its own place.
    auto keyOf = [this](const QString& text) -> const QCollatorSortKey& {
        auto it = sortKeys_.find(text);
        if (it == sortKeys_.end())
            it = sortKeys_.emplace(text, collator_.sortKey(text)).first;
        return it->second;
    };
    const QCollatorSortKey& key = keyOf(markName);
    qsizetype first = at;
    while (first > 0 && lines[first - 1].rank == current.rank)
        --first;
    qsizetype end = at + 1;
    while (end < lines.size() && lines[end].rank == current.rank)
        ++end;
    lines.remove(at);
    --end;
    qsizetype place = first;
    while (place < end) {
        const int other = studentOf[static_cast<size_t>(place < at ? place : place + 1)];
        const int order = keyOf(memo.students[static_cast<size_t>(other)].markName).compare(key);
        if (order > 0 || (order == 0 && other > student))
            break;
        ++place;
    }
    lines.insert(place, std::move(current));
    return lines;
}

ResultsTables ResultsTableBuilder::build(const TableChoice& choice, std::span<const ResultKeys> records,
                                         const TableProgress& progress) {
    ResultsTables tables;
    tables.table = choice.table;
    tables.levels.resize(static_cast<size_t>(std::max(0, sources_.levelCount)) + 1);
    TableChoice c = choice;
    if (c.period < 1 || c.period > kPeriodCount)
        c.period = kDefaultPeriod;

    switch (c.table) {
    case TableKind::Ranking: {
        const RankingKind kind = rankingKindOf(c.display, c.pointsKind);
        tables.title = kind == RankingKind::BestTime ? QStringLiteral("ベスト成績")
                       : kind == RankingKind::PointsSoFar ? QStringLiteral("獲得ポイント（今まで順位）")
                                                          : QStringLiteral("獲得ポイント（今日の順位）");
        RankingMemo& memo = rankingMemoFor(c);
        for (int level = 1; level <= sources_.levelCount; ++level) {
            LevelList& list = tables.levels[static_cast<size_t>(level)];
            list.lines = rankingFor(memo, level, kind, c.currentBangou);
            list.topRow = topRowFor(list.lines, c.currentBangou);
            if (progress)
                progress(level, sources_.levelCount);
        }
        break;
    }
    case TableKind::Today:
        tables.title = QStringLiteral("本日の成績");
        buildAttempts(c, records, progress, &tables);
        break;
    case TableKind::Period:
        buildAttempts(c, records, progress, &tables);
        break;
    }
    return tables;
}

Outcome<ResultsTables> ResultsTableBuilder::buildReading(const TableChoice& choice,
                                                         const NewestResultsReader& read,
                                                         const TableProgress& progress) {
    std::vector<ResultKeys> records;
    if (choice.table != TableKind::Ranking) {
        const qint64 window = choice.table == TableKind::Today ? kTodayTableWindow : kPeriodTableWindow;
        const Outcome<ResultsWindow> newest = read(window);
        if (!newest)
            return newest.error();
        const qint64 count = newest->count();
        records.reserve(static_cast<size_t>(count));
        for (qint64 i = 0; i < count; ++i)
            records.push_back(decodeResultKeys(newest->bytes.constData() + i * ResultRecord::kSize));
    }
    return build(choice, records, progress);
}

Outcome<ResultsTables> ResultsTableBuilder::buildFromFile(const TableChoice& choice,
                                                          const QString& resultsPath,
                                                          const TableProgress& progress) {
    return buildReading(choice, resultsFileReader(resultsPath), progress);
}

} // namespace kz
