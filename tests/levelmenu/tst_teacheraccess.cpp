#include "levelmenu/teacheraccess.h"

#include <QTest>

using namespace kz;

class TestTeacherAccess : public QObject {
    Q_OBJECT
private slots:
    void password_data();
    void password();
};

void TestTeacherAccess::password_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("right") << "abc"
                           << "abc" << true;
    QTest::newRow("wrong") << "abd"
                           << "abc" << false;
    QTest::newRow("case matters") << "ABC"
                                  << "abc" << false;
    QTest::newRow("empty box, no password set") << ""
                                                << "" << false;
    QTest::newRow("empty box") << ""
                               << "abc" << false;
}

void TestTeacherAccess::password() {
    QFETCH(QString, typed);
    QFETCH(QString, password);
    QFETCH(bool, accepted);
    QCOMPARE(teacherPasswordAccepted(typed, password), accepted);
}

QTEST_GUILESS_MAIN(TestTeacherAccess)
#include "tst_teacheraccess.moc"
