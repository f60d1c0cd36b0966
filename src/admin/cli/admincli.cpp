#include "admin/cli/admincli.h"

#include "admin/cli/cliarguments.h"
#include "admin/cli/commands.h"
#include "data/textio.h"

#include <QDir>
#include <QTextStream>

namespace kz::admin {

const std::vector<Command>& commandTable() {
    static const std::vector<Command> table{
        commandRow<CheckCommand>(),        commandRow<ExportCommand>(),   commandRow<StatsCommand>(),
        commandRow<SchoolBestCommand>(),   commandRow<LockTestCommand>(), commandRow<SoundCommand>(),
        commandRow<DistributionCommand>(), commandRow<TablesCommand>(),   commandRow<ReportCommand>(),
        commandRow<FactsCommand>(),        commandRow<RemoveCommand>(),   commandRow<ServeCommand>(),
    };
    return table;
}

namespace {

const Command* commandNamed(const QString& name) {
    for (const Command& command : commandTable()) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

// "a", "a と b", "a、b、c".
QString namesJoined(const QStringList& names) {
    return names.size() == 2 ? names[0] + QStringLiteral(" と ") + names[1]
                             : names.join(QStringLiteral("、"));
}

} // namespace

Error refuseArgument(const QString& argument, const QString& otherwise) {
    if (argument.startsWith(u'-')) {
        const QString option = argument.section(u'=', 0, 0);
        QStringList takers;
        for (const Command& command : commandTable()) {
            if (command.sharedOptions.contains(option))
                takers << command.name;
        }
        if (!takers.isEmpty())
            return usage(QStringLiteral("%1 は %2 だけのオプションです").arg(option, namesJoined(takers)));
    }
    if (!otherwise.isEmpty())
        return usage(otherwise);
    return usage(argument.startsWith(u'-') ? QStringLiteral("%1 というオプションはありません").arg(argument)
                                           : QStringLiteral("余分な引数があります: %1").arg(argument));
}

QString installationProblem(const Error& error) {
    return shortenForMessage(QDir::toNativeSeparators(error.detail), 200) + QStringLiteral(": ") +
           shortenForMessage(error.message, 300);
}

std::optional<Installation> installationOrTell(const CommandRun& run) {
    Installation installation;
    if (const Status resolved = resolveInstallationPaths(run.programFolder, &installation); !resolved) {
        run.err << "kazurin2-admin: " << installationProblem(resolved.error()) << "\n";
        return std::nullopt;
    }
    return installation;
}

Outcome<CommandLine> parseCommandLine(const QStringList& args) {
    CommandLine line;
    QStringList options; // the command's, in the order given
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == u"--help" || arg == u"-h") {
            line.help = true;
        } else if (isOption(arg, QStringLiteral("--program-folder"))) {
            const Outcome<QString> value = optionValue(args, &i, QStringLiteral("--program-folder"));
            if (!value)
                return value.error();
            if (value->isEmpty())
                return usage(QStringLiteral("--program-folder にはフォルダを指定してください"));
            line.programFolder = *value;
        } else if (isOption(arg, QStringLiteral("--wait"))) {
            const Outcome<int> n =
                numberOption(args, &i, QStringLiteral("--wait"), 0, 86400, QStringLiteral("秒数"));
            if (!n)
                return n.error();
            line.waitSeconds = *n;
        } else if (line.command) {
            options << arg;
        } else if (arg.startsWith(u'-')) {
            // A command's option before the command's name: its value is the next
            // argument, unless written after "=" or the next argument is the command.
            options << arg;
            if (!arg.contains(u'=') && i + 1 < args.size() && !args[i + 1].startsWith(u'-') &&
                !commandNamed(args[i + 1]))
                options << args[++i];
        } else if (const Command* command = commandNamed(arg)) {
            line.command = command;
        } else {
            return usage(QStringLiteral("%1 というコマンドはありません").arg(arg));
        }
    }
    if (line.help)
        return line;
    if (!line.command)
        return usage(QStringLiteral("コマンドがありません"));
    Outcome<PreparedCommand> prepared = line.command->prepare(options);
    if (!prepared)
        return prepared.error();
    line.prepared = std::move(prepared).value();
    return line;
}

QString cliHelpText() {
    QString text =
        QStringLiteral("使い方: kazurin2-admin [--program-folder DIR] COMMAND [OPTIONS]\n"
                       "\n"
                       "カズリンその２ のインストールのデータを調べ、書き出します。remove と\n"
                       "check --repair のほかは何も書き込みません（lock-test は成績ファイルがないときに\n"
                       "空のファイルを作ります。report --pdf と facts --pdf は指定された PDF ファイルを\n"
                       "書きます。書けなかったときは何も残しません）。\n"
                       "\n"
                       "  --program-folder DIR  インストールのプログラムのフォルダ。一つ上のフォルダに\n"
                       "                        パスデータ.txt があるフォルダです（省略すると\n"
                       "                        kazurin2-admin 自身のフォルダ）\n"
                       "  --wait SECONDS        どのコマンドも、使用中または読めないデータファイルを読み\n"
                       "                        直し続ける秒数（省略時 10）。それを過ぎると知らせて\n"
                       "                        終了状態 1 で終わります\n"
                       "  -h, --help            この説明（COMMAND --help はそのコマンドの説明）\n"
                       "\n"
                       "コマンド:\n");
    for (const Command& command : commandTable())
        text += command.help;
    return text + QStringLiteral("\n"
                                 "エラーは標準エラーに出て、終了状態は 1 です（使い方の誤りは 2）。\n");
}

QString commandHelpText(const Command& command) {
    return QStringLiteral("使い方: kazurin2-admin [--program-folder DIR] %1 [OPTIONS]\n"
                          "%2\n"
                          "\n")
               .arg(command.name, command.summary) +
           command.help;
}

int runCompanion(const QStringList& arguments, const QString& defaultProgramFolder, QTextStream& out,
                 QTextStream& err) {
    const Outcome<CommandLine> line = parseCommandLine(arguments);
    if (!line) {
        err << "kazurin2-admin: " << line.error().text() << "\n"
            << "使い方は kazurin2-admin --help で表示されます\n";
        return ExitUsage;
    }
    if (line->help) {
        out << (line->command ? commandHelpText(*line->command) : cliHelpText());
        return ExitOk;
    }
    const QString folder = line->programFolder.isEmpty() ? defaultProgramFolder : line->programFolder;
    return line->prepared.run(CommandRun{QDir(folder).absolutePath(), line->waitSeconds, out, err});
}

bool cliNeedsDrawing(const QStringList& arguments) {
    const Outcome<CommandLine> line = parseCommandLine(arguments);
    return line && !line->help && line->prepared.needsGui;
}

QString csvField(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

} // namespace kz::admin
