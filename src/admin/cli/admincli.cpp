#include "admin/cli/admincli.h"

#include "admin/cli/cliarguments.h"

#include <QDir>
#include <QTextStream>

#include <algorithm>

#include "admin/cli/locktest.h"
#include "admin/cli/tablescommand.h"
#include "data/textio.h"
#include "platform/clock.h"

namespace kz::admin {

namespace {

const QStringList& commands() {
    static const QStringList list{
        QStringLiteral("check"),        QStringLiteral("export"),    QStringLiteral("stats"),
        QStringLiteral("school-best"),  QStringLiteral("lock-test"), QStringLiteral("sound"),
        QStringLiteral("distribution"), QStringLiteral("tables"),    QStringLiteral("report"),
        QStringLiteral("facts"),        QStringLiteral("serve")};
    return list;
}

} // namespace

Outcome<CliOptions> parseCliArguments(const QStringList& args) {
    CliOptions options;
    CliOptions* out = &options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == u"--help" || arg == u"-h") {
            out->help = true;
        } else if (isOption(arg, QStringLiteral("--program-folder"))) {
            const Outcome<QString> value = optionValue(args, &i, QStringLiteral("--program-folder"));
            if (!value)
                return value.error();
            if (value->isEmpty())
                return usage(QStringLiteral("--program-folder にはフォルダを指定してください"));
            out->programFolder = *value;
        } else if (out->command == u"facts" || out->command == u"serve") {
            out->commandArguments << arg; // facts and serve read their own options
        } else if (isOption(arg, QStringLiteral("--now"))) {
            const Outcome<QDateTime> now = dateTimeOption(args, &i, QStringLiteral("--now"));
            if (!now)
                return now.error();
            out->now = *now;
        } else if (isOption(arg, QStringLiteral("--student"))) {
            const Outcome<int> n =
                numberOption(args, &i, QStringLiteral("--student"), 1, 5000, QStringLiteral("番号"));
            if (!n)
                return n.error();
            out->student = *n;
        } else if (isOption(arg, QStringLiteral("--wait"))) {
            const Outcome<int> n =
                numberOption(args, &i, QStringLiteral("--wait"), 0, 86400, QStringLiteral("秒数"));
            if (!n)
                return n.error();
            out->waitSeconds = *n;
        } else if (isOption(arg, QStringLiteral("--hold"))) {
            const Outcome<int> n =
                numberOption(args, &i, QStringLiteral("--hold"), 0, 86400, QStringLiteral("秒数"));
            if (!n)
                return n.error();
            out->holdSeconds = *n;
        } else if (arg.startsWith(u'-') && (out->command == u"tables" || out->command == u"report")) {
            out->commandArguments << arg;
            if (!arg.contains(u'=') && i + 1 < args.size())
                out->commandArguments << args[++i];
        } else if (isOption(arg, QStringLiteral("--level"))) {
            const Outcome<int> n =
                numberOption(args, &i, QStringLiteral("--level"), 1, 35, QStringLiteral("レベル"));
            if (!n)
                return n.error();
            out->level = *n;
        } else if (arg.startsWith(u'-')) {
            return usage(QStringLiteral("%1 というオプションはありません").arg(arg));
        } else if (out->command.isEmpty()) {
            if (!commands().contains(arg))
                return usage(QStringLiteral("%1 というコマンドはありません").arg(arg));
            out->command = arg;
        } else {
            return usage(QStringLiteral("余分な引数があります: %1").arg(arg));
        }
    }
    if (out->help)
        return options;
    if (out->command.isEmpty())
        return usage(QStringLiteral("コマンドがありません"));
    if (out->now && out->command != u"stats" && out->command != u"school-best" && out->command != u"tables" &&
        out->command != u"report")
        return usage(QStringLiteral("--now は stats、school-best、tables、report だけのオプションです"));
    if (out->command == u"tables") {
        if (const Outcome<TablesOptions> tables = parseTablesArguments(out->commandArguments); !tables)
            return tables.error();
    }
    if (out->holdSeconds && out->command != u"lock-test")
        return usage(QStringLiteral("--hold は lock-test だけのオプションです"));
    if (out->student && out->command != u"stats" && out->command != u"report")
        return usage(QStringLiteral("--student は stats と report だけのオプションです"));
    if (out->level.has_value() != (out->command == u"distribution"))
        return usage(out->level ? QStringLiteral("--level は distribution だけのオプションです")
                                : QStringLiteral("distribution には --level が要ります"));
    return options;
}

