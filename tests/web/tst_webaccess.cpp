#include "web/access.h"
#include "web/html.h"
#include "web/webrequest.h"

#include <QSet>
#include <QTest>

using namespace kz;
using namespace kz::web;

class TestWebAccess : public QObject {
    Q_OBJECT
private slots:
    void passwordRule_data();
    void passwordRule();
    void randomPasswordsPassTheRule();
    void sessionsLiveWhileUsed();
    void throttleLocksAClientAfterFiveWrongTries();
    void throttleDoublesTheLockAndForgivesASuccess();
    void throttleLimitsAllClientsTogether();
    void escapesEveryMarkupCharacter_data();
    void escapesEveryMarkupCharacter();
    void readsFormsAndCookies();
};

void TestWebAccess::passwordRule_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("teacher");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("the teachers' 4 digits") << "1414"
                                            << "1414" << false;
    QTest::newRow("any 4 digits") << "2024"
                                  << "1414" << false;
    QTest::newRow("seven characters") << "abcdefg"
                                      << "1414" << false;
    QTest::newRow("eight characters") << "abcdefgh"
                                      << "1414" << true;
    QTest::newRow("a long teachers' password itself") << "tanaka-sensei"
                                                      << "tanaka-sensei" << false;
    QTest::newRow("spaces around") << " abcdefgh"
                                   << "1414" << false;
    QTest::newRow("Japanese") << "さくら塾のひみつ"
                              << "1414" << true;
}

void TestWebAccess::passwordRule() {
    QFETCH(QString, password);
    QFETCH(QString, teacher);
    QFETCH(bool, allowed);
    const Status s = checkWebPassword(password, teacher);
    QCOMPARE(s.ok(), allowed);
    if (!allowed)
        QVERIFY(!s.error().message.isEmpty());
}

void TestWebAccess::randomPasswordsPassTheRule() {
    QSet<QString> seen;
    for (int i = 0; i < 50; ++i) {
        const QString p = randomWebPassword();
        QCOMPARE(p.size(), 12);
        QVERIFY(checkWebPassword(p, QStringLiteral("1414")).ok());
        for (QChar c : {u'0', u'O', u'1', u'l', u'I'})
            QVERIFY2(!p.contains(c), qPrintable(p));
        seen.insert(p);
    }
    QCOMPARE(seen.size(), 50);
}

void TestWebAccess::sessionsLiveWhileUsed() {
    Sessions sessions;
    const QByteArray a = sessions.start(0);
    QCOMPARE(a.size(), 64);
    QVERIFY(sessions.check(a, 1000));
    QVERIFY(!sessions.check(a.left(63) + (a.endsWith('0') ? "1" : "0"), 1000));
    QVERIFY(!sessions.check(QByteArray(), 1000));
    // Used now and then, it lives on; idle longer than the limit, it is gone.
    QVERIFY(sessions.check(a, Sessions::kIdleLimitMs));
    QVERIFY(!sessions.check(a, 2 * Sessions::kIdleLimitMs + 1));
    const QByteArray b = sessions.start(0);
    QVERIFY(b != a);
    sessions.end(b);
    QVERIFY(!sessions.check(b, 1));
}

void TestWebAccess::throttleLocksAClientAfterFiveWrongTries() {
    LoginThrottle t;
    const QString tablet = QStringLiteral("192.168.1.20");
    for (int i = 0; i < LoginThrottle::kFreeFailures - 1; ++i) {
        QCOMPARE(t.waitBeforeTry(tablet, i * 1000), 0);
        t.failed(tablet, i * 1000);
    }
    QCOMPARE(t.waitBeforeTry(tablet, 4000), 0);
    t.failed(tablet, 4000);
    QCOMPARE(t.waitBeforeTry(tablet, 4000), LoginThrottle::kLockMs);
    QCOMPARE(t.waitBeforeTry(tablet, 4000 + LoginThrottle::kLockMs - 1), 1);
    QCOMPARE(t.waitBeforeTry(QStringLiteral("192.168.1.21"), 4000), 0); // another tablet may try
    QCOMPARE(t.waitBeforeTry(tablet, 4000 + LoginThrottle::kLockMs), 0);
}

void TestWebAccess::throttleDoublesTheLockAndForgivesASuccess() {
    LoginThrottle t;
    const QString c = QStringLiteral("10.0.0.5");
    qint64 now = 0;
    for (int i = 0; i < LoginThrottle::kFreeFailures; ++i)
        t.failed(c, now);
    now += LoginThrottle::kLockMs;
    for (int i = 0; i < LoginThrottle::kFreeFailures; ++i)
        t.failed(c, now);
    QCOMPARE(t.waitBeforeTry(c, now), 2 * LoginThrottle::kLockMs);
    now += 2 * LoginThrottle::kLockMs;
    t.succeeded(c);
    for (int i = 0; i < LoginThrottle::kFreeFailures; ++i)
        t.failed(c, now);
    QCOMPARE(t.waitBeforeTry(c, now), LoginThrottle::kLockMs);
}

void TestWebAccess::throttleLimitsAllClientsTogether() {
    LoginThrottle t;
    // Many addresses, each below its own limit, still lock everybody out for a while.
    for (int i = 0; i < LoginThrottle::kFreeFailuresOfAll; ++i)
        t.failed(QStringLiteral("10.0.%1.%2").arg(i / 200).arg(i % 200), 1000);
    QCOMPARE(t.waitBeforeTry(QStringLiteral("10.9.9.9"), 1000), LoginThrottle::kLockMs);
}

void TestWebAccess::escapesEveryMarkupCharacter_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("escaped");
    QTest::newRow("script") << "<script>alert(1)</script>"
                            << "&lt;script&gt;alert(1)&lt;/script&gt;";
    QTest::newRow("attribute") << "\" onmouseover='x'"
                               << "&quot; onmouseover=&#39;x&#39;";
    QTest::newRow("ampersand") << "A&B"
                               << "A&amp;B";
    QTest::newRow("Japanese untouched") << "山田　太郎"
                                        << "山田　太郎";
}

void TestWebAccess::escapesEveryMarkupCharacter() {
    QFETCH(QString, text);
    QFETCH(QString, escaped);
    QCOMPARE(escape(text), escaped);
}

void TestWebAccess::readsFormsAndCookies() {
    const auto fields = formFields("password=a+b%2Bc%E3%81%82&x=1");
    QCOMPARE(fields.size(), 2);
    QCOMPARE(fields[0].second, QStringLiteral("a b+cあ"));
    QCOMPARE(cookieValue("theme=dark; kz_session=abc123; other=1", "kz_session"), QByteArray("abc123"));
    QCOMPARE(cookieValue("xkz_session=abc", "kz_session"), QByteArray());
    QCOMPARE(href(u"/student", {{u"n", QStringLiteral("12")}, {u"days", QStringLiteral("7")}}),
             QStringLiteral("/student?n=12&amp;days=7"));
}

QTEST_GUILESS_MAIN(TestWebAccess)
#include "tst_webaccess.moc"
