// kazurin2-admin report: the personal reports of the graph panel, as the summary block
// of one student at one level, or drawn into one PDF file for several students.
#include "admin/cli/admincli.h"

#include "core/catalogue.h"
#include "core/runstate.h"
#include "data/grade.h"
#include "data/passcriteria.h"
#include "data/roster.h"
#include "data/statistics.h"
#include "reports/draw/pagecanvas.h"
#include "reports/draw/reportdrawing.h"
#include "reports/reportassembly.h"
#include "reports/resultstables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPdfWriter>
#include <QTextStream>
#include <QThread>

#include <memory>

namespace kz::admin {

namespace {

struct ReportOptions {
    std::optional<int> level;
    QString pdf;
    QList<int> students;
    QString gradeFilter;
    QList<int> levels;
};

bool parseNumbers(const QString& text, int low, int high, bool ranges, QList<int>* out) {
    out->clear();
    for (const QString& part : text.split(u',')) {
        const QStringList bounds = part.split(u'-');
        if (bounds.size() > (ranges ? 2 : 1))
            return false;
        bool ok1 = false;
        bool ok2 = false;
        const int first = bounds.first().trimmed().toInt(&ok1);
        const int last = bounds.last().trimmed().toInt(&ok2);
        if (!ok1 || !ok2 || first < low || last > high || first > last)
            return false;
        for (int n = first; n <= last; ++n) {
            if (!out->contains(n))
                *out << n;
        }
    }
    return !out->isEmpty();
}

bool parseReportOptions(const CliOptions& cli, ReportOptions* out, QString* error) {
    const QStringList& args = cli.commandArguments;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString name = args[i];
        QString value;
        if (const qsizetype eq = name.indexOf(u'='); eq > 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            *error = QStringLiteral("%1 needs a value").arg(name);
            return false;
        }
        if (name == u"--level") {
            bool ok = false;
            const int level = value.toInt(&ok);
            if (!ok || level < 1 || level > kLevelCount) {
                *error =
                    QStringLiteral("--level takes a level 1..%1, not \"%2\"").arg(kLevelCount).arg(value);
                return false;
            }
            out->level = level;
        } else if (name == u"--pdf") {
            if (value.isEmpty()) {
                *error = QStringLiteral("--pdf needs a file");
                return false;
            }
            out->pdf = value;
        } else if (name == u"--students") {
            if (!parseNumbers(value, 1, 5000, false, &out->students)) {
                *error = QStringLiteral("--students takes Bangou 1..5000 separated by commas, not \"%1\"")
                             .arg(value);
                return false;
            }
        } else if (name == u"--levels") {
            if (!parseNumbers(value, 1, kLevelCount, true, &out->levels)) {
                *error = QStringLiteral("--levels takes levels 1..%1 such as 1-5 or 1,3,7, not \"%2\"")
                             .arg(kLevelCount)
                             .arg(value);
                return false;
            }
        } else if (name == u"--grade-filter") {
            bool isIndex = false;
            const int index = value.toInt(&isIndex);
            if (isIndex && index >= 0 && index < gradeFilters().size()) {
                out->gradeFilter = gradeFilters()[index];
            } else if (gradeFilters().contains(value)) {
                out->gradeFilter = value;
            } else {
                *error = QStringLiteral("--grade-filter takes one of %1 (or its place 0..%2), not \"%3\"")
                             .arg(gradeFilters().join(u' '))
                             .arg(gradeFilters().size() - 1)
                             .arg(value);
                return false;
            }
        } else {
            *error = QStringLiteral("unknown option %1").arg(name);
            return false;
        }
    }
    if (!out->students.isEmpty() && !out->gradeFilter.isEmpty()) {
        *error = QStringLiteral("--students and --grade-filter exclude each other");
        return false;
    }
    if (cli.student && !out->students.isEmpty()) {
        *error = QStringLiteral("give --student or --students, not both");
        return false;
    }
    if (out->pdf.isEmpty()) {
        if (!cli.student || !out->level || !out->students.isEmpty() || !out->gradeFilter.isEmpty() ||
            !out->levels.isEmpty()) {
            *error = QStringLiteral("report needs --student N --level L, or --pdf FILE");
            return false;
        }
    } else {
        if (out->level) {
            *error = QStringLiteral("with --pdf, choose levels with --levels");
            return false;
        }
        if (cli.student)
            out->students = {*cli.student};
        if (out->levels.isEmpty())
            out->levels = {1, 2, 3};
    }
    return true;
}

void shortWait(int ms) {
    QThread::msleep(static_cast<unsigned long>(qMin(ms, 250)));
}

// Everything a report is made from, read once for the whole command.
struct ReportData {
    PassCriteriaTable criteria;
    RosterTables roster;
    std::unique_ptr<StatisticsTables> statistics = std::make_unique<StatisticsTables>();
    std::vector<ResultKeys> records;
};

bool loadReportData(const Installation& inst, const QDateTime& now, ReportData* data, QTextStream& err) {
    if (const CriteriaLoadResult r = loadPassCriteria(inst.criteriaPath(), &data->criteria); !r.ok) {
        err << "kazurin2-admin: cannot read the pass criteria "
            << QDir::toNativeSeparators(inst.criteriaPath()) << ": " << r.message << "\n";
        return false;
    }
    const RosterLoadResult rosterLoad = loadRoster(inst.rosterPath(), now.date(), inst.schoolYearStartMonth,
                                                   inst.flagTwoListed, &data->roster);
    if (!rosterLoad.found) {
        err << "kazurin2-admin: " << rosterLoad.message << "\n";
        return false;
    }
    if (const ResultsLoadError e =
            refreshStatistics(inst.resultsPath(), data->criteria, now, data->statistics.get(), shortWait);
        !e.ok()) {
        err << "kazurin2-admin: " << e.message() << "\n";
        return false;
    }
    Outcome<std::vector<ResultKeys>> records = loadReportRecords(inst.resultsPath(), kLevelCount, now);
    if (!records) {
        err << "kazurin2-admin: " << records.error().text() << "\n";
        return false;
    }
    data->records = std::move(records).value();
    return true;
}

bool inRoster(const RosterTables& roster, int bangou) {
    return std::any_of(roster.listed.begin(), roster.listed.end(),
                       [bangou](const RosterEntry& e) { return e.bangou == bangou; });
}

QString shownName(const RosterTables& roster, int bangou) {
    return trimHalfWidthSpaces(roster.nameOf(bangou));
}

} // namespace

