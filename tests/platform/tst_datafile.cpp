#include "platform/datafile.h"
#include "platform/filelock.h"
#include "support/smalldisk.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kz;
using kz::test::readBytes;
using kz::test::writeBytes;

namespace {

QStringList temporariesIn(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden);
}

} // namespace

class TestDataFile : public QObject {
    Q_OBJECT
private slots:
    void whatIsNoFileIsRefusedAtOnce_data();
    void whatIsNoFileIsRefusedAtOnce();
    void saveReplacesTheWholeFile();
    void failedStepLeavesTheOldFile_data();
    void failedStepLeavesTheOldFile();
    void fullDiskLeavesTheOldFile();
    void staleTemporaryIsFoundAndRemoved();
};

// A folder, a named pipe or a device where a data file belongs: every way of opening it
// answers at once, naming what is there (a pipe without a writer would otherwise hold
// the reader in open() for ever).
void TestDataFile::whatIsNoFileIsRefusedAtOnce_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("detail");
    QTest::newRow("folder") << "folder" << QStringLiteral("フォルダです");
    QTest::newRow("named pipe") << "fifo" << QStringLiteral("名前付きパイプ");
    QTest::newRow("device") << "device" << QStringLiteral("デバイスです");
    QTest::newRow("missing") << "missing" << QStringLiteral("ファイルがありません");
}

void TestDataFile::whatIsNoFileIsRefusedAtOnce() {
    QFETCH(QString, kind);
    QFETCH(QString, detail);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("成績累積データ.dat"));
    if (kind == u"folder")
        QVERIFY(QDir().mkdir(path));
    else if (kind == u"fifo")
        QVERIFY(test::makeFifo(path));
    else if (kind == u"device")
        path = QStringLiteral("/dev/zero"); // read to its end, it would never end

    const Outcome<QByteArray> read = readDataFile(path);
    QVERIFY(!read.ok());
    QVERIFY2(read.error().text().contains(QDir::toNativeSeparators(path)), qPrintable(read.error().text()));
    QVERIFY2(read.error().text().contains(detail), qPrintable(read.error().text()));
    QCOMPARE(read.error().kind, kind == u"missing" ? ErrorKind::NotFound : ErrorKind::Unreadable);
    if (kind == u"missing")
        return;
    for (SharedFile::Mode mode : {SharedFile::Mode::Read, SharedFile::Mode::ReadWriteCreate}) {
        SharedFile file;
        const Status opened = file.open(path, mode);
        QVERIFY(!opened.ok());
        QVERIFY2(opened.error().text().contains(detail), qPrintable(opened.error().text()));
        QVERIFY(!mayBeHeldByAnotherStation(opened.error()));
    }
}

void TestDataFile::saveReplacesTheWholeFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("タイム回数データ.txt"));
    writeBytes(path, QByteArray(5000, 'o'));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QFile::Permissions rights = QFile::permissions(path);
    QVERIFY(writeFileSafely(path, "new").ok());
    QCOMPARE(readBytes(path), QByteArray("new"));
    QCOMPARE(QFile::permissions(path), rights);
    QVERIFY(temporariesIn(dir.path()).isEmpty());
    // A file that did not exist is made.
    QVERIFY(writeFileSafely(dir.filePath(QStringLiteral("new.pdf")), "pdf").ok());
    QCOMPARE(readBytes(dir.filePath(QStringLiteral("new.pdf"))), QByteArray("pdf"));
}

void TestDataFile::failedStepLeavesTheOldFile_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("stepText");
    for (SaveStep s : {SaveStep::Create, SaveStep::Write, SaveStep::Sync, SaveStep::Close, SaveStep::Rename})
        QTest::newRow(qPrintable(saveStepName(s))) << int(s) << saveStepName(s);
    // A folder where the file belongs cannot be replaced.
    QTest::newRow("folder in place") << -1 << saveStepName(SaveStep::Rename);
}

void TestDataFile::failedStepLeavesTheOldFile() {
    QFETCH(int, step);
    QFETCH(QString, stepText);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("タイム回数データ.txt"));
    if (step < 0)
        QVERIFY(QDir().mkdir(path));
    else
        writeBytes(path, "old");
    SafeWriteOptions options;
    options.checkpoint = [step](SaveStep at) -> Status {
        if (int(at) == step)
            return makeError(ErrorKind::WriteFailed, QString(), QStringLiteral("装置のエラー"));
        return {};
    };
    const Status saved = writeFileSafely(path, "new", options);
    QVERIFY(!saved.ok());
    const QString text = saved.error().text();
    QVERIFY2(text.contains(QDir::toNativeSeparators(path)) && text.contains(stepText) &&
                 text.contains(QStringLiteral("元のファイルはそのままです")),
             qPrintable(text));
    if (step >= 0)
        QCOMPARE(readBytes(path), QByteArray("old"));
    QVERIFY(temporariesIn(dir.path()).isEmpty());
}

// A save onto a full disk fails while writing or syncing; the file it was to replace
// stays whole and no temporary is left.
void TestDataFile::fullDiskLeavesTheOldFile() {
    test::SmallDisk disk(64);
    KZ_SKIP_UNLESS_MOUNTED(disk);
    const QString path = disk.path(QStringLiteral("タイム回数データ.txt"));
    const QByteArray old(3000, 'o');
    writeBytes(path, old);
    QVERIFY(disk.fill(8));
    const Status saved = writeFileSafely(path, QByteArray(20000, 'n'));
    QVERIFY(!saved.ok());
    QCOMPARE(saved.error().kind, ErrorKind::WriteFailed);
    QVERIFY2(saved.error().text().contains(QDir::toNativeSeparators(path)), qPrintable(saved.error().text()));
    QCOMPARE(readBytes(path), old);
    QVERIFY(temporariesIn(disk.path(QString())).isEmpty());
}

void TestDataFile::staleTemporaryIsFoundAndRemoved() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("タイム回数データ.txt"));
    const QString stale = path + QStringLiteral(".saving-0badf00d.tmp");
    writeBytes(stale, "half");
    writeBytes(dir.filePath(QStringLiteral("other.tmp")), "not ours");
    QCOMPARE(staleSaveTemporaries(dir.path()), QStringList{stale});
    QVERIFY(writeFileSafely(path, "new").ok());
    QVERIFY(!QFile::exists(stale));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("other.tmp"))));
    QVERIFY(staleSaveTemporaries(dir.path()).isEmpty());
}

QTEST_GUILESS_MAIN(TestDataFile)
#include "tst_datafile.moc"
