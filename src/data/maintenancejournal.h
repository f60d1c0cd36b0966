#pragma once

#include "platform/outcome.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The journal of a change or removal of results records: a small text file beside the
// copy "成績累積データtemp.dat" that says what is being done and how far it got, so that
// whoever finds it can finish the work exactly. Older versions of the program know only
// the copy; they never open the journal and are not misled by it (the copy stays a plain
// copy of the results file).
//
// One ASCII line per entry, each ending in a check value of its own: a line cut short by a
// crash fails its check and ends the journal there. The first two lines are written
// together, through a temporary file renamed into place, so a journal never exists
// without them. Every later line is synced before the step it records is taken.
//
//   kazurin2-journal 1                 format
//   remove K L SHA256                  record K goes; the results file had L bytes and
//                                      the copy holds those bytes (SHA-256 of them)
//   change K OLD NEW                   record K (44 bytes, hex) changes from OLD to NEW
//   copied                             the copy is complete and synced
//   rewrite P C F N HEX                rewrite number P: the results file (C bytes long
//                                      now) is rewritten to F bytes: the copy's records
//                                      (all of them after a rollback, else all but K)
//                                      followed by the N records HEX appended since the
//                                      removal began
//   marked P                           behind the rewritten records lies the end mark
//   rollback                           the work is undone instead of finished
//   done                               the results file is right; copy and journal go
namespace kz {

struct MaintenanceJournal {
    enum class Kind { Remove, Change };
    Kind kind = Kind::Remove;
    qint32 recordNumber = 0;
    // Remove: the results file's length when the removal began, and the copy's digest.
    qint64 lengthBefore = 0;
    QByteArray copyDigest; // hex SHA-256
    // Change: the record's bytes before and after.
    QByteArray oldRecord;
    QByteArray newRecord;

    bool copied = false;
    bool rollback = false;
    bool done = false;
    // The last rewrite begun, if any.
    struct Rewrite {
        int number = 0;
        qint64 lengthThen = 0; // the results file's length when it was recorded
        qint64 target = 0;     // the length it is rewritten to
        QByteArray appended;   // whole records appended since the removal began
        bool marked = false;
    };
    std::optional<Rewrite> rewrite;

    qint64 validBytes = 0; // length of the journal up to its last whole line
};

// The journal's path for the copy's path: "成績累積データtemp.dat" gives "成績累積データtemp.jnl".
QString maintenanceJournalPath(const QString& copyPath);

// The digest a removal's journal records for the copy's bytes.
QByteArray copyDigestOf(const QByteArray& bytes);

// Reads the journal; none when there is no file. Malformed when its first two lines are
// not whole (a foreign or damaged file); lines after a line cut short are ignored.
Outcome<std::optional<MaintenanceJournal>> readMaintenanceJournal(const QString& path);

// Writes the journal: each entry is added after the last whole line (a line cut short by
// a crash is cut off first) and synced before the call returns.
class JournalWriter {
public:
    // Creates the journal with its first two lines; the file must not exist yet.
    static Outcome<JournalWriter> beginRemoval(const QString& path, qint32 recordNumber, qint64 lengthBefore,
                                               const QByteArray& copyDigest);
    static Outcome<JournalWriter> beginChange(const QString& path, qint32 recordNumber,
                                              const QByteArray& oldRecord, const QByteArray& newRecord);
    // Goes on with a journal read back.
    explicit JournalWriter(const QString& path, const MaintenanceJournal& read);

    Status copied();
    Status rewrite(int number, qint64 lengthThen, qint64 target, const QByteArray& appended);
    Status marked(int number);
    Status rollback();
    Status done();

private:
    JournalWriter(QString path, qint64 end) : path_(std::move(path)), end_(end) {}
    Status add(const QByteArray& entry);
    QString path_;
    qint64 end_ = 0;
};

} // namespace kz
