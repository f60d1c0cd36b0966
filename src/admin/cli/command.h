#pragma once

#include "core/installation.h"
#include "platform/outcome.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QTextStream;

// The shape of a kazurin2-admin command and the row it takes in the command table
// (admincli.cpp), which drives --help and the dispatch.
//
// A command is a struct with its own options, help and checks:
//
//   struct StatsCommand {
//       struct Options { ... };
//       static QString name();    // "stats"
//       static QString summary(); // one line
//       static QString help();    // its part of kazurin2-admin --help
//       static Outcome<Options> parse(const QStringList& options); // a usage error is Refused
//       static int run(const Options& options, const CommandRun& run); // the exit status
//       // and, only where they apply:
//       static QStringList sharedOptions();            // see Command::sharedOptions
//       static bool needsGui(const Options& options);  // it draws (PDF files)
//   };
//
// Adding a command is writing such a struct and adding commandRow<ItsCommand>() to the table.
namespace kz::admin {

enum ExitCode { ExitOk = 0, ExitProblems = 1, ExitUsage = 2 };

// What every command runs with: the general options of the command line and the output.
struct CommandRun {
    QString programFolder; // absolute
    int waitSeconds = 10;  // --wait: how long a data file in use is waited for
    QTextStream& out;
    QTextStream& err;
    QString companionFolder; // the folder of kazurin2-admin itself (the package's files beside it)
};

// The installation of the program folder. When it cannot be resolved, err is told why
// and nothing is returned (the command ends with ExitProblems).
std::optional<Installation> installationOrTell(const CommandRun& run);
// Why the installation could not be resolved, as "FILE: message" in one line.
QString installationProblem(const Error& error);

// Refuses an argument the command does not take. An option that other commands take
// (their shared options) is refused by naming them; anything else with otherwise, or
// by default with "--x というオプションはありません" or "余分な引数があります: x".
Error refuseArgument(const QString& argument, const QString& otherwise = {});

// A command whose options were read, ready to run.
struct PreparedCommand {
    std::function<int(const CommandRun&)> run;
    bool needsGui = false; // it draws: main() starts Qt Gui (offscreen) instead of Qt Core
};

// One row of the command table.
struct Command {
    QString name;
    QString summary;
    QString help;
    // Options that a teacher may give another command by mistake: that command refuses
    // them by naming every command whose row lists them.
    QStringList sharedOptions;
    Outcome<PreparedCommand> (*prepare)(const QStringList& options) = nullptr;
};

template <class C> Outcome<PreparedCommand> prepareCommand(const QStringList& options) {
    Outcome<typename C::Options> parsed = C::parse(options);
    if (!parsed)
        return parsed.error();
    PreparedCommand prepared;
    if constexpr (requires(const typename C::Options& o) { C::needsGui(o); })
        prepared.needsGui = C::needsGui(*parsed);
    prepared.run = [o = std::move(parsed).value()](const CommandRun& run) { return C::run(o, run); };
    return prepared;
}

template <class C> Command commandRow() {
    Command row{C::name(), C::summary(), C::help(), {}, &prepareCommand<C>};
    if constexpr (requires { C::sharedOptions(); })
        row.sharedOptions = C::sharedOptions();
    return row;
}

} // namespace kz::admin
