// kazurin2-admin report: the personal reports of the graph panel, as the summary block
// of one student at one level, or drawn into one PDF file for several students.
#include "admin/cli/cliarguments.h"
#include "admin/cli/commands.h"
#include "admin/cli/datawait.h"

#include "core/catalogue.h"
#include "data/grade.h"
#include "data/passcriteria.h"
#include "data/roster.h"
#include "data/statistics.h"
#include "platform/clock.h"
#include "reports/draw/pagecanvas.h"
#include "reports/draw/pdffile.h"
#include "reports/draw/reportspdf.h"
#include "reports/graphrequest.h"
#include "reports/reportassembly.h"
#include "reports/resultstables.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <memory>

namespace kz::admin {

namespace {

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

// Everything a report is made from, read once for the whole command.
struct ReportData {
    PassCriteriaTable criteria;
    RosterTables roster;
    std::unique_ptr<StatisticsTables> statistics = std::make_unique<StatisticsTables>();
    std::vector<ResultKeys> records;
};

bool loadReportData(const Installation& inst, const QDateTime& now, ReportData* data, QTextStream& err,
                    int waitSeconds) {
    if (const Outcome<CriteriaLoadResult> r = loadPassCriteria(inst.criteriaPath(), &data->criteria); !r) {
        err << "kazurin2-admin: 合格基準のファイルを読めません "
            << QDir::toNativeSeparators(inst.criteriaPath()) << ": " << r.error().text() << "\n";
        return false;
    }
    const Outcome<RosterLoadResult> rosterLoad = loadRoster(
        inst.rosterPath(), now.date(), inst.schoolYearStartMonth, inst.flagTwoListed, &data->roster);
    if (!rosterLoad) {
        err << "kazurin2-admin: " << rosterLoad.error().text() << "\n";
        return false;
    }
    if (const Status e = refreshStatistics(inst.resultsPath(), data->criteria, now, data->statistics.get(),
                                           pauseMs, waitLimitMs(waitSeconds));
        !e) {
        err << "kazurin2-admin: " << e.error().text() << "\n";
        return false;
    }
    Outcome<std::vector<ResultKeys>> records =
        readWaiting(waitSeconds, [&] { return loadReportRecords(inst.resultsPath(), kLevelCount, now); });
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

} // namespace

QString ReportCommand::summary() {
    return QStringLiteral("個人成績表の集計欄を示すか、PDF ファイルに描きます");
}

Outcome<ReportCommand::Options> ReportCommand::parse(const QStringList& args) {
    Options options;
    Options* out = &options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (!args[i].startsWith(u'-'))
            return refuseArgument(args[i]);
        const Outcome<NamedValue> option = namedValue(args, &i);
        if (!option)
            return option.error();
        const QString& name = option->name;
        const QString& value = option->value;
        if (name == u"--now") {
            const Outcome<QDateTime> now = dateTimeValue(name, value);
            if (!now)
                return now.error();
            out->now = *now;
        } else if (name == u"--student") {
            const Outcome<int> student = numberValue(name, value, 1, 5000, QStringLiteral("番号"));
            if (!student)
                return student.error();
            out->student = *student;
        } else if (name == u"--level") {
            const Outcome<int> level = numberValue(name, value, 1, kLevelCount, QStringLiteral("レベル"));
            if (!level)
                return level.error();
            out->level = *level;
        } else if (name == u"--pdf") {
            if (value.isEmpty())
                return usage(QStringLiteral("--pdf にはファイルを指定してください"));
            out->pdf = value;
        } else if (name == u"--students") {
            if (!parseNumbers(value, 1, 5000, false, &out->students))
                return usage(QStringLiteral("--students には番号 1～5000 をコンマで区切って指定してください"
                                            "（「%1」は使えません）")
                                 .arg(value));
        } else if (name == u"--levels") {
            if (!parseNumbers(value, 1, kLevelCount, true, &out->levels))
                return usage(
                    QStringLiteral("--levels にはレベル 1～%1 を 1-5 や 1,3,7 のように指定してください"
                                   "（「%2」は使えません）")
                        .arg(kLevelCount)
                        .arg(value));
        } else if (name == u"--grade-filter") {
            if (const std::optional<QString> filter = gradeFilterNamed(value))
                out->gradeFilter = *filter;
            else
                return usage(
                    QStringLiteral("--grade-filter には %1 のどれか（または 0～%2 の位置）を指定してください"
                                   "（「%3」は使えません）")
                        .arg(gradeFilters().join(u' '))
                        .arg(gradeFilters().size() - 1)
                        .arg(value));
        } else {
            return refuseArgument(name);
        }
    }
    if (!out->students.isEmpty() && !out->gradeFilter.isEmpty())
        return usage(QStringLiteral("--students と --grade-filter は一緒に使えません"));
    if (out->student && !out->students.isEmpty())
        return usage(QStringLiteral("--student と --students はどちらか一つにしてください"));
    if (out->pdf.isEmpty()) {
        if (!out->student || !out->level || !out->students.isEmpty() || !out->gradeFilter.isEmpty() ||
            !out->levels.isEmpty())
            return usage(QStringLiteral("report には --student N --level L か --pdf FILE が要ります"));
    } else {
        if (out->level)
            return usage(QStringLiteral("--pdf のときはレベルを --levels で選んでください"));
        if (out->student)
            out->students = {*out->student};
        if (out->levels.isEmpty())
            out->levels = {1, 2, 3};
    }
    return options;
}

QString ReportCommand::help() {
    return QStringLiteral("  report --student N --level L [--now ...]\n"
                          "               生徒 N のレベル L（1～%1）の個人成績表の集計欄を、グラフの画面が\n"
                          "               描くとおりに: 回数、順位、塾全体と比べた最高タイムと平均タイム、\n"
                          "               点の順位、点と塾の平均点を一行ずつ（UTF-8）。\n"
                          "  report --pdf FILE [--students N,M,...|--grade-filter K] [--levels 1-5]\n"
                          "         [--now ...]\n"
                          "               個人成績表を一つの PDF ファイル（A4 縦）に描きます。一ページに\n"
                          "               三レベル、生徒ごとに新しいページから: 指定した生徒、学年の選び方\n"
                          "               K の生徒（小３ のような選び方の文字か、tables と同じく 0 から\n"
                          "               数えた位置）、または名簿のすべての生徒を、グラフの画面の順に。\n"
                          "               --levels は 1-5 や 1,3,7 のような範囲と並び（省略時 1-3）。\n"
                          "               順位は、選んだ学年（ないときは全学年）でこれまでの点の順に並べた\n"
                          "               レベルメニューの順位です。\n")
        .arg(kLevelCount);
}

int ReportCommand::run(const Options& options, const CommandRun& run) {
    const std::optional<Installation> installation = installationOrTell(run);
    if (!installation)
        return ExitProblems;
    const Installation& inst = *installation;
    const QDateTime now = options.now.value_or(systemClock().now());
    QTextStream& out = run.out;
    QTextStream& err = run.err;
    ReportData data;
    if (!loadReportData(inst, now, &data, err, run.waitSeconds))
        return ExitProblems;

    // The ranks are read as the level menu would show them with the grade filter chosen,
    // ranked by points so far, for no student in particular.
    const QString filter = options.gradeFilter.isEmpty() ? gradeFilters().first() : options.gradeFilter;
    ResultsTableBuilder builder(TableSources{data.roster, *data.statistics, data.criteria, kLevelCount});
    const ReportSources sources = teachersReportSources(data.records, builder, data.roster, filter);

    if (options.pdf.isEmpty()) {
        if (!inRoster(data.roster, *options.student)) {
            err << "kazurin2-admin: 番号 " << *options.student << " の生徒は名簿にいません\n";
            return ExitProblems;
        }
        const PersonalReport report = makePersonalReport(sources, *options.student, *options.level);
        for (const SummaryLine& line : report.lines)
            out << line.text << "\n";
        return ExitOk;
    }

    QList<int> students = options.students;
    if (students.isEmpty())
        students = graphStudentsUnder(data.roster, options.gradeFilter);
    for (int bangou : students) {
        if (!inRoster(data.roster, bangou)) {
            err << "kazurin2-admin: 番号 " << bangou << " の生徒は名簿にいません\n";
            return ExitProblems;
        }
    }
    if (students.isEmpty()) {
        err << "kazurin2-admin: " << filter << " に当てはまる生徒がいません。ファイルは書いていません\n";
        return ExitProblems;
    }

    const QString path = QFileInfo(options.pdf).absoluteFilePath();
    if (!QFileInfo(QFileInfo(path).absolutePath()).isDir()) {
        err << "kazurin2-admin: " << QDir::toNativeSeparators(path)
            << " に書き込めません（フォルダがありません）\n";
        return ExitProblems;
    }
    // Drawn in memory and saved whole: a failure (a full disk) leaves no file behind.
    draw::PdfFile pdf(600, programTitle(), QStringLiteral("kazurin2-admin"));
    draw::PageCanvas& canvas = pdf.canvas();
    if (!canvas.isActive()) {
        err << "kazurin2-admin: " << QDir::toNativeSeparators(path) << " に描けません\n";
        return ExitProblems;
    }
    QList<draw::StudentReports> pages;
    for (int bangou : students)
        pages << draw::StudentReports{reportStudentName(data.roster, bangou),
                                      makePersonalReports(sources, bangou, options.levels)};
    draw::drawReportsDocument(canvas, pages);
    if (const Status saved = pdf.save(path); !saved) {
        err << "kazurin2-admin: " << saved.error().text() << "\n";
        return ExitProblems;
    }
    out << QDir::toNativeSeparators(path) << ": 生徒 " << students.size() << " 人、レベル " << [&options] {
        QStringList levels;
        for (int level : options.levels)
            levels << QString::number(level);
        return levels.join(u',');
    }() << "\n";
    return ExitOk;
}

} // namespace kz::admin