QString cliHelpText() {
    return QStringLiteral(
               "使い方: kazurin2-admin [--program-folder DIR] COMMAND [OPTIONS]\n"
               "\n"
               "カズリンその２ のインストールのデータを調べ、書き出します。何も書き込みません\n"
               "（lock-test は成績ファイルがないときに空のファイルを作ります。report --pdf は\n"
               "指定された PDF ファイルを書きます）。\n"
               "\n"
               "  --program-folder DIR  インストールのプログラムのフォルダ。一つ上のフォルダに\n"
               "                        パスデータ.txt があるフォルダです（省略すると\n"
               "                        kazurin2-admin 自身のフォルダ）\n"
               "  --wait SECONDS        stats と school-best が、使用中または読めない成績ファイルを\n"
               "                        読み直し続ける秒数（省略時 10）。それを過ぎると知らせて\n"
               "                        終了状態 1 で終わります\n"
               "  -h, --help            この説明\n"
               "\n"
               "コマンド:\n"
               "  check        インストールのデータファイル（パスデータ、共通データ、名簿 新名簿.txt、\n"
               "               合格基準、音の設定、成績ファイル、解答の記録 問題別記録.csv）をすべて\n"
               "               読み、問題を一つずつ FILE:LINE: 内容 の形で示します（成績ファイルは\n"
               "               FILE:record N: …）。解答の記録がない成績と、成績のない解答の記録も\n"
               "               示します。記録の消去が途中で終わって残ったコピー\n"
               "               成績累積データtemp.dat は、コピーと成績ファイルの記録の数とともに\n"
               "               示します。問題があれば終了状態 1、なければ 0 です。\n"
               "  export       成績ファイルのすべての成績をファイルの順に CSV（UTF-8）で:\n"
               "               record,date,time,student,name,level,level_name,recorded_time,\n"
               "               points,site_code\n"
               "               record は記録番号、date は 2004-03-15、time は 14:30:00、points は\n"
               "               集計と同じ点（倍率をかけたもの）、name は名簿から（ないときは空）。\n"
               "  stats [--now 2004-03-15T14:30:00] [--student N]\n"
               "               --now の時点（省略時は今）の集計を CSV で:\n"
               "               student,level,total_attempts,today_attempts,pass_period_attempts,\n"
               "               overdo_period_attempts,total_points,today_points,\n"
               "               pass_period_points,overdo_period_points,best_time\n"
               "               0 でない数（best_time は 99999 でないもの）のある生徒（または生徒\n"
               "               N だけ）とレベル 1～35 ごとに一行、生徒、レベルの順。プログラムと\n"
               "               同じく、新しい 20000 件の記録だけを数えます。\n"
               "  school-best [--now ...]\n"
               "               塾の最高タイムのあるレベルごとに level,school_best_time\n"
               "               （生徒 1～1000）。\n"
               "  lock-test [--hold SECONDS]\n"
               "               成績を記録するたびに使う成績ファイルのロックを取り、SECONDS 秒\n"
               "               （省略時 60）持ちます。一台目のコンピューターで実行し、データ\n"
               "               フォルダを共有する二台目でも実行してください。二台目は\n"
               "               「ほかのコンピューターがロックしています」と知らせるはずです\n"
               "               （終了状態 3）。フォルダでロックが働かないときはそう知らせます\n"
               "               （終了状態 1）。成績は書きません。成績ファイルがないときは空の\n"
               "               ファイルを作ります。\n"
               "  sound        プログラムが音を出す音声装置を開き、何も鳴らしません。開けないとき\n"
               "               は理由とともに終了状態 1（装置の種類は、プログラムと同じく\n"
               "               SDL_AUDIODRIVER で選びます）。\n"
               "  distribution --level L\n"
               "               レベル L の記録タイムが 10 秒ごとの幅にどう分かれるか、基準変更の\n"
               "               画面と同じように: すべての成績（全成績、最後の幅は 1000 秒以上、\n"
               "               時間切れを含む）、空行、各生徒の最高タイム（最高タイム、300 秒\n"
               "               以上まで）。\n") +
           tablesHelpText() + reportHelpText() + factsHelpText() + serveHelpText() +
           QStringLiteral("\n"
                          "エラーは標準エラーに出て、終了状態は 1 です（使い方の誤りは 2）。\n");
}

int runCompanion(const QStringList& arguments, const QString& defaultProgramFolder, QTextStream& out,
                 QTextStream& err) {
    const Outcome<CliOptions> parsed = parseCliArguments(arguments);
    if (!parsed) {
        err << "kazurin2-admin: " << parsed.error().text() << "\n"
            << "使い方は kazurin2-admin --help で表示されます\n";
        return ExitUsage;
    }
    const CliOptions& options = *parsed;
    if (options.help) {
        out << cliHelpText();
        return ExitOk;
    }
    if (options.command == u"sound")
        return runSoundCheck(out, err);
    const QString programFolder =
        QDir(options.programFolder.isEmpty() ? defaultProgramFolder : options.programFolder).absolutePath();
    const QString pathFile = QDir::cleanPath(programFolder + QStringLiteral("/../パスデータ.txt"));
    Installation installation;
    if (const Status resolved = resolveInstallationPaths(programFolder, &installation); !resolved) {
        const Error& e = resolved.error();
        if (options.command == u"check") {
            out << shortenForMessage(QDir::toNativeSeparators(e.detail), 200) << ": "
                << shortenForMessage(e.message, 300) << "\n";
            return ExitProblems;
        }
        err << "kazurin2-admin: " << shortenForMessage(QDir::toNativeSeparators(e.detail), 200) << ": "
            << shortenForMessage(e.message, 300) << "\n";
        return ExitProblems;
    }
    if (options.command == u"check")
        return runCheck(installation, pathFile, out, err);
    if (options.command == u"export")
        return runExport(installation, out, err);
    if (options.command == u"tables")
        return runTables(installation, options.commandArguments, options.now.value_or(systemClock().now()),
                         out, err);
    if (options.command == u"lock-test")
        return runLockTest(installation, options.holdSeconds.value_or(60), out, err);
    if (options.command == u"stats")
        return runStats(installation, options.now.value_or(systemClock().now()), options.student, out, err,
                        options.waitSeconds);
    if (options.command == u"facts")
        return runFacts(installation, options.commandArguments, out, err);
    if (options.command == u"serve")
        return runServe(installation, options.commandArguments, out, err);
    if (options.command == u"distribution")
        return runDistribution(installation, *options.level, out, err);
    if (options.command == u"report")
        return runReport(installation, options, options.now.value_or(systemClock().now()), out, err);
    return runSchoolBest(installation, out, err, options.waitSeconds);
}

bool cliNeedsDrawing(const QStringList& arguments) {
    return std::any_of(arguments.begin(), arguments.end(), [](const QString& a) {
        return a == u"--pdf" || a.startsWith(u"--pdf=") || a == u"serve";
    });
}

QString csvField(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

} // namespace kz::admin