QString reportHelpText() {
    return QStringLiteral("  report --student N --level L [--now ...]\n"
                          "               the summary block of student N's personal report at level L\n"
                          "               (1..25) as the graph panel draws it: attempts, rank, best and\n"
                          "               average time against the whole school, points rank, points and\n"
                          "               the school's average points, one line each (UTF-8).\n"
                          "  report --pdf FILE [--students N,M,...|--grade-filter K] [--levels 1-5]\n"
                          "         [--now ...]\n"
                          "               draws the personal reports into one PDF file (A4 portrait),\n"
                          "               three levels to a page, each student starting on a new page:\n"
                          "               the students given, or those of grade filter K (the filter's\n"
                          "               text, as 小３, or its place counted from 0 as for tables), or\n"
                          "               every student of the roster, in the graph panel's order.\n"
                          "               --levels takes ranges and lists such as 1-5 or 1,3,7 (default\n"
                          "               1-3). Ranks are those of the level menu with the grade filter\n"
                          "               chosen (全学年 without one), ranked by points so far.\n");
}

int runReport(const Installation& inst, const CliOptions& cli, const QDateTime& now, QTextStream& out,
              QTextStream& err) {
    ReportOptions options;
    QString error;
    if (!parseReportOptions(cli, &options, &error)) {
        err << "kazurin2-admin: " << error << "\n"
            << "Try kazurin2-admin --help\n";
        return ExitUsage;
    }
    ReportData data;
    if (!loadReportData(inst, now, &data, err))
        return ExitProblems;

    // The ranks are read as the level menu would show them with the grade filter chosen,
    // ranked by points so far, for no student in particular.
    const QString filter = options.gradeFilter.isEmpty() ? gradeFilters().first() : options.gradeFilter;
    ResultsTableBuilder builder(TableSources{data.roster, *data.statistics, data.criteria, kLevelCount});
    ReportSources sources;
    sources.records = data.records;
    sources.rankings = graphRankingSource(builder, PointsKind::SoFar, filter, 0);
    RunState names;
    initRunState(names);
    sources.programTitle = names.catalogue.programTitle;
    sources.levelCaption = [](int level) { return catalogueLevelName(level); };
    sources.studentName = [&data](int bangou) { return shownName(data.roster, bangou); };

    if (options.pdf.isEmpty()) {
        if (!inRoster(data.roster, *cli.student)) {
            err << "kazurin2-admin: student " << *cli.student << " is not listed in the roster\n";
            return ExitProblems;
        }
        const PersonalReport report = makePersonalReport(sources, *cli.student, *options.level);
        for (const SummaryLine& line : report.lines)
            out << line.text << "\n";
        return ExitOk;
    }

    QList<int> students = options.students;
    if (students.isEmpty()) {
        for (const StudentListLine& line : graphStudentLines(data.roster)) {
            if (options.gradeFilter.isEmpty() ||
                levelMenuGradeMatches(
                    options.gradeFilter,
                    gradeNumberOf(data.roster.schoolYear,
                                  data.roster.birthYearByBangou[static_cast<size_t>(line.bangou)])))
                students << line.bangou;
        }
    }
    for (int bangou : students) {
        if (!inRoster(data.roster, bangou)) {
            err << "kazurin2-admin: student " << bangou << " is not listed in the roster\n";
            return ExitProblems;
        }
    }
    if (students.isEmpty()) {
        err << "kazurin2-admin: no student matches " << filter << "; no file written\n";
        return ExitProblems;
    }

    const QString path = QFileInfo(options.pdf).absoluteFilePath();
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            err << "kazurin2-admin: cannot write " << QDir::toNativeSeparators(path) << ": "
                << probe.errorString() << "\n";
            return ExitProblems;
        }
    }
    QPdfWriter writer(path);
    writer.setResolution(600);
    writer.setTitle(names.catalogue.programTitle);
    writer.setCreator(QStringLiteral("kazurin2-admin"));
    draw::PagedCanvas canvas(&writer);
    if (!canvas.isActive()) {
        err << "kazurin2-admin: cannot draw into " << QDir::toNativeSeparators(path) << "\n";
        return ExitProblems;
    }
    for (qsizetype i = 0; i < students.size(); ++i) {
        if (i > 0)
            canvas.newPage();
        const int bangou = students[i];
        draw::drawStudentReports(canvas, shownName(data.roster, bangou),
                                 makePersonalReports(sources, bangou, options.levels));
    }
    if (!canvas.finish() || QFileInfo(path).size() == 0) {
        err << "kazurin2-admin: writing " << QDir::toNativeSeparators(path) << " failed\n";
        return ExitProblems;
    }
    out << QDir::toNativeSeparators(path) << ": " << students.size()
        << (students.size() == 1 ? " student" : " students") << ", levels " <<
        [&options] {
            QStringList levels;
            for (int level : options.levels)
                levels << QString::number(level);
            return levels.join(u',');
        }()
        << "\n";
    return ExitOk;
}

} // namespace kz::admin
