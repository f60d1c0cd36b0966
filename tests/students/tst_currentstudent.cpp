#include "core/runstate.h"
#include "data/roster.h"
#include "students/currentstudent.h"
#include "support/testsupport.h"

#include <QTest>

using namespace kz;

class TestCurrentStudent : public QObject {
    Q_OBJECT
private slots:
    void becomesCurrent();
    void rosterNotice_data();
    void rosterNotice();
};

void TestCurrentStudent::becomesCurrent() {
    RunState state;
    state.tables.roster.nameByBangou[42] = QStringLiteral("山田");
    state.tables.roster.gradeLabelByBangou[42] = QStringLiteral("小3");
    test::FakeClock clock(QDateTime(QDate(2004, 3, 15), QTime(10, 0, 0, 600)));
    makeStudentCurrent(state, 42, clock);
    QCOMPARE(state.student.sessionStartSeconds, 36001); // rounded to the whole second
    QCOMPARE(state.student.currentBangou, qint16(42));
    QCOMPARE(state.student.currentName, QStringLiteral("山田"));
    QCOMPARE(state.student.currentGradeLabel, QStringLiteral("小3"));
    QCOMPARE(state.catalogue.levelCount, qint16(25)); // the catalogue is ready for the level menu
}

void TestCurrentStudent::rosterNotice_data() {
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("problems");
    QTest::addColumn<QString>("expectedEnd"); // "" when there is no notice
    QTest::newRow("read cleanly") << true << 0 << "";
    QTest::newRow("not found: the reader's message") << false << 0 << "読めません";
    QTest::newRow("ten lines, all shown") << true << 10 << "\n10 行目: x";
    QTest::newRow("twelve lines, two more") << true << 12 << "\nほか 2 行";
}

void TestCurrentStudent::rosterNotice() {
    QFETCH(bool, found);
    QFETCH(int, problems);
    QFETCH(QString, expectedEnd);
    RosterLoadResult read;
    for (int i = 1; i <= problems; ++i)
        read.problems.append(RosterProblem{i, QStringLiteral("x")});
    const Outcome<RosterLoadResult> loaded =
        found ? Outcome<RosterLoadResult>(read)
              : Outcome<RosterLoadResult>(makeError(ErrorKind::NotFound, QStringLiteral("読めません")));
    const QString text = rosterNoticeText(loaded, QStringLiteral("/school/名簿.txt"));
    QVERIFY2(expectedEnd.isEmpty() ? text.isEmpty() : text.endsWith(expectedEnd), qPrintable(text));
    if (problems > 0)
        QVERIFY(text.startsWith(QStringLiteral("名簿ファイル /school/名簿.txt に読めない行があります。")));
}

QTEST_GUILESS_MAIN(TestCurrentStudent)
#include "tst_currentstudent.moc"
