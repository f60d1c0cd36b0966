#include "admin/criteriaeditor.h"
#include "core/programrun.h"
#include "data/passcriteria.h"
#include "data/textio.h"
#include "support/scriptedrun.h"
#include "support/smalldisk.h"
#include "support/testfiles.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace kz;
using Key = CriteriaEditor::Key;

namespace {

// Level k: target 10k, minimum 20k, the rest fixed, the reserved fields empty.
QList<CriteriaEditor::Row> levels(int count) {
    QList<CriteriaEditor::Row> rows;
    for (int k = 1; k <= count; ++k)
        rows.append({QString::number(10 * k), QString::number(20 * k), "10", "3", "1.5", "20", "100", "7",
                     "1", "", "", ""});
    return rows;
}

constexpr auto bytesOf = &test::readBytes;

// A run whose data folder is `folder`.
struct RunAt {
    test::FakeClock clock;
    ProgramRun run{clock, test::noFileWaits()};
    explicit RunAt(const QString& folder) {
        RunStateSetUp::of(run).settings.installation.programDataFolder = folder + u'/';
    }
    const PassCriteriaTable& criteria() const { return run.state().tables.criteria; }
};

// A criteria file of five levels in a temporary folder (or in folder), loaded into an
// editor through a run whose data folder it is.
struct Fixture {
    QTemporaryDir dir;
    RunAt school;
    ProgramRun& run = school.run;
    QString path;
    CriteriaEditor editor;
    explicit Fixture(const QString& folder = {})
        : school(folder.isEmpty() ? dir.path() : folder),
          path((folder.isEmpty() ? dir.path() : folder) + QStringLiteral("/タイム回数データ.txt")) {
        if (const Status saved = savePassCriteria(path, levels(5)); !saved)
            qWarning("%s", qPrintable(saved.error().text()));
        if (!editor.load(run))
            qWarning("criteria file not loaded");
    }
    void goTo(int row, int column) { editor.click(row, column); }
};

} // namespace

class TestCriteriaEditor : public QObject {
    Q_OBJECT
private slots:
    void keys_data();
    void keys();
    void shiftDownCopiesWithoutMarking();
    void typingAndSpaceMark();
    void revertKeepsChangedFlag();
    void saveIsReadBackAndReloadsTable();
    void failedSaveKeepsEverything_data();
    void failedSaveKeepsEverything();
};

void TestCriteriaEditor::keys_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<Key>("key");
    QTest::addColumn<int>("toRow");
    QTest::addColumn<int>("toColumn");
    QTest::newRow("up on row 1") << 1 << 4 << Key::Up << 1 << 4;
    QTest::newRow("up") << 3 << 4 << Key::Up << 2 << 4;
    QTest::newRow("down on the last row") << 5 << 4 << Key::Down << 5 << 4;
    QTest::newRow("down") << 3 << 4 << Key::Down << 4 << 4;
    QTest::newRow("left on column 1") << 3 << 1 << Key::Left << 3 << 1;
    QTest::newRow("left") << 3 << 4 << Key::Left << 3 << 3;
    QTest::newRow("right on column 12") << 3 << 12 << Key::Right << 3 << 12;
    QTest::newRow("right") << 3 << 11 << Key::Right << 3 << 12;
    QTest::newRow("enter") << 3 << 4 << Key::Enter << 3 << 4;
    QTest::newRow("escape") << 3 << 4 << Key::Escape << 3 << 4;
}

void TestCriteriaEditor::keys() {
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(Key, key);
    QFETCH(int, toRow);
    QFETCH(int, toColumn);
    Fixture f;
    f.goTo(row, column);
    const CriteriaEditor::KeyResult result = f.editor.keyDown(key);
    QVERIFY(result.consumed);
    QCOMPARE(f.editor.currentRow(), toRow);
    QCOMPARE(f.editor.currentColumn(), toColumn);
    QCOMPARE(f.editor.inputText(), f.editor.cellText(toRow, toColumn));
    QVERIFY(!f.editor.changed());
}

void TestCriteriaEditor::shiftDownCopiesWithoutMarking() {
    Fixture f;
    f.goTo(2, 1);
    for (int i = 0; i < 3; ++i)
        f.editor.keyDown(Key::ShiftDown);
    QCOMPARE(f.editor.currentRow(), 2);
    for (int r = 2; r <= 5; ++r) {
        QCOMPARE(f.editor.cellText(r, 1), QString("20"));
        QVERIFY(!f.editor.marked(r, 1));
    }
    QCOMPARE(f.editor.cellText(1, 1), QString("10"));
    QVERIFY(!f.editor.changed());
    // The selection ends at the last row: one more copies nothing further.
    f.editor.keyDown(Key::ShiftDown);
    QCOMPARE(f.editor.selectionEndRow(), 5);
    // A move makes the new cell the whole selection again.
    f.editor.keyDown(Key::Down);
    QCOMPARE(f.editor.selectionEndRow(), 3);
}

