#include "data/keptattempts.h"

#include "data/maintenancejournal.h"
#include "platform/datafile.h"
#include "platform/filelock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <array>
#include <cstring>
#include <limits>

namespace kz {

namespace {

constexpr qint64 kRecord = ResultRecord::kSize;
const QByteArray kFormatLine = QByteArrayLiteral("kazurin2-kept 1");
constexpr int kStoreLockTries = 20;

constexpr std::array<const char*, 6> kStepNames{"Noted",          "Appended", "Recorded",
                                                "AnswersWritten", "Done",     "Emptied"};

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

Error storeError(const QString& path, const QString& what, const Error& cause) {
    return makeError(
        ErrorKind::WriteFailed,
        QStringLiteral("このコンピューターの成績の控え %1 を%2ことができません。").arg(shown(path), what),
        withMessage(cause, QString()).text(), cause.code);
}

// The store as read: what waits, where its last whole line ends and the last number given.
struct ParsedStore {
    KeptAttempts attempts;
    qint64 validBytes = 0;
    qint64 lastId = 0;
};

bool toNumber(const QByteArray& text, qint64* out) {
    bool ok = false;
    *out = text.toLongLong(&ok);
    return ok && *out >= 0;
}

Outcome<ParsedStore> parseStore(const QString& path, const QByteArray& bytes) {
    ParsedStore parsed;
    std::vector<KeptAttempt> all;
    std::vector<bool> done;
    auto find = [&](const QByteArray& text) -> qsizetype {
        qint64 id = 0;
        if (!toNumber(text, &id))
            return -1;
        for (size_t i = 0; i < all.size(); ++i) {
            if (all[i].id == id && !done[i])
                return static_cast<qsizetype>(i);
        }
        return -1;
    };
    int lineNumber = 0;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            break;
        const std::optional<QByteArray> entry = checkedEntry(bytes.mid(start, end - start));
        if (!entry)
            break; // cut short by a crash: the store ends before it
        ++lineNumber;
        const QList<QByteArray> f = entry->split(' ');
        bool understood = true;
        if (lineNumber == 1) {
            understood = *entry == kFormatLine;
        } else if (f.size() == 4 && f[0] == "kept") {
            KeptAttempt a;
            const QByteArray record = QByteArray::fromHex(f[2]);
            understood = toNumber(f[1], &a.id) && a.id > parsed.lastId && f[2].size() == 2 * kRecord &&
                         record.size() == kRecord;
            if (understood && f[3] != "-") {
                const auto answers =
                    QByteArray::fromBase64Encoding(f[3], QByteArray::AbortOnBase64DecodingErrors);
                understood = bool(answers);
                a.answerLines = answers.decoded;
            }
            if (understood) {
                a.record = decodeResultRecord(record.constData());
                parsed.lastId = a.id;
                all.push_back(a);
                done.push_back(false);
            }
        } else if (f.size() == 3 && f[0] == "replay") {
            const qsizetype i = find(f[1]);
            qint64 length = 0;
            understood = i >= 0 && toNumber(f[2], &length);
            if (understood)
                all[static_cast<size_t>(i)].replayBegun = true;
        } else if (f.size() == 2 && (f[0] == "recorded" || f[0] == "done")) {
            const qsizetype i = find(f[1]);
            understood = i >= 0;
            if (understood && f[0] == "recorded")
                all[static_cast<size_t>(i)].recordWritten = true;
            else if (understood)
                done[static_cast<size_t>(i)] = true;
        } else {
            understood = false;
        }
        if (!understood)
            return makeError(ErrorKind::Malformed,
                             QStringLiteral("このコンピューターの成績の控え %1 の %2 行目が読めない形です。")
                                 .arg(shown(path))
                                 .arg(lineNumber));
        start = end + 1;
        parsed.validBytes = start;
    }
    parsed.attempts.tornTail = parsed.validBytes < bytes.size();
    for (size_t i = 0; i < all.size(); ++i) {
        if (!done[i])
            parsed.attempts.waiting.push_back(all[i]);
    }
    return parsed;
}

// The store opened and locked for one operation: lines are added after its last whole
// line, each synced before the call returns.
class LockedStore {
public:
    explicit LockedStore(QString path) : path_(std::move(path)) {}

