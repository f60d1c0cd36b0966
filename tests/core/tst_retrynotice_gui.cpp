#include "core/gui/retrynotice.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

using namespace kz;

namespace {

QLabel* shownNotice() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QStringLiteral("retryNotice") && w->isVisible())
            return qobject_cast<QLabel*>(w);
    }
    return nullptr;
}

} // namespace

// A refused results file is retried without end; the screen says so once the retries
// have lasted a few seconds, and says nothing more once the operation is over.
class TestRetryNotice : public QObject {
    Q_OBJECT
private slots:
    void toldAfterAFewSecondsUntilDone();
};

void TestRetryNotice::toldAfterAFewSecondsUntilDone() {
    int waitedMs = 0;
    {
        RetryNotice notice(QStringLiteral("成績ファイル"),
                           QStringLiteral("/school/data/drill2/成績累積データ.dat"),
                           [&](int ms) { waitedMs += ms; });
        const auto wait = [&notice](int ms) { notice.wait(ms); };
        for (int i = 0; i < 3; ++i)
            wait(1000);
        QVERIFY(!shownNotice()); // a station's short lock passes without a word
        wait(1000);
        QLabel* label = shownNotice();
        QVERIFY(label);
        QVERIFY(label->text().startsWith(QStringLiteral("成績ファイルを読めません。再試行しています…")));
        QVERIFY(label->text().contains(QStringLiteral("成績累積データ.dat")));
        wait(1000);
        QCOMPARE(waitedMs, 5000); // the retries go on
    }
    QVERIFY(!shownNotice());
}

QTEST_MAIN(TestRetryNotice)
#include "tst_retrynotice_gui.moc"
