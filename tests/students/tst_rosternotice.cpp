#include "data/roster.h"
#include "students/rosternotice.h"

#include <QTest>

using namespace kz;

class TestRosterNotice : public QObject {
    Q_OBJECT
private slots:
    void rosterNotice_data();
    void rosterNotice();
};

void TestRosterNotice::rosterNotice_data() {
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("problems");
    QTest::addColumn<QString>("expectedEnd"); // "" when there is no notice
    QTest::newRow("read cleanly") << true << 0 << "";
    QTest::newRow("not found: the reader's message") << false << 0 << "読めません";
    QTest::newRow("ten lines, all shown") << true << 10 << "\n10 行目: x";
    QTest::newRow("twelve lines, two more") << true << 12 << "\nほか 2 行";
}

void TestRosterNotice::rosterNotice() {
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

QTEST_GUILESS_MAIN(TestRosterNotice)
#include "tst_rosternotice.moc"
