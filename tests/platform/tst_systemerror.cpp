// The system's error numbers as a teacher reads them: a Japanese phrase with what to do,
// the system's own text and number after it in brackets.
#include "platform/filelock.h"
#include "platform/outcome.h"
#include "platform/systemerror.h"

#include <QRegularExpression>
#include <QTest>

#include <cerrno>

using namespace kz;

class TestSystemError : public QObject {
    Q_OBJECT
private slots:
    void adviceOfCommonErrors_data();
    void adviceOfCommonErrors();
    void errorTextPutsTheSystemInBrackets();
};

void TestSystemError::adviceOfCommonErrors_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("phrase");
    QTest::newRow("no permission") << EACCES << QStringLiteral("権限がありません");
    QTest::newRow("not found") << ENOENT << QStringLiteral("見つかりません");
    QTest::newRow("disk full") << ENOSPC << QStringLiteral("ディスクがいっぱいです");
    QTest::newRow("read-only") << EROFS << QStringLiteral("書き込みのできないディスク");
    QTest::newRow("in use") << EBUSY << QStringLiteral("ほかのプログラムが使っています");
    QTest::newRow("I/O error") << EIO << QStringLiteral("読み書きでエラー");
    QTest::newRow("name too long") << ENAMETOOLONG << QStringLiteral("長すぎます");
    QTest::newRow("a folder where a file belongs") << EISDIR << QStringLiteral("フォルダがあります");
    QTest::newRow("a number of no table") << 4095 << QStringLiteral("システムのエラー");
}

void TestSystemError::adviceOfCommonErrors() {
    QFETCH(int, code);
    QFETCH(QString, phrase);
    const QString advice = systemErrorAdvice(code);
    QVERIFY2(advice.contains(phrase), qPrintable(advice));
    // No English in the phrase itself: the system's text comes only in brackets after it.
    QVERIFY2(!QString(advice)
                  .remove(QStringLiteral("USB"))
                  .contains(QRegularExpression(QStringLiteral("[A-Za-z]{2,}"))),
             qPrintable(advice));
    const QString explained = explainedSystemError(code, QStringLiteral("Some system text"));
    QCOMPARE(explained, advice + QStringLiteral("（Some system text (%1)）").arg(code));
}

void TestSystemError::errorTextPutsTheSystemInBrackets() {
    const Error denied =
        makeError(ErrorKind::WriteFailed, QStringLiteral("成績ファイルに書き込めません: /data/成績.dat"),
                  QStringLiteral("Permission denied"), EACCES);
    const QStringList lines = denied.text().split(u'\n');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], QStringLiteral("成績ファイルに書き込めません: /data/成績.dat"));
    QVERIFY(lines[1].startsWith(systemErrorAdvice(EACCES)));
    QVERIFY(lines[1].endsWith(QStringLiteral("（Permission denied (%1)）").arg(EACCES)));
    // Passed on under a message of another's, the advice is still said once only.
    const Error outer = withMessage(denied, QStringLiteral("PDF ファイルを保存できません"));
    QCOMPARE(outer.text().count(systemErrorAdvice(EACCES)), 1);
    QVERIFY(outer.text().contains(QStringLiteral("Permission denied")));
    // Without a number: the message and its detail, as before.
    const Error plain =
        makeError(ErrorKind::Malformed, QStringLiteral("壊れています"), QStringLiteral("3 行目"));
    QCOMPARE(plain.text(), QStringLiteral("壊れています（3 行目）"));
}

QTEST_GUILESS_MAIN(TestSystemError)
#include "tst_systemerror.moc"
