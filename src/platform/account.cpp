#include "platform/account.h"

#include <QFile>
#include <QSysInfo>

#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kz {

namespace {

QString userName(uid_t uid) {
    if (const passwd* pw = ::getpwuid(uid); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return QString::number(uid);
}

QString groupName(gid_t gid) {
    if (const group* gr = ::getgrgid(gid); gr && gr->gr_name)
        return QString::fromLocal8Bit(gr->gr_name);
    return QString::number(gid);
}

QString permissionBits(mode_t mode) {
    QString bits;
    for (const mode_t shift : {6, 3, 0}) {
        bits += (mode >> shift) & 4 ? u'r' : u'-';
        bits += (mode >> shift) & 2 ? u'w' : u'-';
        bits += (mode >> shift) & 1 ? u'x' : u'-';
    }
    if (mode & S_ISVTX)
        bits[8] = (mode & 1) ? u't' : u'T';
    return bits;
}

} // namespace

QString runningUserText() {
    const uid_t uid = ::geteuid();
    return QStringLiteral("%1（uid %2）").arg(userName(uid)).arg(uid);
}

QString runningUserName() {
    return userName(::geteuid());
}

QString ownershipText(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return QStringLiteral("所有者 %1、グループ %2、権限 %3")
        .arg(userName(st.st_uid), groupName(st.st_gid), permissionBits(st.st_mode));
}

QString computerName() {
    return QSysInfo::machineHostName();
}

bool processRunning(qint64 pid) {
    if (pid <= 0)
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

} // namespace kz
