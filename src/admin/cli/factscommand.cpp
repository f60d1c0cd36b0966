// kazurin2-admin facts: which products a student misses or answers slowly, from the
// answer log, as CSV (and as a heat map in a PDF).
#include "admin/cli/admincli.h"
#include "admin/cli/datawait.h"

#include "admin/cli/cliarguments.h"
#include "admin/cli/commands.h"
#include "data/grade.h"
#include "drill/drilllevels.h"
#include "platform/clock.h"

#include <QTextStream>

namespace kz::admin {

QString FactsCommand::summary() {
    return QStringLiteral("どの九九をまちがえ、どれに時間がかかるかを、解答の記録から示します");
}

Outcome<FactsCommand::Options> FactsCommand::parse(const QStringList& args) {
    Options options;
    const auto number = [&](qsizetype* i, const QString& name, int low, int high,
                            std::optional<int>* into) -> Status {
        const Outcome<int> n = numberOption(args, i, name, low, high);
        if (!n)
            return n.error();
        *into = *n;
        return {};
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (isOption(arg, QStringLiteral("--student"))) {
            if (const Status s = number(&i, QStringLiteral("--student"), 1, 5000, &options.student); !s)
                return s.error();
        } else if (isOption(arg, QStringLiteral("--days"))) {
            if (const Status s = number(&i, QStringLiteral("--days"), 1, 36500, &options.days); !s)
                return s.error();
        } else if (isOption(arg, QStringLiteral("--level"))) {
            if (const Status s = number(&i, QStringLiteral("--level"), 1, kLevelCount, &options.level); !s)
                return s.error();
        } else if (isOption(arg, QStringLiteral("--grade-filter"))) {
            const Outcome<QString> value = optionValue(args, &i, QStringLiteral("--grade-filter"));
            if (!value)
                return value.error();
            const std::optional<QString> filter = gradeFilterNamed(*value);
            if (!filter)
                return usage(QStringLiteral("--grade-filter には 0～11 か %1 のどれかを指定してください"
                                            "（「%2」は使えません）")
                                 .arg(gradeFilters().join(u' '), *value));
            options.gradeFilter = *filter;
        } else if (isOption(arg, QStringLiteral("--pdf"))) {
            const Outcome<QString> value = optionValue(args, &i, QStringLiteral("--pdf"));
            if (!value)
                return value.error();
            if (value->isEmpty())
                return usage(QStringLiteral("--pdf にはファイル名を指定してください"));
            options.pdf = *value;
        } else if (isOption(arg, QStringLiteral("--now"))) {
            const Outcome<QDateTime> now = dateTimeOption(args, &i, QStringLiteral("--now"));
            if (!now)
                return now.error();
            options.now = *now;
        } else {
            return refuseArgument(arg, QStringLiteral("facts に余分な引数があります: %1").arg(arg));
        }
    }
    if (options.student.has_value() == !options.gradeFilter.isEmpty())
        return usage(QStringLiteral("facts には --student N か --grade-filter K のどちらか一つが要ります"));
    return options;
}

FactsSelection factsSelection(const FactsOptions& options, QDate today) {
    FactsSelection selection;
    selection.student = options.student;
    selection.gradeFilter = options.gradeFilter;
    selection.period.today = today;
    selection.period.days = options.days.value_or(0);
    selection.period.level = options.level.value_or(0);
    return selection;
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

int FactsCommand::run(const Options& options, const CommandRun& run) {
    const std::optional<Installation> installation = installationOrTell(run);
    if (!installation)
        return ExitProblems;
    QTextStream& out = run.out;
    QTextStream& err = run.err;
    const Outcome<FactsReport> report = readWaiting(run.waitSeconds, [&] {
        return buildFactsReport(*installation,
                                factsSelection(options, options.now.value_or(systemClock().now()).date()));
    });
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

QString FactsCommand::help() {
    return QStringLiteral(
        "  facts --student N | --grade-filter K  [--days D] [--level L] [--now ...]\n"
        "        [--pdf FILE]\n"
        "               生徒がどの九九をまちがえ、どれに時間がかかるかを、解答の記録\n"
        "               問題別記録.csv から CSV で:\n"
        "               student,name,multiplicand,multiplier,answers,wrong,median_ms\n"
        "               レベルが出す問題（14、15、16 × 1～20。--level ではレベル L の\n"
        "               問題だけ）ごとに一行。median_ms は問題が出てから判定までの時間の\n"
        "               中央値（解答がなければ空）。--days D は --now（省略時は今日）まで\n"
        "               の D 日を数えます。--grade-filter K は学年の選び方 K（0～11、\n"
        "               または 小３ や 中学生全体 のような文字）の名簿の生徒のうち、解答の\n"
        "               ある生徒すべて。--pdf FILE は代わりに色分けの表を描きます: 生徒\n"
        "               ごとに一ページ、九九ごとに一つのます目を解答時間の中央値で色分け\n"
        "               し、まちがいに印と数を付けます。\n");
}

} // namespace kz::admin
