#include "platform/gui/messagebox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace kz;

// A broken installation's value ends up in a message: the box still fits the 1024 x 768
// screen and its OK button can be reached.
class TestMessageBox : public QObject {
    Q_OBJECT
private slots:
    void fitsTheScreen_data();
    void fitsTheScreen();
    void closesItselfAfterItsTime();
};

void TestMessageBox::fitsTheScreen_data() {
    QTest::addColumn<QString>("text");
    const QString path =
        QStringLiteral("/school/") + QString(1 << 20, u'x') + QStringLiteral("/共通データ.txt");
    QTest::newRow("1 MiB path") << QStringLiteral("共通データ.txt がありません。\n\nファイル: ") + path;
    QTest::newRow("1 MiB of Japanese") << QString(1 << 20, u'塾');
    QTest::newRow("ten thousand lines") << QStringLiteral("行\n").repeated(10000);
}

void TestMessageBox::fitsTheScreen() {
    QFETCH(QString, text);
    const QString fitted = fitTextForBox(text);
    QMessageBox box(QMessageBox::Information, QStringLiteral("お知らせ"), fitted, QMessageBox::Ok);
    box.adjustSize();
    QVERIFY2(box.width() <= 1024 && box.height() <= 768,
             qPrintable(QStringLiteral("%1 x %2").arg(box.width()).arg(box.height())));
    if (text.contains(QStringLiteral("共通データ.txt")))
        QVERIFY(fitted.contains(QStringLiteral("共通データ.txt"))); // the file's name survives
}

// A notice on a computer nobody is sitting at goes away by itself; until then it waits.
void TestMessageBox::closesItselfAfterItsTime() {
    WidgetMessageBox boxes;
    bool shownMeanwhile = false;
    QTimer::singleShot(20, [&] { shownMeanwhile = QApplication::activeModalWidget() != nullptr; });
    QElapsedTimer elapsed;
    elapsed.start();
    boxes.informClosingAfter(nullptr, QStringLiteral("お知らせ"),
                             QStringLiteral("効果音リストがありません。"), 200);
    QVERIFY(shownMeanwhile);
    QVERIFY(elapsed.elapsed() >= 200);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox_gui.moc"
