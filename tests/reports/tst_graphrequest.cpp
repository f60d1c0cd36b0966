// Which students and levels one press of the graph panel reports, and the files of later
// print jobs.
#include "reports/graphrequest.h"

#include "data/roster.h"

#include <QTest>

#include <memory>

using namespace kz;

class TestGraphRequest : public QObject {
    Q_OBJECT
private slots:
    void choosesStudents_data();
    void choosesStudents();
    void refusesToPrintWithoutLevels();
    void numbersLaterJobFiles();
    void namesTheStudentWithoutPadding();
};

void TestGraphRequest::choosesStudents_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QList<int>>("students");
    QTest::newRow("none chosen: the last one") << QStringList() << QList<int>{17};
    QTest::newRow("chosen, in list order")
        << QStringList{QStringLiteral("小３ /  あおき/22"), QStringLiteral("小３ /  テスト/5")}
        << QList<int>{22, 5};
    QTest::newRow("lines without a number: the last one")
        << QStringList{QStringLiteral("小３ /  あおき"), QStringLiteral("x/0")} << QList<int>{17};
}

void TestGraphRequest::choosesStudents() {
    QFETCH(QStringList, lines);
    QFETCH(QList<int>, students);
    const Outcome<GraphRequest> request = graphRequest(lines, 17, {1, 3}, false);
    QVERIFY(request.ok());
    QCOMPARE(request->students, students);
    QCOMPARE(request->levels, (QList<int>{1, 3}));
}

void TestGraphRequest::refusesToPrintWithoutLevels() {
    const Outcome<GraphRequest> printed = graphRequest({}, 17, {}, true);
    QVERIFY(!printed.ok());
    QCOMPARE(printed.error().message, QStringLiteral("印刷するレベルを選んでください。"));
    // Drawing on the screen without a level only clears the picture.
    QVERIFY(graphRequest({}, 17, {}, false).ok());
}

void TestGraphRequest::numbersLaterJobFiles() {
    // Later jobs of one choice of a file get files of their own beside it.
    QCOMPARE(numberedJobFile(QStringLiteral("/a/b/reports.pdf"), 2), QStringLiteral("/a/b/reports-2.pdf"));
    QCOMPARE(numberedJobFile(QStringLiteral("/a/b/reports"), 3), QStringLiteral("/a/b/reports-3"));
}

void TestGraphRequest::namesTheStudentWithoutPadding() {
    const auto roster = std::make_unique<RosterTables>();
    loadRosterText(QStringLiteral("21,1994,0,0,\"  たかはし  \",0,,\n"), QDate(2004, 3, 15), 4, 0,
                   roster.get());
    QCOMPARE(roster->nameOf(21), QStringLiteral("  たかはし  "));
    QCOMPARE(reportStudentName(*roster, 21), QStringLiteral("たかはし"));
}

QTEST_MAIN(TestGraphRequest)
#include "tst_graphrequest.moc"
