#include "admin/cli/locktest.h"

#include "admin/cli/cliarguments.h"
#include "admin/cli/commands.h"

#include "platform/filelock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>

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
                          "               （終了状態 3）。フォルダでロックが働かないときはそう知らせます\n"
                          "               （終了状態 1）。成績は書きません。成績ファイルがないときは空の\n"
                          "               ファイルを作ります。\n");
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

    const Status locked = file.tryLockExclusive();
    if (!locked && locked.error().kind == ErrorKind::Locked) {
        out << "ほかのコンピューターがロックしています: "
               "ほかのコンピューター（またはこのコンピューターのほかの"
               "プログラム）が成績ファイルをロックしています。ロックはコンピューターの間で働いています。同時"
               "に"
               "記録される成績は、順番を待ちます。\n";
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

    out << "ロックしました。" << holdSeconds
        << " 秒のあいだロックしたままにします。今、ほかのコンピューターで \"kazurin2-admin lock-test\" "
        << "を実行してください。「ほかのコンピューターがロックしています」と出れば正しく働いています。\n";
    if (!concern.isEmpty())
        out << "警告: " << concern << "\n";
    out.flush();
    for (int s = 0; s < holdSeconds; ++s)
        QThread::sleep(1);
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
