#include "admin/cli/locktest.h"

#include "admin/cli/cliarguments.h"
#include "admin/cli/commands.h"

#include "platform/account.h"
#include "platform/datafile.h"
#include "platform/filelock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTextStream>
#include <QThread>

#include <csignal>

namespace kz::admin {

namespace {

// Mount points in mountinfo write a space, a tab, a line break and a backslash as
// octal escapes ("\040").
QString unescapeMountField(const QString& field) {
    QString result;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == u'\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                result += QChar(code);
                i += 3;
                continue;
            }
        }
        result += field[i];
    }
    return result;
}

bool isUnder(const QString& path, const QString& mountPoint) {
    if (mountPoint == u"/")
        return path.startsWith(u'/');
    return path == mountPoint || path.startsWith(mountPoint + u'/');
}

bool hasOption(const QString& options, QStringView name) {
    const QStringList list = options.split(u',');
    for (const QString& o : list) {
        if (o == name)
            return true;
    }
    return false;
}

QString readMountInfo() {
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// The existing folder nearest to path, without symbolic links.
QString canonicalFolderOf(const QString& path) {
    QFileInfo info(QFileInfo(path).absolutePath());
    while (!info.exists() && !info.isRoot())
        info = QFileInfo(info.absolutePath());
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

namespace {

volatile std::sig_atomic_t stopHolding = 0;
extern "C" void noteStop(int) {
    stopHolding = 1;
}

} // namespace

QString lockHolderFileName() {
    return QStringLiteral("ロックテスト中.txt");
}

LockHolder thisComputer() {
    return {computerName(), QString::fromLatin1(QSysInfo::machineUniqueId()),
            QCoreApplication::applicationPid()};
}

QByteArray lockHolderText(const LockHolder& holder) {
    return "computer=" + holder.computer.toUtf8() + "\nmachine-id=" + holder.machineId.toUtf8() +
           "\npid=" + QByteArray::number(holder.pid) + "\n";
}

std::optional<LockHolder> readLockHolder(const QString& path) {
    const Outcome<QByteArray> bytes = readDataFile(path, kMaxLockHolderBytes);
    if (!bytes)
        return std::nullopt;
    LockHolder holder;
    bool named = false;
    for (const QByteArray& line : bytes->split('\n')) {
        const QString text = QString::fromUtf8(line).trimmed();
        const QString value = text.section(u'=', 1);
        if (text.startsWith(u"computer=")) {
            holder.computer = value;
            named = !value.isEmpty();
        } else if (text.startsWith(u"machine-id=")) {
            holder.machineId = value;
        } else if (text.startsWith(u"pid=")) {
            holder.pid = value.toLongLong();
        }
    }
    if (!named)
        return std::nullopt;
    return holder;
}

bool sameComputer(const LockHolder& a, const LockHolder& b) {
    if (!a.machineId.isEmpty() && !b.machineId.isEmpty())
        return a.machineId == b.machineId;
    return a.computer == b.computer;
}

MountFacts mountFactsFrom(const QString& mountInfo, const QString& path) {
    MountFacts best;
    const QStringList lines = mountInfo.split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        // id parent major:minor root mountpoint options [optional fields] - fstype source superoptions
        const QStringList fields = line.split(u' ');
        const qsizetype dash = fields.indexOf(QStringLiteral("-"));
        if (dash < 6 || dash + 2 >= fields.size())
            continue;
        const QString mountPoint = unescapeMountField(fields[4]);
        if (!isUnder(path, mountPoint) || mountPoint.size() < best.mountPoint.size())
            continue;
        best.mountPoint = mountPoint;
        best.fileSystem = fields.value(dash + 1);
        best.source = unescapeMountField(fields.value(dash + 2));
        best.options = fields[5] + u',' + fields.value(dash + 3);
    }
    return best;
}

bool isNetworkFileSystem(const QString& fs) {
    return fs.startsWith(u"nfs") || fs == u"cifs" || fs == u"smb3" || fs == u"smbfs" ||
           fs.startsWith(u"fuse.") || fs == u"9p" || fs == u"ceph" || fs == u"glusterfs";
}

QString lockingConcern(const MountFacts& m) {
    const QString& fs = m.fileSystem;
    if (fs.startsWith(u"nfs")) {
        if (hasOption(m.options, u"nolock"))
            return QStringLiteral(
                "NFS の共有が「nolock」でマウントされています。ロックはこのコンピューターの中だけで、"
                "ほかのコンピューターには見えません。nolock なしでマウントしてください。");
        if (hasOption(m.options, u"local_lock=all") || hasOption(m.options, u"local_lock=posix"))
            return QStringLiteral(
                "NFS の共有がローカルのロック（local_lock=all または posix）でマウントされています。"
                "ロックはこのコンピューターの中だけで、ほかのコンピューターには見えません。"
                "local_lock=none でマウントしてください。");
    }
    if ((fs == u"cifs" || fs == u"smb3") && hasOption(m.options, u"nobrl"))
        return QStringLiteral(
            "SMB の共有が「nobrl」（範囲ロックなし）でマウントされています。ロックはこのコンピュー"
            "ターの中だけで、ほかのコンピューターには見えません。nobrl なしでマウントしてください。");
    if (fs.startsWith(u"fuse."))
        return QStringLiteral(
                   "フォルダは FUSE のファイルシステム（%1）にあり、ふつうロックはこのコンピューターの中"
                   "だけです。カーネルの NFS か SMB のクライアントで共有につないでください。")
            .arg(fs.mid(5));
    return {};
}

QString LockTestCommand::summary() {
    return QStringLiteral("成績ファイルのロックがコンピューターの間で働くか試します");
}

QString LockTestCommand::help() {
    return QStringLiteral("  lock-test [--hold SECONDS]\n"
                          "               成績を記録するたびに使う成績ファイルのロックを取り、SECONDS 秒\n"
                          "               （省略時 60）持ちます。一台目のコンピューターで実行し、データ\n"
                          "               フォルダを共有する二台目でも実行してください。二台目は\n"
                          "               「ほかのコンピューターがロックしています」と知らせるはずです\n"
                          "               （終了状態 3）。ロックを持つ間、成績のフォルダの\n"
                          "               ロックテスト中.txt にこのコンピューターの名前を書き（放すときに\n"
                          "               消します）、二回目はそれを読んで、同じコンピューターのロック\n"
                          "               なら「このコンピューターがロックしています」と知らせます（終了\n"
                          "               状態 4。二台目で試してください）。フォルダでロックが働かない\n"
                          "               ときはそう知らせます（終了状態 1）。成績は書きません。成績\n"
                          "               ファイルがないときは空のファイルを作ります。\n");
}

Outcome<LockTestCommand::Options> LockTestCommand::parse(const QStringList& args) {
    Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (!isOption(args[i], QStringLiteral("--hold")))
            return refuseArgument(args[i]);
        const Outcome<int> n =
            numberOption(args, &i, QStringLiteral("--hold"), 0, 86400, QStringLiteral("秒数"));
        if (!n)
            return n.error();
        options.holdSeconds = *n;
    }
    return options;
}