    Outcome<ParsedStore> openAndRead(const KeptOptions& options) {
        RetryRule rule;
        rule.access = FileAccess::Write;
        rule.heldWaitMs = options.retryMs;
        rule.triesAtMost = kStoreLockTries;
        const Status opened = retryWhileHeld(
            [&]() -> Status {
                if (Status e = file_.open(path_, SharedFile::Mode::ReadWriteCreate); !e)
                    return e;
                Status locked = file_.tryLockExclusive();
                if (!locked)
                    (void)file_.close();
                return locked;
            },
            options.wait, rule);
        if (!opened)
            return storeError(path_, QStringLiteral("開く"), opened.error());
        // Read through the locked handle: closing any other handle of the file would
        // give up the lock.
        const Outcome<qint64> size = file_.size();
        if (!size)
            return storeError(path_, QStringLiteral("読む"), size.error());
        QByteArray bytes(*size, Qt::Uninitialized);
        if (const Outcome<qint64> got = file_.readAt(0, bytes.data(), bytes.size()); !got)
            return storeError(path_, QStringLiteral("読む"), got.error());
        else
            bytes.truncate(*got);
        Outcome<ParsedStore> parsed = parseStore(path_, bytes);
        if (parsed)
            end_ = parsed->validBytes;
        return parsed;
    }

    Status add(const QByteArray& entry) {
        QByteArray lines = checkedLine(entry);
        if (end_ == 0)
            lines.prepend(checkedLine(kFormatLine));
        Status e = file_.writeAt(end_, lines.constData(), lines.size());
        if (e)
            e = file_.truncate(end_ + lines.size());
        if (e)
            e = file_.sync();
        if (!e)
            return storeError(path_, QStringLiteral("書き込む"), e.error());
        end_ += lines.size();
        return {};
    }

    Status empty() {
        Status e = file_.truncate(0);
        if (e)
            e = file_.sync();
        if (!e)
            return storeError(path_, QStringLiteral("空にする"), e.error());
        end_ = 0;
        return {};
    }

    ~LockedStore() {
        (void)file_.unlock();
        (void)file_.close();
    }
    Q_DISABLE_COPY_MOVE(LockedStore)

private:
    QString path_;
    SharedFile file_;
    qint64 end_ = 0;
};

QByteArray idText(const KeptAttempt& a) {
    return QByteArray::number(a.id);
}

// Whether the record's exact 44 bytes stand at a record's place in the results file
// (read through the locked handle).
Outcome<bool> holdsRecord(const SharedFile& live, const QByteArray& record) {
    const Outcome<qint64> size = live.size();
    if (!size)
        return size.error();
    QByteArray bytes(*size - *size % kRecord, Qt::Uninitialized);
    const Outcome<qint64> got = live.readAt(0, bytes.data(), bytes.size());
    if (!got)
        return got.error();
    for (qint64 at = 0; at + kRecord <= *got; at += kRecord) {
        if (std::memcmp(bytes.constData() + at, record.constData(), kRecord) == 0)
            return true;
    }
    return false;
}

// Whether the answer log holds the first of these lines: then all of them went in one write.
bool answerLogHolds(const QString& logPath, const QByteArray& lines) {
    const Outcome<QByteArray> log = readDataFile(logPath);
    const qsizetype end = lines.indexOf('\n');
    return log && end > 0 && log->contains(QByteArray('\n' + lines.left(end + 1)));
}

class Replay {
public:
    Replay(LockedStore& store, SharedFile& live, const QString& resultsPath, const QString& logPath,
           const KeptOptions& options, ReplayResult& result)
        : store_(store), live_(live), resultsPath_(resultsPath), logPath_(logPath), options_(options),
          result_(result) {}

    Status step(ReplayStep at) const { return options_.checkpoint ? options_.checkpoint(at) : Status{}; }

