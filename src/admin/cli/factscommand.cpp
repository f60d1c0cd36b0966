// kazurin2-admin facts: which products a student misses or answers slowly, from the
// answer log, as CSV (and as a heat map in a PDF).
#include "admin/cli/admincli.h"

#include "admin/cli/factsoptions.h"
#include "data/factsummary.h"
#include "data/grade.h"
#include "data/roster.h"
#include "drill/drilllevels.h"
#include "platform/clock.h"

#include <QDir>
#include <QTextStream>

namespace kz::admin {

namespace {

QString intValue(const QStringList& args, qsizetype* i, const QString& name, QString* error) {
    const QString& arg = args[*i];
    if (arg.startsWith(name + u'='))
        return arg.mid(name.size() + 1);
    if (*i + 1 >= args.size()) {
        *error = QStringLiteral("%1 needs a value").arg(name);
        return {};
    }
    return args[++*i];
}

bool takeInt(const QStringList& args, qsizetype* i, const QString& name, int low, int high,
             std::optional<int>* out, QString* error) {
    const QString value = intValue(args, i, name, error);
    if (!error->isEmpty())
        return false;
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < low || n > high) {
        *error =
            QStringLiteral("%1 takes a number %2..%3, not \"%4\"").arg(name).arg(low).arg(high).arg(value);
        return false;
    }
    *out = n;
    return true;
}

bool isOption(const QString& arg, const QString& name) {
    return arg == name || arg.startsWith(name + u'=');
}

// The grade filter by its number in the list (0 全学年 .. 11 小１) or its text; half-width
// digits stand for the full-width ones ("小3" is "小３").
std::optional<QString> gradeFilterNamed(const QString& text) {
    const QList<QString>& filters = gradeFilters();
    bool isNumber = false;
    const int index = text.toInt(&isNumber);
    if (isNumber)
        return index >= 0 && index < filters.size() ? std::optional<QString>(filters[index]) : std::nullopt;
    QString wide = text;
    for (QChar& c : wide)
        if (c >= u'0' && c <= u'9')
            c = QChar(c.unicode() - u'0' + 0xFF10);
    if (filters.contains(wide))
        return wide;
    return std::nullopt;
}

// The products the level asks, or all sixty.
QList<QuestionItem> askedProducts(int level) {
    if (const std::optional<DrillLevelSpec> spec = drillLevelSpec(level)) {
        QList<QuestionItem> items = spec->items();
        std::sort(items.begin(), items.end(), [](const QuestionItem& a, const QuestionItem& b) {
            return a.tableNumber != b.tableNumber ? a.tableNumber < b.tableNumber : a.factor < b.factor;
        });
        return items;
    }
    QList<QuestionItem> all;
    for (int m = FactMatrix::kFirstMultiplicand; m <= FactMatrix::kLastMultiplicand; ++m)
        for (int n = 1; n <= FactMatrix::kMaxMultiplier; ++n)
            all.append({m, n});
    return all;
}

} // namespace

bool parseFactsArguments(const QStringList& args, FactsOptions* out, QString* error) {
    *out = FactsOptions{};
    error->clear();
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (isOption(arg, QStringLiteral("--student"))) {
            if (!takeInt(args, &i, QStringLiteral("--student"), 1, 5000, &out->student, error))
                return false;
        } else if (isOption(arg, QStringLiteral("--days"))) {
            if (!takeInt(args, &i, QStringLiteral("--days"), 1, 36500, &out->days, error))
                return false;
        } else if (isOption(arg, QStringLiteral("--level"))) {
            if (!takeInt(args, &i, QStringLiteral("--level"), kFirstDrillLevel, kLastDrillLevel, &out->level,
                         error))
                return false;
        } else if (isOption(arg, QStringLiteral("--grade-filter"))) {
            const QString value = intValue(args, &i, QStringLiteral("--grade-filter"), error);
            if (!error->isEmpty())
                return false;
            const std::optional<QString> filter = gradeFilterNamed(value);
            if (!filter) {
                *error = QStringLiteral("--grade-filter takes 0..11 or one of %1, not \"%2\"")
                             .arg(gradeFilters().join(u' '), value);
                return false;
            }
            out->gradeFilter = *filter;
        } else if (isOption(arg, QStringLiteral("--pdf"))) {
            out->pdf = intValue(args, &i, QStringLiteral("--pdf"), error);
            if (!error->isEmpty())
                return false;
            if (out->pdf.isEmpty()) {
                *error = QStringLiteral("--pdf needs a file name");
                return false;
            }
        } else if (isOption(arg, QStringLiteral("--now"))) {
            const QString value = intValue(args, &i, QStringLiteral("--now"), error);
            if (!error->isEmpty())
                return false;
            const QDateTime now = QDateTime::fromString(value, Qt::ISODate);
            if (!now.isValid()) {
                *error = QStringLiteral("--now takes a date and time such as 2004-03-15T14:30:00, not \"%1\"")
                             .arg(value);
                return false;
            }
            out->now = now;
        } else {
            *error = QStringLiteral("facts: unexpected argument %1").arg(arg);
            return false;
        }
    }
    if (out->student.has_value() == !out->gradeFilter.isEmpty()) {
        *error = QStringLiteral("facts needs either --student N or --grade-filter K");
        return false;
    }
    return true;
}

