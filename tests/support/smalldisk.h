#pragma once

// A full disk for the tests of writes that must fail cleanly: a small tmpfs mounted on a
// temporary folder. Mounting needs root rights; where the system refuses, the test skips
// with the reason. Also FIFOs where data files belong. Header only.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace kz::test {

class SmallDisk {
public:
    // kilobytes: the size of the file system.
    explicit SmallDisk(int kilobytes = 64) {
        if (!folder_.isValid()) {
            reason_ = QStringLiteral("no temporary folder");
            return;
        }
        QProcess mount;
        mount.start(QStringLiteral("mount"),
                    {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                     QStringLiteral("size=%1k").arg(kilobytes), QStringLiteral("tmpfs"), folder_.path()});
        if (!mount.waitForFinished(10000) || mount.exitStatus() != QProcess::NormalExit ||
            mount.exitCode() != 0) {
            reason_ = QStringLiteral("cannot mount a small tmpfs here (%1)")
                          .arg(QString::fromLocal8Bit(mount.readAllStandardError()).trimmed());
            return;
        }
        mounted_ = true;
    }
    ~SmallDisk() {
        if (mounted_)
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), folder_.path()});
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    QString skipReason() const { return reason_; }
    QString path(const QString& name) const { return folder_.filePath(name); }

    // Fills the disk up to the last few kilobytes with a file of its own.
    bool fill(int leaveKilobytes = 4) const {
        QFile filler(path(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly))
            return false;
        const QByteArray block(1024, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();
        return filler.resize(qMax<qint64>(0, filler.size() - qint64(leaveKilobytes) * 1024));
    }

private:
    QTemporaryDir folder_;
    bool mounted_ = false;
    QString reason_;
};

// A named pipe at path (replacing a file there); false when one cannot be made.
inline bool makeFifo(const QString& path) {
    QFile::remove(path);
    return ::mkfifo(QFile::encodeName(path).constData(), 0666) == 0;
}

} // namespace kz::test

#define KZ_SKIP_UNLESS_MOUNTED(disk)                                                                         \
    do {                                                                                                     \
        if (!(disk).mounted())                                                                               \
            QSKIP(qPrintable((disk).skipReason()));                                                          \
    } while (false)