    // One attempt, from wherever an earlier replay stopped.
    Status attempt(const KeptAttempt& a) {
        const QByteArray record = encodeResultRecord(a.record);
        bool answersInDoubt = a.recordWritten;
        if (!a.recordWritten) {
            bool there = false;
            if (a.replayBegun) {
                const Outcome<bool> found = holdsRecord(live_, record);
                if (!found)
                    return resultsFileError(found.error(), resultsPath_, FileAccess::Read);
                there = *found;
            }
            if (!there) {
                if (Status s = append(a, record); !s)
                    return s;
            }
            if (Status s = store_.add("recorded " + idText(a)); !s)
                return s;
            if (Status s = step(ReplayStep::Recorded); !s)
                return s;
        }
        if (!a.answerLines.isEmpty() && !(answersInDoubt && answerLogHolds(logPath_, a.answerLines))) {
            if (!appendAnswerLines(logPath_, a.answerLines, options_.answerLog))
                result_.unplacedAnswers += a.answerLines;
        }
        if (Status s = step(ReplayStep::AnswersWritten); !s)
            return s;
        if (Status s = store_.add("done " + idText(a)); !s)
            return s;
        return step(ReplayStep::Done);
    }

private:
    // The record at the end of the results file, as every station appends: after the
    // last whole record, over a partial one.
    Status append(const KeptAttempt& a, const QByteArray& record) {
        const Outcome<qint64> length = live_.size();
        if (!length)
            return resultsFileError(length.error(), resultsPath_, FileAccess::Write);
        if (Status s = store_.add("replay " + idText(a) + ' ' + QByteArray::number(*length)); !s)
            return s;
        if (Status s = step(ReplayStep::Noted); !s)
            return s;
        Status written = live_.writeAt(*length - *length % kRecord, record.constData(), kRecord);
        if (written)
            written = live_.sync();
        if (!written) {
            (void)live_.truncate(*length); // as it was, so that the next try appends it once
            return resultsFileError(written.error(), resultsPath_, FileAccess::Write);
        }
        return step(ReplayStep::Appended);
    }

    LockedStore& store_;
    SharedFile& live_;
    const QString& resultsPath_;
    const QString& logPath_;
    const KeptOptions& options_;
    ReplayResult& result_;
};

} // namespace