int LockTestCommand::run(const Options& options, const CommandRun& run) {
    const std::optional<Installation> installation = installationOrTell(run);
    if (!installation)
        return ExitProblems;
    const Installation& inst = *installation;
    const int holdSeconds = options.holdSeconds.value_or(60);
    QTextStream& out = run.out;
    QTextStream& err = run.err;
    const QString path = inst.resultsPath();
    const QString shown = QDir::toNativeSeparators(path);
    out << "成績ファイル: " << shown << "\n";

    const MountFacts mount = mountFactsFrom(readMountInfo(), canonicalFolderOf(path));
    if (!mount.fileSystem.isEmpty()) {
        out << "ファイルシステム: " << mount.fileSystem << "（" << mount.source << " を " << mount.mountPoint
            << " に）"
            << (isNetworkFileSystem(mount.fileSystem) ? "、ネットワークの共有"
                                                      : "、このコンピューターのディスク")
            << "\n";
    }
    const QString concern = lockingConcern(mount);

    const bool existed = QFileInfo::exists(path);
    SharedFile file;
    if (const Status opened = file.open(path, SharedFile::Mode::ReadWriteCreate); !opened) {
        err << "kazurin2-admin: "
            << withMessage(opened.error(), QStringLiteral("成績ファイル %1 を開けません").arg(shown)).text()
            << "\n";
        return ExitProblems;
    }
    if (!existed)
        out << "成績ファイルはまだありませんでした。最初の成績を記録するときと同じように、空のファイルを作り"
               "ました\n";

    const QString holderPath = inst.programDataFolder + lockHolderFileName();
    const Status locked = file.tryLockExclusive();
    if (!locked && locked.error().kind == ErrorKind::Locked) {
        const std::optional<LockHolder> holder = readLockHolder(holderPath);
        if (!holder) {
            out << "ロックされています: 成績ファイルをロックしているのは lock-test "
                   "ではないので、どのコンピューター"
                   "かはわかりません（今、成績を記録しているプログラムかもしれません）。少し待ってから、"
                   "もう一度試してください。\n";
            return ExitLockHeldUntold;
        }
        if (sameComputer(*holder, thisComputer()) && processRunning(holder->pid)) {
            out << "このコンピューターがロックしています: このコンピューター（" << holder->computer
                << "）の lock-test（プロセス " << holder->pid
                << "）が成績ファイルをロックしています。同じコンピューターの中でロックが働くことはわかり"
                   "ましたが、共有のロックを試すには、二台目のコンピューターで lock-test "
                   "を実行してください。\n";
            return ExitLockHeldUntold;
        }
        if (sameComputer(*holder, thisComputer())) {
            out << "ロックされています: このコンピューターの lock-test の古いメモ（"
                << QDir::toNativeSeparators(holderPath)
                << "）が残っていますが、その lock-test はもう動いていません。ロックしているのがどのコン"
                   "ピューターかはわかりません。少し待ってから、もう一度試してください。\n";
            return ExitLockHeldUntold;
        }
        out << "ほかのコンピューターがロックしています: コンピューター " << holder->computer
            << " の lock-test が成績ファイルをロックしています。ロックはコンピューターの間で働いています。"
               "同時に記録される成績は、順番を待ちます。\n";
        if (!concern.isEmpty())
            out << "注意: " << concern << "\n";
        return ExitLockHeld;
    }
    if (!locked) {
        out << "このフォルダではロックが働きません: " << withMessage(locked.error(), QString()).text()
            << "\n"
               "二台のコンピューターが同時に成績を記録すると、互いの成績を上書きするおそれがあります。\n";
        if (!concern.isEmpty())
            out << "原因: " << concern << "\n";
        else
            out << "範囲ロックが使えるように共有をマウントしてください（NFS: nolock と local_lock なし、SMB: "
                   "nobrl なし）。\n";
        return ExitProblems;
    }

    // Which computer holds the lock, for a second run to tell; removed before letting go.
    const bool holderWritten = writeFileSafely(holderPath, lockHolderText(thisComputer())).ok();
    if (!holderWritten)
        err << "kazurin2-admin: " << QDir::toNativeSeparators(holderPath)
            << " にこのコンピューターの名前を書けませんでした。二台目のコンピューターは、ロックしている"
               "のがどのコンピューターかを知らせられません\n";
    out << "ロックしました（コンピューター " << computerName() << "）。" << holdSeconds
        << " 秒のあいだロックしたままにします。今、ほかのコンピューターで \"kazurin2-admin lock-test\" "
        << "を実行してください。「ほかのコンピューターがロックしています」と出れば正しく働いています。\n";
    if (!concern.isEmpty())
        out << "警告: " << concern << "\n";
    out.flush();
    // Ctrl+C or a kill ends the hold early, the note removed and the lock let go.
    stopHolding = 0;
    const auto previousInt = std::signal(SIGINT, noteStop);
    const auto previousTerm = std::signal(SIGTERM, noteStop);
    for (int s = 0; s < holdSeconds * 10 && !stopHolding; ++s)
        QThread::msleep(100);
    std::signal(SIGINT, previousInt);
    std::signal(SIGTERM, previousTerm);
    if (holderWritten)
        (void)QFile::remove(holderPath);
    const Status released = file.unlock();
    (void)file.close();
    if (!released) {
        err << "kazurin2-admin: "
            << withMessage(released.error(), QStringLiteral("ロックを解けませんでした")).text() << "\n";
        return ExitProblems;
    }
    out << "ロックを解きました。成績ファイルには何も書いていません。\n";
    return concern.isEmpty() ? ExitOk : ExitProblems;
}

} // namespace kz::admin
