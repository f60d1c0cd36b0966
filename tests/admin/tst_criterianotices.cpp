// What the criteria editor tells the teacher when its files fail it.
#include "admin/criterianotices.h"

#include <QTest>

using namespace kz;

class TestCriteriaNotices : public QObject {
    Q_OBJECT
private slots:
    void noticeLine_data();
    void noticeLine();
    void failedSaveSaysWhereTheEditsAre();
};

void TestCriteriaNotices::noticeLine_data() {
    QTest::addColumn<QString>("fileNotice");
    QTest::addColumn<bool>("resultsRead");
    QTest::addColumn<QString>("line");
    QTest::newRow("all well") << QString() << true << QString();
    QTest::newRow("file notice only") << QStringLiteral("36行目から先は表示しません") << true
                                      << QStringLiteral("36行目から先は表示しません");
    QTest::newRow("results unreadable") << QString() << false << QStringLiteral("成績を読めません（EIO）");
    QTest::newRow("both") << QStringLiteral("注意") << false
                          << QStringLiteral("注意 成績を読めません（EIO）");
}

void TestCriteriaNotices::noticeLine() {
    QFETCH(QString, fileNotice);
    QFETCH(bool, resultsRead);
    QFETCH(QString, line);
    const Status read = resultsRead
                            ? Status()
                            : Status(makeError(ErrorKind::Unreadable, QStringLiteral("成績を読めません"),
                                               QStringLiteral("EIO")));
    QCOMPARE(noticeWithDistribution(fileNotice, read), line);
    // The opening line is the file's error when the file could not be read.
    QCOMPARE(openingNotice(Status(makeError(ErrorKind::NotFound, QStringLiteral("ない"))), fileNotice),
             QStringLiteral("ない"));
    QCOMPARE(openingNotice(Status(), fileNotice), fileNotice);
}

void TestCriteriaNotices::failedSaveSaysWhereTheEditsAre() {
    const Error notWritten = makeError(ErrorKind::WriteFailed, QStringLiteral("記録できませんでした。"));
    const Error notReadBack = makeError(ErrorKind::Unreadable, QStringLiteral("読み直せませんでした。"));
    QCOMPARE(saveFailedText(notWritten),
             QStringLiteral("記録できませんでした。\n変更は画面に残っています。"));
    QCOMPARE(saveFailedText(notReadBack), QStringLiteral("読み直せませんでした。"));
    QCOMPARE(revertFailedText(notReadBack),
             QStringLiteral("読み直せませんでした。\n画面の内容はそのままです。"));
}

QTEST_MAIN(TestCriteriaNotices)
#include "tst_criterianotices.moc"
