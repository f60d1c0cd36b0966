#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// kazurin2-admin lock-test (LockTestCommand): takes the results file's lock, the one every
// append takes, and holds it for a while, so that a second computer can show whether the
// share carries the lock across to it. Without waiting for the lock; the file is created
// empty when missing, no record is ever written. Exit status: 0 lock taken and released,
// ExitLockHeld another computer holds it, ExitLockHeldUntold it is held on this computer
// (or by a holder that did not say where), 1 locking does not work or the file cannot be
// opened.
namespace kz::admin {

// Exit status of lock-test when another computer holds the lock: the share carries it.
inline constexpr int ExitLockHeld = 3;
// Exit status when the lock is held on this computer, or by a holder that did not say
// which computer it is on: nothing is known about the share.
inline constexpr int ExitLockHeldUntold = 4;

// The note lock-test leaves beside the lock while it holds it (and removes when it lets
// go), so that a second run can tell which computer holds the lock. Lines "computer=",
// "machine-id=" and "pid=", UTF-8.
struct LockHolder {
    QString computer;  // the computer's network name
    QString machineId; // the system's installation id, where there is one
    qint64 pid = 0;
};
inline constexpr qint64 kMaxLockHolderBytes = 4096;
QString lockHolderFileName(); // "ロックテスト中.txt", in the program's data folder
LockHolder thisComputer();
QByteArray lockHolderText(const LockHolder& holder);
// The holder a note names; nothing when the note is missing, no file or unreadable.
std::optional<LockHolder> readLockHolder(const QString& path);
// Whether two holders are on one computer: by the installation id when both have one
// (cloned computers may share a name), else by name.
bool sameComputer(const LockHolder& a, const LockHolder& b);

// How the folder holding a file is mounted (Linux); empty texts when unknown.
struct MountFacts {
    QString mountPoint;
    QString fileSystem; // "nfs4", "cifs", "ext4", …
    QString source;     // "server:/export", "//server/share", "/dev/sda1", …
    QString options;    // mount options and file system options, comma separated
};

// The mount that holds path, from a mountinfo text as /proc/self/mountinfo has it.
MountFacts mountFactsFrom(const QString& mountInfo, const QString& path);

// Why locks taken on a file system mounted so could not reach other computers (empty
// when nothing speaks against it): NFS mounted with nolock or local locks, SMB without
// byte-range locks, FUSE file systems.
QString lockingConcern(const MountFacts& mount);

// Whether the file system is reached over the network.
bool isNetworkFileSystem(const QString& fileSystem);

} // namespace kz::admin