void TestCriteriaEditor::typingAndSpaceMark() {
    Fixture f;
    f.goTo(2, 3);
    f.editor.TextToGrid転送("10"); // the cell's own text: no change
    QVERIFY(!f.editor.marked(2, 3));
    QVERIFY(!f.editor.changed());
    const CriteriaEditor::KeyResult typed = f.editor.keyDown(Key::Other);
    QVERIFY(!typed.consumed); // the key goes on to the input box
    f.editor.TextToGrid転送("105");
    QVERIFY(f.editor.marked(2, 3));
    QVERIFY(f.editor.changed());
    f.goTo(4, 12);
    f.editor.TextToGrid転送("x");
    f.editor.keyDown(Key::Space);
    f.goTo(3, 2);
    QVERIFY(f.editor.keyDown(Key::Space).consumed); // the space itself is not typed
    QCOMPARE(f.editor.cellText(3, 2), QString());
    QCOMPARE(f.editor.inputText(), QString());
    QVERIFY(f.editor.marked(3, 2));
    QCOMPARE(f.editor.cellText(4, 12), QString());
}

void TestCriteriaEditor::revertKeepsChangedFlag() {
    Fixture f;
    f.goTo(5, 2);
    f.editor.TextToGrid転送("7");
    QVERIFY(f.editor.load(f.run));
    QCOMPARE(f.editor.cellText(5, 2), QString("100"));
    QCOMPARE(f.editor.inputText(), QString("100"));
    QVERIFY(!f.editor.marked(5, 2));
    QVERIFY(f.editor.changed());
    // A file that cannot be read leaves the grid as it was.
    f.editor.TextToGrid転送("8");
    RunAt elsewhere(f.dir.filePath("gone"));
    QCOMPARE(f.editor.load(elsewhere.run).error().kind, ErrorKind::NotFound);
    QCOMPARE(f.editor.cellText(5, 2), QString("8"));
    QVERIFY(f.editor.marked(5, 2));
}

void TestCriteriaEditor::saveIsReadBackAndReloadsTable() {
    Fixture f;
    f.goTo(3, 1);
    f.editor.TextToGrid転送("45");
    f.goTo(3, 11);
    f.editor.TextToGrid転送("memo");
    QVERIFY(f.editor.save(f.run));
    QVERIFY(!f.editor.changed());
    QVERIFY(f.editor.marked(3, 1)); // marks stay after saving
    // The run's table is read back from the file: the next attempt uses it.
    QCOMPARE(f.school.criteria().level(3).targetTime, 45);
    QCOMPARE(f.school.criteria().level(3).texts[10], QString("memo"));
    CriteriaEditor again;
    QVERIFY(again.load(f.run));
    QCOMPARE(again.rows(), f.editor.rows());
}

void TestCriteriaEditor::failedSaveKeepsEverything_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("where");
    QTest::newRow("comma in a cell") << "1,5"
                                     << "";
    QTest::newRow("no code in code page 932") << "1😀"
                                              << "";
    QTest::newRow("folder gone") << "55"
                                 << "gone";
    // The disk fills up while the file is written: the file stays as it was.
    QTest::newRow("disk full") << "55"
                               << "full";
}

void TestCriteriaEditor::failedSaveKeepsEverything() {
    QFETCH(QString, typed);
    QFETCH(QString, where);
    test::SmallDisk disk(64);
    std::unique_ptr<Fixture> fixture;
    if (where == u"full") {
        KZ_SKIP_UNLESS_MOUNTED(disk);
        fixture = std::make_unique<Fixture>(QFileInfo(disk.path(QStringLiteral("filler"))).absolutePath());
        QVERIFY(disk.fill(0));
    } else {
        fixture = std::make_unique<Fixture>();
    }
    Fixture& f = *fixture;
    const QByteArray before = bytesOf(f.path);
    QVERIFY(!before.isEmpty());
    f.goTo(2, 5);
    f.editor.TextToGrid転送(typed);
    RunAt elsewhere(f.dir.filePath("gone"));
    const Status saved = f.editor.save(where == u"gone" ? elsewhere.run : f.run);
    QVERIFY(!saved);
    QVERIFY(!saved.error().message.isEmpty());
    if (where == u"full")
        QVERIFY2(saved.error().text().contains(QDir::toNativeSeparators(f.path)),
                 qPrintable(saved.error().text()));
    QVERIFY(f.editor.changed());
    QCOMPARE(f.editor.cellText(2, 5), typed);
    QVERIFY(f.editor.marked(2, 5));
    QCOMPARE(bytesOf(f.path), before);
    // A grid without rows never overwrites the file with a header alone.
    CriteriaEditor empty;
    QCOMPARE(empty.save(f.run).error().kind, ErrorKind::Refused);
    QCOMPARE(bytesOf(f.path), before);
}

QTEST_GUILESS_MAIN(TestCriteriaEditor)
#include "tst_criteriaeditor.moc"
