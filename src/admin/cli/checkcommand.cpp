#include "admin/cli/commands.h"
#include "admin/cli/datawait.h"

#include "core/catalogue.h"
#include "core/recordingrights.h"
#include "core/soundcues.h"
#include "core/soundtable.h"
#include "data/answerlogaudit.h"
#include "data/keptattempts.h"
#include "data/maintenancejournal.h"
#include "data/oledate.h"
#include "data/passcriteria.h"
#include "data/resultmaintenance.h"
#include "data/resultstore.h"
#include "data/roster.h"
#include "data/statistics.h"
#include "data/textio.h"
#include "platform/datafile.h"
#include "platform/sdlsoundplayer.h"
#include "students/programmenu.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <cmath>

namespace kz::admin {

namespace {

constexpr int kCriteriaFields = PassCriteria::kFieldCount;

class Report {
public:
    static constexpr int kLineChars = 700; // long enough for a fix with its command
    Report(QTextStream& out, int waitSeconds) : out_(out), waitSeconds_(waitSeconds) {}
    int waitSeconds() const { return waitSeconds_; } // --wait, for a results file in use
    void file(const QString& path, const QString& what) { line(path, QString(), what); }
    void atLine(const QString& path, int number, const QString& what) {
        line(path, QString::number(number), what);
    }
    void atRecord(const QString& path, qint64 number, const QString& what) {
        line(path, QStringLiteral("記録 %1").arg(number), what);
    }
    // Worth knowing but no problem: printed, not counted.
    void note(const QString& path, const QString& what) {
        out_ << shortenForMessage(QDir::toNativeSeparators(path), 200) << QStringLiteral(": 注意: ")
             << shortenForMessage(what, kLineChars) << '\n';
    }
    int count() const { return count_; }

private:
    void line(const QString& path, const QString& where, const QString& what) {
        // A very long path or value (a broken file) is shortened, so one line stays a line.
        out_ << shortenForMessage(QDir::toNativeSeparators(path), 200);
        if (!where.isEmpty())
            out_ << ':' << where;
        out_ << ": " << shortenForMessage(what, kLineChars) << '\n';
        ++count_;
    }
    QTextStream& out_;
    int waitSeconds_ = 10;
    int count_ = 0;
};

// The lines of a text file that are not code page 932, in one line with the fix.
void encodingLines(const QString& path, const FreeValueText& text, Report& report) {
    if (const QString summary = encodingSummary(path, text.encodingFacts()); !summary.isEmpty())
        report.file(path, summary);
}

// A numeric field of a data file: empty, or a number and nothing else (read by the same
// number reader as the program).
bool isNumberOrEmpty(const QString& text) {
    if (text.trimmed().isEmpty())
        return true;
    bool complete = false;
    (void)leadingNumber(text, &complete);
    return complete;
}

// Only value 1 of the path file is used: a file of one value is complete, and a data
// folder without its closing separator gets one, as the program reads it.
void checkPathFile(const QString& pathFile, Report& report) {
    const Outcome<FreeValueText> read = FreeValueText::load(pathFile);
    if (!read) {
        report.file(pathFile, read.error().text());
        return;
    }
    encodingLines(pathFile, *read, report);
}

void checkSettings(const Installation& inst, Report& report) {
    const QString path = inst.dataRoot + QStringLiteral("共通データ.txt");
    const Outcome<FreeValueText> read = FreeValueText::load(path);
    if (!read) {
        report.file(path, read.error().text());
        return;
    }
    // Values 7 to 10 are not used; the installation does not resolve with fewer than 6.
    const FreeValueText& text = *read;
    encodingLines(path, text, report);
    if (text.valueCount() >= 1) {
        bool complete = false;
        const double month = leadingNumber(text.value(0), &complete);
        if (!complete || month != std::floor(month) || month < 1 || month > 12)
            report.atLine(path, text.lineOfValue(0),
                          QStringLiteral("学年の始まりの月「%1」が 1～12 ではありません").arg(text.value(0)));
    }
    if (text.valueCount() >= 3 && !isNumberOrEmpty(text.value(2)))
        report.atLine(path, text.lineOfValue(2),
                      QStringLiteral("名簿の表示の切り替え「%1」が数ではありません").arg(text.value(2)));
    if (text.valueCount() >= 2 && text.value(1).size() > kMaxSiteTextChars)
        report.atLine(path, text.lineOfValue(1),
                      QStringLiteral("塾名が長すぎます（%1 文字。%2 文字まで）。使われません")
                          .arg(text.value(1).size())
                          .arg(kMaxSiteTextChars));
    ResultRecord probe;
    probe.setSiteCode(inst.siteCode);
    QString written = probe.siteCodeText();
    while (written.endsWith(u' '))
        written.chop(1);
    if (written != inst.siteCode)
        report.atLine(
            path, text.valueCount() >= 2 ? text.lineOfValue(1) : 1,
            QStringLiteral("塾のコード「%1」が成績の記録の 5 バイトに入りません").arg(inst.siteCode));
}

void checkRoster(const Installation& inst, Report& report) {
    const QString path = inst.rosterPath();
    RosterTables tables;
    const Outcome<RosterLoadResult> loaded =
        loadRoster(path, QDate::currentDate(), inst.schoolYearStartMonth, inst.flagTwoListed, &tables);
    if (!loaded) {
        report.file(path, loaded.error().text());
        return;
    }
    for (const RosterProblem& problem : loaded->problems)
        report.atLine(path, problem.line, problem.text);
    if (const QString summary = encodingSummary(path, loaded->encoding); !summary.isEmpty())
        report.file(path, summary);
}

// As the user who runs: every write the program makes in the program's data folder.
void checkRights(const Installation& inst, Report& report) {
    for (const RightsProblem& problem : checkWriteRights(inst))
        report.file(problem.path, problem.text);
}

void checkCriteria(const Installation& inst, Report& report) {
    const QString path = inst.criteriaPath();
    const Outcome<FreeValueText> read = FreeValueText::load(path);
    if (!read) {
        report.file(path, read.error().text());
        return;
    }
    const FreeValueText& text = *read;
    encodingLines(path, text, report);
    for (const TextLine& line : text.lines()) {
        if (line.values.size() != kCriteriaFields)
            report.atLine(path, line.number,
                          QStringLiteral("値が %1 個あります（どの行も 12 個です）").arg(line.values.size()));
    }
    PassCriteriaTable table;
    const Outcome<CriteriaLoadResult> loaded = loadPassCriteria(path, &table);
    if (!loaded) {
        report.file(path, loaded.error().text());
        return;
    }
    if (loaded->truncated)
        report.file(path, QStringLiteral("レベルの行が %1 を超えています。先頭の %1 行だけが読まれます")
                              .arg(kLastSlotLevel));
    if (table.levelLines < kLevelCount)
        report.file(path, QStringLiteral("レベルの行が %1 行しかありません（%2 レベル分の %2 行が必要です）")
                              .arg(table.levelLines)
                              .arg(kLevelCount));
    const std::array<QString, 12> titles = passCriteriaHeader();
    for (int level = 1; level <= table.levelLines && level < kLevelSlots; ++level) {
        const PassCriteria& c = table.level(level);
        const qsizetype firstValue = qsizetype(level) * kCriteriaFields;
        const int line = firstValue < text.valueCount() ? text.lineOfValue(firstValue) : level + 1;
        for (int f = 0; f < 9; ++f) {
            if (!isNumberOrEmpty(c.texts[static_cast<size_t>(f)]))
                report.atLine(path, line,
                              QStringLiteral("レベル %1: %2「%3」が数ではありません")
                                  .arg(level)
                                  .arg(titles[static_cast<size_t>(f)], c.texts[static_cast<size_t>(f)]));
        }
        if (c.targetTime <= 0)
            report.atLine(path, line,
                          QStringLiteral("レベル %1: 目標タイム %2 ではポイントが付きません")
                              .arg(level)
                              .arg(c.targetTime));
        if (c.minimumTime <= 0)
            report.atLine(path, line,
                          QStringLiteral("レベル %1: 最低タイム %2 では時間制限がなくなります")
                              .arg(level)
                              .arg(c.minimumTime));
        if (c.pointMultiplier.toDouble() < 0)
            report.atLine(path, line,
                          QStringLiteral("レベル %1: ポイント倍率 %2 が負の数です")
                              .arg(level)
                              .arg(c.pointMultiplier.shortText()));
    }
}

void checkSounds(const Installation& inst, Report& report) {
    const QString path = inst.soundListPath();
    const QString meaning = QStringLiteral("。") + unplayableSoundMeaning();
    const Outcome<FreeValueText> listText = FreeValueText::load(path);
    if (!QFileInfo::exists(path)) {
        report.file(path, QStringLiteral("音の設定ファイルがありません。プログラムは音を出しません"));
    } else if (!listText) {
        report.file(path, listText.error().text() + QStringLiteral("。プログラムは音を出しません"));
    } else {
        SoundTable table;
        loadSoundTable(path, &table);
        for (int kind : {2, 4, 8, 10}) {
            const SoundTable::Kind& k = table.kinds[static_cast<size_t>(kind)];
            if (k.count <= 0)
                report.file(
                    path,
                    QStringLiteral("%1 の音がありません（グループがない、空、または「*」で閉じていません）")
                        .arg(k.name.isEmpty() ? QString::number(kind) : k.name));
        }
        for (int kind = 1; kind <= SoundTable::kKinds; ++kind) {
            const SoundTable::Kind& k = table.kinds[static_cast<size_t>(kind)];
            for (int slot = 1; slot <= k.count && slot <= SoundTable::kSlots; ++slot) {
                const QString wav =
                    inst.soundFolder + k.files[static_cast<size_t>(slot)] + QStringLiteral(".wav");
                if (!QFileInfo::exists(wav))
                    report.file(
                        path,
                        QStringLiteral("%1 の %2 がありません").arg(k.name, QDir::toNativeSeparators(wav)) +
                            meaning);
            }
        }
    }
    for (const QString& fixed :
         {QStringLiteral("最高1.wav"), QStringLiteral("合格.wav"), QStringLiteral("警告1.wav")}) {
        if (!QFileInfo::exists(inst.soundFolder + fixed))
            report.file(inst.soundFolder + fixed, QStringLiteral("音のファイルがありません") + meaning);
    }
    // Every file that exists is opened with the program's own decoder.
    SoundTable table;
    loadSoundTable(path, &table);
    for (const QString& wav : soundFilesPlayed(inst, table)) {
        if (!QFileInfo::exists(wav) && !QFileInfo::exists(QFileInfo(wav).absolutePath()))
            continue;
        const Status played = SdlSoundPlayer::probeFile(wav);
        if (!played.ok() && played.error().kind != ErrorKind::NotFound)
            report.file(wav, QStringLiteral("再生できません（%1）")
                                     .arg(played.error().detail.isEmpty() ? played.error().message
                                                                          : played.error().detail) +
                                 meaning);
    }
}

// What an interrupted change or removal of records left beside the results file, and
// temporaries of whole-file saves that were killed.
void checkLeftovers(const Installation& inst, Report& report) {
    for (const MaintenanceFinding& found :
         inspectMaintenanceLeftovers(inst.resultsPath(), inst.resultsTempPath()))
        report.file(found.path, found.text);
    for (const QString& stale : staleSaveTemporaries(inst.programDataFolder))
        report.file(stale,
                    QStringLiteral("保存の途中で止まったときの一時ファイルです。元のファイルはそのままです。"
                                   "次の保存か kazurin2-admin check --repair で削除されます"));
}

void checkResults(const Installation& inst, Report& report) {
    const QString path = inst.resultsPath();
    const Outcome<ResultsFileContents> read =
        readWaiting(report.waitSeconds(), [&] { return readAllResults(path); });
    if (!read) {
        report.file(path, read.error().text());
        return;
    }
    const ResultsFileContents& contents = *read;
    for (size_t i = 0; i < contents.records.size(); ++i) {
        const ResultRecord& r = contents.records[i];
        QStringList wrong;
        if (std::isnan(r.date))
            wrong << QStringLiteral("日付が数ではありません");
        else if (r.date < 0)
            wrong << QStringLiteral("日付 %1 が 1899 年 12 月 30 日より前です").arg(r.date);
        else if (!dateFromOle(r.date).isValid())
            wrong << QStringLiteral("日付 %1 はカレンダーの日付になりません").arg(r.date);
        if (!(r.time >= 0 && r.time < 1))
            wrong << QStringLiteral("時刻 %1 が 0～1 の外です").arg(r.time);
        if (r.level < 1 || r.level > kLastSlotLevel)
            wrong << QStringLiteral("レベル %1 が 1～%2 の外です").arg(r.level).arg(kLastSlotLevel);
        if (r.bangou < 1 || r.bangou > ResultRecord::kMaxBangou)
            wrong << QStringLiteral("番号 %1 が 1～5000 の外です").arg(r.bangou);
        if (r.recordedTime < 0)
            wrong << QStringLiteral("タイム %1 が負の数です").arg(r.recordedTime);
        if (!wrong.isEmpty())
            report.atRecord(path, static_cast<qint64>(i + 1), wrong.join(QStringLiteral("、")));
    }
    if (contents.tailBytes > 0)
        report.file(
            path,
            QStringLiteral("記録 %2 の後ろに %1 バイトの切れた記録があります。次の成績がその上に書かれます")
                .arg(contents.tailBytes)
                .arg(contents.records.size()));
    checkLeftovers(inst, report);
}

// Attempts this computer kept while the results file could not be written. The check sees
// only the store of this computer's user running it: every other computer keeps its own.
void checkKeptAttempts(const Installation& inst, Report& report) {
    const QString store = inst.keptFolder + keptAttemptsFileName();
    const Outcome<KeptAttempts> kept = readKeptAttempts(inst.keptFolder);
    if (!kept) {
        report.file(store, kept.error().text());
        return;
    }
    if (kept->tornTail)
        report.file(store, QStringLiteral("最後の行が途中で切れています（書いている途中で止まりました）。"
                                          "その行は読まれず、次に書くときに削除されます"));
    if (kept->waiting.empty())
        return;
    report.file(
        store,
        QStringLiteral("このコンピューターに、成績ファイルにまだ書き込めていない成績が %1 件あります。"
                       "プログラムの次の起動、次の成績の記録、または kazurin2-admin check --repair "
                       "で書き込みます（調べたのはこのコンピューターのこのユーザーの控えだけです。"
                       "ほかのコンピューターの控えは、そのコンピューターで check を実行すると分かります）")
            .arg(kept->waiting.size()));
    qint64 number = 0;
    for (const KeptAttempt& a : kept->waiting) {
        const ResultRecord& r = a.record;
        const qint64 answers = a.answerLines.count('\n');
        report.atRecord(store, ++number,
                        QStringLiteral("%1 %2 番号 %3 レベル %4 %5、解答 %6 行")
                            .arg(dateFromOle(r.date).toString(Qt::ISODate),
                                 timeFromOle(r.time).toString(QStringLiteral("HH:mm:ss")))
                            .arg(r.bangou)
                            .arg(r.level)
                            .arg(r.recordedTime == StatisticsTables::kNoTime
                                     ? QStringLiteral("時間切れ")
                                     : QStringLiteral("%1 秒").arg(r.recordedTime))
                            .arg(answers));
    }
}

// The answer log: unreadable and torn lines, and how it matches the results file.
void checkAnswerLog(const Installation& inst, Report& report) {
    const QString path = inst.programDataFolder + answerLogFileName();
    // The lines are audited as they are read, not kept: a school's year of answers is
    // tens of megabytes.
    AnswerLogAuditor auditor;
    const Outcome<AnswerLogContents> log = readWaiting(report.waitSeconds(), [&] {
        auditor = AnswerLogAuditor(); // a read tried again starts over
        return readAnswerLog(path, {}, [&auditor](const AnswerLogLine& line) { auditor.add(line); });
    });
    if (!log) {
        report.file(path, log.error().text());
        return;
    }
    if (log->fileMissing)
        return; // no station logs answers (yet): nothing to hold against the results
    if (log->headerMissing)
        report.atLine(path, 1,
                      QStringLiteral("1 行目が見出し行ではありません。見出し: ") +
                          QString::fromLatin1(answerLogHeader()));
    // A log of garbage has a problem on every line: the first ones say what is wrong.
    constexpr qsizetype kListedProblems = 20;
    for (qsizetype i = 0; i < log->problems.size() && i < kListedProblems; ++i) {
        const AnswerLogProblem& p = log->problems[i];
        report.atLine(path, static_cast<int>(p.line),
                      p.torn ? p.what + QStringLiteral("（この行は読み飛ばされます）") : p.what);
    }
    if (log->problemCount > kListedProblems)
        report.file(path, QStringLiteral("ほかに %1 行が読めません（読み飛ばされます）")
                              .arg(log->problemCount - kListedProblems));
    const Outcome<ResultsFileContents> read =
        readWaiting(report.waitSeconds(), [&] { return readAllResults(inst.resultsPath()); });
    if (!read)
        return; // reported with the results file
    const ResultsFileContents& results = *read;
    const AnswerLogAudit audit = auditor.finish(results);
    constexpr size_t kListed = 20;
    for (size_t i = 0; i < audit.attemptsWithoutAnswers.size() && i < kListed; ++i) {
        const qint64 n = audit.attemptsWithoutAnswers[i];
        const ResultRecord& r = results.records[static_cast<size_t>(n - 1)];
        report.atRecord(
            inst.resultsPath(), n,
            QStringLiteral(
                "番号 %1 のレベル %2（%3 %4）の記録に %5 の解答がありません（その時に書けなかったか、"
                "解答を記録しないコンピュータの記録です）")
                .arg(r.bangou)
                .arg(r.level)
                .arg(dateFromOle(r.date).toString(Qt::ISODate),
                     timeFromOle(r.time).toString(QStringLiteral("HH:mm:ss")), answerLogFileName()));
    }
    if (audit.attemptsWithoutAnswers.size() > kListed)
        report.file(inst.resultsPath(), QStringLiteral("ほかに %1 件の記録に %2 の解答がありません")
                                            .arg(audit.attemptsWithoutAnswers.size() - kListed)
                                            .arg(answerLogFileName()));
    for (size_t i = 0; i < audit.answersWithoutAttempt.size() && i < kListed; ++i) {
        const AnswerGroup& g = audit.answersWithoutAttempt[i];
        report.atLine(
            path, static_cast<int>(g.firstLine),
            QStringLiteral("%1 件の解答（番号 %2、レベル %3、%4 %5）に合う記録が成績ファイルにありません"
                           "（その後消去または変更されました）")
                .arg(g.lines)
                .arg(g.student)
                .arg(g.level)
                .arg(g.date.toString(Qt::ISODate), g.time.toString(QStringLiteral("HH:mm:ss"))));
    }
    if (audit.answersWithoutAttempt.size() > kListed)
        report.file(path, QStringLiteral("ほかに %1 組の解答に合う記録がありません")
                              .arg(audit.answersWithoutAttempt.size() - kListed));
}

// check --repair: finishes what an interrupted change or removal of records left and
// removes the temporaries of killed saves, telling each on out; the check that follows
// reports whatever is still there.
void repairLeftovers(const Installation& inst, QTextStream& out, int waitSeconds) {
    MaintenanceOptions options;
    options.wait = pauseMs;
    options.retryMs = kWaitStepMs;
    options.lockTries = qMax(1, waitLimitMs(waitSeconds) / kWaitStepMs);
    const QString journal = maintenanceJournalPath(inst.resultsTempPath());
    const Outcome<std::optional<QString>> recovered =
        recoverResultsFile(inst.resultsPath(), inst.resultsTempPath(), options);
    if (recovered && recovered.value())
        out << shortenForMessage(QDir::toNativeSeparators(journal), 200) << ": " << **recovered << "\n";
    for (const QString& removed : removeStaleSaveTemporaries(inst.programDataFolder))
        out << shortenForMessage(QDir::toNativeSeparators(removed), 200)
            << QStringLiteral(": 保存の途中で止まったときの一時ファイルを削除しました") << "\n";
    KeptOptions kept;
    kept.wait = pauseMs;
    kept.retryMs = kWaitStepMs;
    kept.lockTries = options.lockTries;
    const Outcome<ReplayResult> replayed = replayKeptAttempts(
        inst.keptFolder, inst.resultsPath(), inst.programDataFolder + answerLogFileName(), kept);
    if (const QString told = keptReplayNotice(replayed); !told.isEmpty())
        out << shortenForMessage(QDir::toNativeSeparators(inst.keptFolder + keptAttemptsFileName()), 200)
            << ": " << QString(told).replace(u'\n', u' ') << "\n";
}

} // namespace

QString CheckCommand::summary() {
    return QStringLiteral("インストールのデータファイルをすべて読み、問題を一つずつ示します");
}

QString CheckCommand::help() {
    return QStringLiteral(
        "  check [--repair]\n"
        "               インストールのデータファイル（パスデータ、共通データ、名簿 新名簿.txt、\n"
        "               合格基準、音の設定、成績ファイル、解答の記録 問題別記録.csv）をすべて\n"
        "               読み、問題を一つずつ FILE:LINE: 内容 の形で示します（成績ファイルは\n"
        "               FILE:record N: …）。解答の記録がない成績と、成績のない解答の記録も\n"
        "               示します。記録の消去や変更が途中で止まって残った控え\n"
        "               成績累積データtemp.jnl とコピー 成績累積データtemp.dat（コピーが控えの\n"
        "               検査値と合うかどうか）、保存の途中で止まったときの一時ファイルも\n"
        "               示します。実行する利用者として、プログラムが書き込むことを確かめます:\n"
        "               成績ファイルを書き込みのために開いてロックを取って放し（何も書きま\n"
        "               せん）、成績のフォルダに一時ファイルを作って消し、合格基準と解答の\n"
        "               記録に書き込めるかを見ます。書き込めなければ、ファイル、利用者と\n"
        "               直し方（所有者、権限、共有のマウントのオプション）を示します。\n"
        "               問題があれば終了状態 1、なければ 0 です（「注意:」の行は問題に\n"
        "               数えません）。\n"
        "               --repair: 先に、途中で止まった記録の消去や変更を終え（プログラムの\n"
        "               起動と同じです）、保存の途中で止まったときの一時ファイルを削除して、\n"
        "               したことを一行ずつ示します。そのあと同じに調べます。\n"
        "               このコンピューターに残された成績（成績ファイルに書き込めなかったときの\n"
        "               控え、ユーザーの状態フォルダ ~/.local/state/kazurin2/ にあります）も\n"
        "               一件ずつ示します。調べるのは実行したコンピューターのこのユーザーの\n"
        "               控えだけです。--repair はそれを成績ファイルに書き込みます。\n");
}

Outcome<CheckCommand::Options> CheckCommand::parse(const QStringList& options) {
    Options parsed;
    for (const QString& option : options) {
        if (option == u"--repair")
            parsed.repair = true;
        else
            return refuseArgument(option);
    }
    return parsed;
}

int CheckCommand::run(const Options& options, const CommandRun& run) {
    QTextStream& out = run.out;
    // An installation that cannot be resolved is one of the problems check tells.
    Installation inst;
    if (const Status resolved = resolveInstallationPaths(run.programFolder, &inst); !resolved) {
        out << installationProblem(resolved.error()) << "\n";
        return ExitProblems;
    }
    if (options.repair)
        repairLeftovers(inst, out, run.waitSeconds);
    Report report(out, run.waitSeconds);
    checkPathFile(QDir::cleanPath(run.programFolder + QStringLiteral("/../パスデータ.txt")), report);
    checkSettings(inst, report);
    checkRoster(inst, report);
    checkCriteria(inst, report);
    checkSounds(inst, report);
    checkResults(inst, report);
    checkAnswerLog(inst, report);
    checkKeptAttempts(inst, report);
    checkRights(inst, report);
    if (const QString note = missingProgramMenuNote(inst); !note.isEmpty())
        report.note(QFileInfo(inst.launcherPath()).absolutePath(), note);
    if (report.count() == 0) {
        out << QStringLiteral("問題はありません\n");
        return ExitOk;
    }
    out << QStringLiteral("問題 %1 件\n").arg(report.count());
    return ExitProblems;
}

} // namespace kz::admin
