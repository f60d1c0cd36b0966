#pragma once

#include "data/answerlog.h"
#include "data/resultstore.h"
#include "platform/outcome.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// Attempts kept on this computer while the results file cannot be written (the share is
// gone, no rights, a full disk on the server): the attempt's 44-byte record, made when it
// was kept, and its answer-log lines wait in a small store in the user's state folder,
// one folder per installation, until they can be appended to the results file.
//
// The store "kept-attempts.log" is a text file of ASCII lines, each ending in a check
// value of its own (a line cut short by a crash fails its check and ends the store there;
// the next write cuts it off):
//
//   kazurin2-kept 1                    format
//   kept I RECORD ANSWERS              attempt I: its record (44 bytes, hex) and its answer
//                                      lines (base64, "-" when none)
//   replay I L                         attempt I is about to be appended; the results file
//                                      had L bytes
//   recorded I                         its record is in the results file (synced)
//   done I                             its answer lines are written too: it is finished
//
// Each line is synced before the step it announces is taken, so whoever finds the store
// (the program at start-up and after each attempt it records, the companion's
// check --repair) appends every waiting attempt exactly once, in the order kept: an
// attempt whose replay was begun but not noted as recorded is looked for in the results
// file first, one noted as recorded has its answer lines looked for in the answer log.
// Once every attempt is done the store is emptied (cut to no bytes, never deleted, so
// that a process waiting for its lock never writes into a removed file).
namespace kz {

// The user's folder for state kept between runs on this computer: Qt's generic state
// location where Qt knows it, else $XDG_STATE_HOME when it is an absolute path, else
// ~/.local/state.
QString userStateFolder();

// This computer's store of the installation whose program data folder is given:
// <stateFolder>/kazurin2/kept-<16 hex digits of the data folder's absolute path's SHA-256>/.
// Ends with "/".
QString keptAttemptsFolder(const QString& stateFolder, const QString& programDataFolder);
QString keptAttemptsFileName(); // "kept-attempts.log"
// Beside the store: the data folder it belongs to, written when the store is made.
QString keptDataFolderFileName(); // "data-folder.txt"

struct KeptAttempt {
    qint64 id = 0;
    ResultRecord record;
    QByteArray answerLines;     // whole answer-log lines, possibly none
    bool replayBegun = false;   // "replay": the record may be in the results file
    bool recordWritten = false; // "recorded": the answer lines may be in the answer log
};

struct KeptAttempts {
    std::vector<KeptAttempt> waiting; // not yet done, in the order kept
    QString dataFolder;               // as data-folder.txt names it (empty when missing)
    bool tornTail = false;            // a line cut short by a crash ends the store
};

// The store in folder, read only. No folder or no store: nothing waiting. Malformed when
// the store is no store of this program.
Outcome<KeptAttempts> readKeptAttempts(const QString& folder);

// Points of a replay after which a test may stop it as a failing system would (or kill
// the process there).
enum class ReplayStep {
    Noted,          // "replay I L" is synced; the results file untouched
    Appended,       // the record is written and synced; the store does not say so yet
    Recorded,       // "recorded I" is synced; the answer lines not yet written
    AnswersWritten, // the answer lines are in the answer log; "done I" not yet written
    Done,           // "done I" is synced
    Emptied,        // every attempt was done and the store is cut to no bytes
};
QString replayStepName(ReplayStep step); // "Noted", …
std::optional<ReplayStep> replayStepNamed(const QString& name);

struct KeptOptions {
    WaitFunction wait; // between two tries of a lock; default: sleep
    int retryMs = 1000;
    // Tries of the results file's lock while another station holds it (0: without limit).
    int lockTries = 5;
    // Called after each step; an error stops the replay there. Empty in the programs.
    std::function<Status(ReplayStep)> checkpoint;
    AnswerLogAppendOptions answerLog;
};

// Adds an attempt to the store in folder, creating folder and store when missing (the
// data folder is noted beside it). Synced before it returns. On an error nothing was
// added.
Status keepAttempt(const QString& folder, const QString& dataFolder, const ResultRecord& record,
                   const QByteArray& answerLines, const KeptOptions& options = {});

struct ReplayResult {
    int recorded = 0; // attempts appended to the results file now
    int waiting = 0;  // attempts still in the store
    // Why the replay stopped before the store was empty (the results file cannot be
    // written, …); the attempts stay in the store for the next time.
    std::optional<Error> stopped;
    // Answer lines of recorded attempts that the answer log did not take (best effort,
    // as for any attempt: the caller may try them again later).
    QByteArray unplacedAnswers;
};

// Appends every waiting attempt of the store in folder to the results file at
// resultsPath (under its lock) and its answer lines to the answer log at answerLogPath,
// in order and exactly once. An error only when the store itself cannot be used.
Outcome<ReplayResult> replayKeptAttempts(const QString& folder, const QString& resultsPath,
                                         const QString& answerLogPath, const KeptOptions& options = {});

// What the program tells after a replay at start-up: how many were recorded, how many
// still wait and why; empty when there was nothing.
QString keptReplayNotice(const Outcome<ReplayResult>& replay);

} // namespace kz