Outcome<FactsReport> buildFactsReport(const Installation& inst, const FactsOptions& options) {
    FactsReport report;
    report.period.today = options.now.value_or(systemClock().now()).date();
    report.period.days = options.days.value_or(0);
    report.period.level = options.level.value_or(0);
    report.products = askedProducts(report.period.level);

    RosterTables roster;
    const RosterLoadResult loaded = loadRoster(inst.rosterPath(), report.period.today,
                                               inst.schoolYearStartMonth, inst.flagTwoListed, &roster);
    if (!loaded.found && !options.student)
        return makeError(ErrorKind::NotFound, loaded.message);
    if (!loaded.found)
        report.notes << QStringLiteral("names left empty: ") + loaded.message;

    QList<int> students;
    if (options.student) {
        students << *options.student;
    } else {
        for (const RosterEntry& e : inListingOrder(roster.listed))
            if (matchesFilter(options.gradeFilter, e.gradeNumber) && !students.contains(e.bangou))
                students << e.bangou;
    }

    const QString path = inst.programDataFolder + answerLogFileName();
    Outcome<AnswerLogContents> log = readAnswerLog(path, factFilter(report.period, students));
    if (!log)
        return log.error();
    if (log->fileMissing)
        report.notes
            << QStringLiteral("no answers logged yet: %1 does not exist").arg(QDir::toNativeSeparators(path));
    const std::map<int, FactMatrix> matrices = summariseFacts(log->lines, report.period);
    for (int student : students) {
        const auto it = matrices.find(student);
        // One student is always shown; of a group, those who answered anything.
        if (it == matrices.end() && !options.student)
            continue;
        FactsReport::Student s;
        s.bangou = student;
        s.name = trimHalfWidthSpaces(roster.nameOf(student));
        s.gradeLabel = student >= 0 && student < RosterTables::kStudents
                           ? roster.gradeLabelByBangou[static_cast<size_t>(student)]
                           : QString();
        if (it != matrices.end())
            s.matrix = it->second;
        report.students.push_back(std::move(s));
    }
    return report;
}

void writeFactsCsv(const FactsReport& report, QTextStream& out) {
    out << "student,name,multiplicand,multiplier,answers,wrong,median_ms\n";
    for (const FactsReport::Student& s : report.students) {
        for (const QuestionItem& q : report.products) {
            const FactCell& c = s.matrix.cell(q.tableNumber, q.factor);
            out << s.bangou << ',' << csvField(s.name) << ',' << q.tableNumber << ',' << q.factor << ','
                << c.answers << ',' << c.wrong << ','
                << (c.medianMs ? QString::number(*c.medianMs) : QString()) << '\n';
        }
    }
}

int runFacts(const Installation& inst, const QStringList& arguments, QTextStream& out, QTextStream& err) {
    FactsOptions options;
    QString error;
    if (!parseFactsArguments(arguments, &options, &error)) {
        err << "kazurin2-admin: " << error << "\n"
            << "Try kazurin2-admin --help\n";
        return ExitUsage;
    }
    const Outcome<FactsReport> report = buildFactsReport(inst, options);
    if (!report) {
        err << "kazurin2-admin: " << report.error().text() << "\n";
        return ExitProblems;
    }
    for (const QString& note : report->notes)
        err << "kazurin2-admin: " << note << "\n";
    if (!options.pdf.isEmpty()) {
        const Status written = writeFactsPdf(*report, options.pdf);
        if (!written) {
            err << "kazurin2-admin: " << written.error().text() << "\n";
            return ExitProblems;
        }
        return ExitOk;
    }
    writeFactsCsv(*report, out);
    return ExitOk;
}

QString factsHelpText() {
    return QStringLiteral("  facts --student N | --grade-filter K  [--days D] [--level L] [--now ...]\n"
                          "        [--pdf FILE]\n"
                          "               which products a student misses or answers slowly, from the\n"
                          "               answer log 問題別記録.csv, as CSV:\n"
                          "               student,name,multiplicand,multiplier,answers,wrong,median_ms\n"
                          "               one row per product the levels ask (14, 15, 16 x 1..20; with\n"
                          "               --level only those of level L), median_ms the median time from\n"
                          "               the question appearing to its judgement (empty without\n"
                          "               answers). --days D counts the last D days up to --now (default:\n"
                          "               today). --grade-filter K gives every listed student of the\n"
                          "               grade filter K (0..11, or its text such as 小３ or 中学生全体)\n"
                          "               who has answers. --pdf FILE draws a heat map instead: one page\n"
                          "               per student, one cell per product coloured by median response\n"
                          "               time, wrong answers marked and counted.\n");
}

} // namespace kz::admin