QString userStateFolder() {
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
    return QStandardPaths::writableLocation(QStandardPaths::GenericStateLocation);
#else
    const QString xdg = qEnvironmentVariable("XDG_STATE_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return QDir::cleanPath(xdg);
    return QDir::homePath() + QStringLiteral("/.local/state");
#endif
}

QString keptAttemptsFolder(const QString& stateFolder, const QString& programDataFolder) {
    const QString absolute = QDir::cleanPath(QFileInfo(programDataFolder).absoluteFilePath());
    const QByteArray key =
        QCryptographicHash::hash(absolute.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return QDir::cleanPath(stateFolder) + QStringLiteral("/kazurin2/kept-") + QString::fromLatin1(key) + u'/';
}

QString keptAttemptsFileName() {
    return QStringLiteral("kept-attempts.log");
}

QString keptDataFolderFileName() {
    return QStringLiteral("data-folder.txt");
}

QString replayStepName(ReplayStep step) {
    return QString::fromLatin1(kStepNames[static_cast<size_t>(step)]);
}

std::optional<ReplayStep> replayStepNamed(const QString& name) {
    for (size_t i = 0; i < kStepNames.size(); ++i) {
        if (name == QLatin1String(kStepNames[i]))
            return static_cast<ReplayStep>(i);
    }
    return std::nullopt;
}

Outcome<KeptAttempts> readKeptAttempts(const QString& folder) {
    const QString path = folder + keptAttemptsFileName();
    KeptAttempts none;
    if (const Outcome<QByteArray> named = readDataFile(folder + keptDataFolderFileName(), 64 * 1024))
        none.dataFolder = QString::fromUtf8(*named).trimmed();
    const Outcome<QByteArray> read = readDataFile(path);
    if (!read) {
        if (read.error().kind == ErrorKind::NotFound)
            return none;
        return withMessage(
            read.error(),
            QStringLiteral("このコンピューターの成績の控え %1 を読めません。").arg(shown(path)));
    }
    Outcome<ParsedStore> parsed = parseStore(path, *read);
    if (!parsed)
        return parsed.error();
    parsed->attempts.dataFolder = none.dataFolder;
    return std::move(parsed->attempts);
}

Status keepAttempt(const QString& folder, const QString& dataFolder, const ResultRecord& record,
                   const QByteArray& answerLines, const KeptOptions& options) {
    if (folder.isEmpty())
        return makeError(ErrorKind::NotFound,
                         QStringLiteral("このコンピューターに成績を残すフォルダが決まっていません。"));
    const QString path = folder + keptAttemptsFileName();
    if (!QDir().mkpath(folder))
        return storeError(path, QStringLiteral("作る"),
                          makeError(ErrorKind::WriteFailed, QStringLiteral("フォルダを作れません")));
    const bool isNew = !QFileInfo::exists(path);
    // For a person looking into the folder, and for the companion's check: which data folder.
    if (!QFileInfo::exists(folder + keptDataFolderFileName()))
        (void)writeFileSafely(folder + keptDataFolderFileName(), dataFolder.toUtf8() + '\n');
    LockedStore store(path);
    const Outcome<ParsedStore> parsed = store.openAndRead(options);
    if (!parsed)
        return parsed.error();
    const QByteArray answers = answerLines.isEmpty() ? QByteArray("-") : answerLines.toBase64();
    if (Status s = store.add("kept " + QByteArray::number(parsed->lastId + 1) + ' ' +
                             encodeResultRecord(record).toHex() + ' ' + answers);
        !s)
        return s;
    if (isNew)
        (void)syncFolder(folder);
    return {};
}

Outcome<ReplayResult> replayKeptAttempts(const QString& folder, const QString& resultsPath,
                                         const QString& answerLogPath, const KeptOptions& options) {
    ReplayResult result;
    const QString path = folder + keptAttemptsFileName();
    if (folder.isEmpty() || QFileInfo(path).size() == 0)
        return result; // no store, or nothing kept since it was last emptied
    LockedStore store(path);
    const Outcome<ParsedStore> parsed = store.openAndRead(options);
    if (!parsed)
        return parsed.error();
    const std::vector<KeptAttempt>& waiting = parsed->attempts.waiting;
    if (!waiting.empty()) {
        SharedFile live;
        RetryRule rule;
        rule.access = FileAccess::Write;
        rule.heldWaitMs = options.retryMs;
        rule.triesAtMost = options.lockTries;
        const Status locked = retryWhileHeld(
            [&]() -> Status {
                if (Status e = live.open(resultsPath, SharedFile::Mode::ReadWriteCreate); !e)
                    return e;
                Status l = live.tryLockExclusive();
                if (!l)
                    (void)live.close();
                return l;
            },
            options.wait, rule);
        if (!locked) {
            result.waiting = static_cast<int>(waiting.size());
            result.stopped = resultsFileError(locked.error(), resultsPath, FileAccess::Write);
            return result;
        }
        Replay replay(store, live, resultsPath, answerLogPath, options, result);
        for (const KeptAttempt& a : waiting) {
            if (Status s = replay.attempt(a); !s) {
                result.stopped = s.error();
                break;
            }
            ++result.recorded;
        }
        (void)live.unlock();
        (void)live.close();
        result.waiting = static_cast<int>(waiting.size()) - result.recorded;
        if (result.waiting > 0)
            return result;
    } else if (parsed->validBytes == 0 && !parsed->attempts.tornTail) {
        return result; // empty already
    }
    if (Status s = store.empty(); !s) {
        result.stopped = s.error();
        return result;
    }
    if (options.checkpoint) {
        if (Status s = options.checkpoint(ReplayStep::Emptied); !s)
            result.stopped = s.error();
    }
    return result;
}

QString keptReplayNotice(const Outcome<ReplayResult>& replay) {
    if (!replay)
        return replay.error().text();
    QStringList lines;
    if (replay->recorded > 0)
        lines << QStringLiteral("このコンピューターに残していた成績 %1 件を成績ファイルに記録しました。")
                     .arg(replay->recorded);
    if (replay->waiting > 0) {
        QString waiting = QStringLiteral("成績ファイルに書き込めなかった成績が、このコンピューターに %1 件"
                                         "残っています。書き込めるようになったら記録します。")
                              .arg(replay->waiting);
        if (replay->stopped)
            waiting += u'\n' + replay->stopped->text();
        lines << waiting;
    }
    return lines.join(u'\n');
}

} // namespace kz
