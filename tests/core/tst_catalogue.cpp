#include "core/catalogue.h"
#include "core/eradate.h"
#include "core/runstate.h"
#include "core/season.h"
#include "core/startup.h"

#include <QTest>

using namespace kz;

class TestCatalogue : public QObject {
    Q_OBJECT
private slots:
    void catalogueAfterConfirmation();
    void catalogueNames_data();
    void catalogueNames();
    void titleSizes_data();
    void titleSizes();
    void gradeMarks_data();
    void gradeMarks();
    void levelMenuFilter_data();
    void levelMenuFilter();
    void eraDates_data();
    void eraDates();
    void seasonColours_data();
    void seasonColours();
    void version();
};

void TestCatalogue::catalogueAfterConfirmation() {
    RunState state;
    initRunState(state);
    QCOMPARE(state.catalogue.programTitle, QStringLiteral("カズリンその２"));
    state.catalogue.levelNames[30] = QStringLiteral("stale");
    buildLevelCatalogue(state);
    QCOMPARE(state.catalogue.levelCount, qint16(25));
    QCOMPARE(state.catalogue.finalLevel, 25);
    QCOMPARE(state.catalogue.levelNames[2], QStringLiteral("１４(1-10R)"));
    QCOMPARE(state.catalogue.levelNames[25], QStringLiteral("１４－１６"));
    QCOMPARE(state.catalogue.levelNames[26], QString());
    QCOMPARE(state.catalogue.levelNames[30], QString());
    QCOMPARE(state.catalogue.levelNames[0], QString());
}

void TestCatalogue::catalogueNames_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("name");
    QTest::newRow("1") << 1 << "１４(1-10)";
    QTest::newRow("3 reads 10-15") << 3 << "１４(10-15)";
    QTest::newRow("6 reads 15-20R") << 6 << "１４(15-20R)";
    QTest::newRow("15 half-width space") << 15 << "１５( 1-20)";
    QTest::newRow("16 half-width space") << 16 << "１５( 1-20R)";
    QTest::newRow("24") << 24 << "１６(1-20R)";
    QTest::newRow("0") << 0 << "";
    QTest::newRow("26") << 26 << "";
    QTest::newRow("-1") << -1 << "";
}

void TestCatalogue::catalogueNames() {
    QFETCH(int, level);
    QFETCH(QString, name);
    QCOMPARE(catalogueLevelName(level), name);
}

void TestCatalogue::titleSizes_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<double>("size"); // in the level menu's sizes 24 and 20
    QTest::newRow("the program's title") << "カズリンその２" << 24.0;
    QTest::newRow("nine characters") << "123456789" << 24.0;
    QTest::newRow("ten characters") << "1234567890" << 20.0;
}

void TestCatalogue::titleSizes() {
    QFETCH(QString, title);
    QFETCH(double, size);
    QCOMPARE(titlePointSize(title, 24, 20), size);
}

void TestCatalogue::gradeMarks_data() {
    QTest::addColumn<int>("grade");
    QTest::addColumn<QString>("mark");
    QTest::newRow("1") << 1 << "①";
    QTest::newRow("6") << 6 << "⑥";
    QTest::newRow("7") << 7 << "Ⅰ";
    QTest::newRow("9") << 9 << "Ⅲ";
    QTest::newRow("0") << 0 << "　";
    QTest::newRow("10") << 10 << "　";
    QTest::newRow("-1") << -1 << "　";
}

void TestCatalogue::gradeMarks() {
    QFETCH(int, grade);
    QFETCH(QString, mark);
    QCOMPARE(gradeMark(grade), mark);
}

void TestCatalogue::levelMenuFilter_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QList<int>>("matching"); // grades -3..13 that match
    QTest::newRow("小学生全体") << "小学生全体" << QList<int>{1, 2, 3, 4, 5, 6};
    QTest::newRow("中学生全体") << "中学生全体" << QList<int>{7, 8, 9};
    QTest::newRow("中２") << "中２" << QList<int>{8};
    QTest::newRow("小１") << "小１" << QList<int>{1};
    QTest::newRow("unknown") << "高１" << QList<int>{};
    QTest::newRow("half-width") << "中2" << QList<int>{};
    QTest::newRow("empty") << "" << QList<int>{};
    QList<int> all;
    for (int g = -3; g <= 13; ++g)
        all << g;
    QTest::newRow("全学年") << "全学年" << all;
}

void TestCatalogue::levelMenuFilter() {
    QFETCH(QString, filter);
    QFETCH(QList<int>, matching);
    for (int g = -3; g <= 13; ++g)
        QVERIFY2(levelMenuGradeMatches(filter, g) == matching.contains(g), qPrintable(QString::number(g)));
}

void TestCatalogue::eraDates_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("label");
    QTest::newRow("2004-03-15") << QDate(2004, 3, 15) << "平成16年 3月 15日（月）";
    QTest::newRow("last Showa day") << QDate(1989, 1, 7) << "昭和64年 1月 07日（土）";
    QTest::newRow("first Heisei day") << QDate(1989, 1, 8) << "平成1年 1月 08日（日）";
    QTest::newRow("last Heisei day") << QDate(2019, 4, 30) << "平成31年 4月 30日（火）";
    QTest::newRow("first Reiwa day") << QDate(2019, 5, 1) << "令和1年 5月 01日（水）";
    QTest::newRow("2026") << QDate(2026, 12, 31) << "令和8年 12月 31日（木）";
    QTest::newRow("invalid") << QDate() << "";
}

void TestCatalogue::eraDates() {
    QFETCH(QDate, date);
    QFETCH(QString, label);
    QCOMPARE(eraDateLabel(date), label);
}

void TestCatalogue::seasonColours_data() {
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("b");
    const int table[12][3] = {{255, 128, 0},   {255, 128, 0}, {192, 255, 192}, {192, 255, 192},
                              {192, 255, 192}, {0, 192, 192}, {0, 192, 192},   {0, 192, 192},
                              {192, 64, 0},    {192, 64, 0},  {192, 64, 0},    {192, 255, 192}};
    for (int m = 1; m <= 12; ++m)
        QTest::newRow(qPrintable(QString::number(m)))
            << m << table[m - 1][0] << table[m - 1][1] << table[m - 1][2];
}

void TestCatalogue::seasonColours() {
    QFETCH(int, month);
    QFETCH(int, r);
    QFETCH(int, g);
    QFETCH(int, b);
    QCOMPARE(seasonColour(month), (Rgb{r, g, b}));
}

void TestCatalogue::version() {
    QCOMPARE(versionText(), QStringLiteral("Version1.0.1"));
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
