#pragma once

#include <QString>

// kazurin2-admin lock-test (LockTestCommand): takes the results file's lock, the one every
// append takes, and holds it for a while, so that a second computer can show whether the
// share carries the lock across to it. Without waiting for the lock; the file is created
// empty when missing, no record is ever written. Exit status: 0 lock taken and released,
// ExitLockHeld another station holds it, 1 locking does not work or the file cannot be
// opened.
namespace kz::admin {

// Exit status of lock-test when another station holds the lock.
inline constexpr int ExitLockHeld = 3;

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
