#include "admin/cli/admincli.h"
#include "admin/cli/locktest.h"

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
                "the NFS share is mounted with \"nolock\": locks stay on this computer and the "
                "other computers never see them. Mount it without nolock.");
        if (hasOption(m.options, u"local_lock=all") || hasOption(m.options, u"local_lock=posix"))
            return QStringLiteral(
                "the NFS share is mounted with local locks (local_lock=all or posix): locks stay "
                "on this computer and the other computers never see them. Mount it with "
                "local_lock=none.");
    }
    if ((fs == u"cifs" || fs == u"smb3") && hasOption(m.options, u"nobrl"))
        return QStringLiteral(
            "the SMB share is mounted with \"nobrl\" (no byte-range locks): locks stay on this "
            "computer and the other computers never see them. Mount it without nobrl.");
    if (fs.startsWith(u"fuse."))
        return QStringLiteral("the folder is on a FUSE file system (%1), which usually keeps locks on this "
                              "computer. Reach the share through the kernel's NFS or SMB client instead.")
            .arg(fs.mid(5));
    return {};
}

int runLockTest(const Installation& inst, int holdSeconds, QTextStream& out, QTextStream& err) {
    const QString path = inst.resultsPath();
    const QString shown = QDir::toNativeSeparators(path);
    out << "results file: " << shown << "\n";

    const MountFacts mount = mountFactsFrom(readMountInfo(), canonicalFolderOf(path));
    if (!mount.fileSystem.isEmpty()) {
        out << "file system: " << mount.fileSystem << " (" << mount.source << " on " << mount.mountPoint
            << ")"
            << (isNetworkFileSystem(mount.fileSystem) ? ", a network share" : ", a disk of this computer")
            << "\n";
    }
    const QString concern = lockingConcern(mount);

    const bool existed = QFileInfo::exists(path);
    SharedFile file;
    if (const FileError e = file.open(path, SharedFile::Mode::ReadWriteCreate); !e.ok()) {
        err << "kazurin2-admin: cannot open the results file " << shown << ": " << e.description << " (error "
            << e.number << ")\n";
        return ExitProblems;
    }
    if (!existed)
        out << "the results file did not exist yet; it was created empty, as the first attempt would\n";

    const FileError locked = file.tryLockExclusive();
    if (locked.kind == FileError::InUse) {
        out << "LOCK HELD BY ANOTHER STATION: another computer (or another program on this computer) holds "
               "the "
               "lock of the results file. Locking works between them: attempts recorded at the same moment "
               "wait for each other.\n";
        if (!concern.isEmpty())
            out << "note: " << concern << "\n";
        return ExitLockHeld;
    }
    if (!locked.ok()) {
        out << "LOCKING DOES NOT WORK on this folder: " << locked.description << " (error " << locked.number
            << ").\n"
               "Two computers recording an attempt at the same moment could write over each other's "
               "results.\n";
        if (!concern.isEmpty())
            out << "reason: " << concern << "\n";
        else
            out << "Mount the share with byte-range locks (NFS: without nolock and local_lock; SMB: without "
                   "nobrl).\n";
        return ExitProblems;
    }

    out << "lock taken. Holding it for " << holdSeconds
        << " seconds: run \"kazurin2-admin lock-test\" on another "
        << "computer now; it must report LOCK HELD BY ANOTHER STATION.\n";
    if (!concern.isEmpty())
        out << "WARNING: " << concern << "\n";
    out.flush();
    for (int s = 0; s < holdSeconds; ++s)
        QThread::sleep(1);
    const FileError released = file.unlock();
    file.close();
    if (!released.ok()) {
        err << "kazurin2-admin: releasing the lock failed: " << released.description << "\n";
        return ExitProblems;
    }
    out << "lock released. Nothing was written to the results file.\n";
    return concern.isEmpty() ? ExitOk : ExitProblems;
}

} // namespace kz::admin
