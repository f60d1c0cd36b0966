#include "data/passcriteria.h"
#include "data/textio.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kz;

namespace {

QByteArray cp932(const QString& text) {
    return encodeCp932(text).valueOr(QByteArray());
}

bool writeRaw(const QString& path, const QString& text) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    return f.write(cp932(text)) >= 0;
}

QString levelLine(int level) {
    return QStringLiteral("%1,%2,10,3,1.5,20,100,7,1,,,").arg(level * 10).arg(level * 10 + 5);
}

QString header() {
    return QStringLiteral("目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,");
}

} // namespace

class TestPassCriteria : public QObject {
    Q_OBJECT
private slots:
    void multiplierFloors_data();
    void multiplierFloors();
    void multiplierText_data();
    void multiplierText();
    void integerFields_data();
    void integerFields();
    void exampleLine();
    void headerHasNoEffect();
    void shortLineTakesFieldsFromNextLine();
    void moreThan35LevelsIsTruncated();
    void fewerLevelsKeepLaterSlots();
    void missingFileLeavesTable();
    void roundTripKeepsTexts();
    void saveWritesExactBytes();
    void saveRefusesUnreadableFields();
    void outOfRangeLevelGivesEmptyRow();
};

void TestPassCriteria::multiplierFloors_data() {
    QTest::addColumn<QString>("multiplier");
    QTest::addColumn<qint64>("points");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("1.3 x 10") << "1.3" << qint64(10) << qint64(13);
    QTest::newRow("1.5 x 11") << "1.5" << qint64(11) << qint64(16);
    QTest::newRow("0.1 x 30") << "0.1" << qint64(30) << qint64(3);
    QTest::newRow("1.1 x 100") << "1.1" << qint64(100) << qint64(110);
    QTest::newRow("2.675 x 1000") << "2.675" << qint64(1000) << qint64(2675);
    QTest::newRow("1 x 7") << "1" << qint64(7) << qint64(7);
    QTest::newRow("1.50 x 3") << "1.50" << qint64(3) << qint64(4);
    QTest::newRow("negative floors down") << "-1.5" << qint64(3) << qint64(-5);
    QTest::newRow("garbage is 0") << "abc" << qint64(10) << qint64(0);
    QTest::newRow("empty is 0") << "" << qint64(10) << qint64(0);
    QTest::newRow("trailing text ignored") << "1.3倍" << qint64(10) << qint64(13);
    QTest::newRow("huge whole part clamped") << "99999999999999999999" << qint64(1) << qint64(999999999);
}

void TestPassCriteria::multiplierFloors() {
    QFETCH(QString, multiplier);
    QFETCH(qint64, points);
    QFETCH(qint64, expected);
    QCOMPARE(DecimalMultiplier::fromText(multiplier).floorTimes(points), expected);
}

void TestPassCriteria::multiplierText_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<double>("fromDouble");
    QTest::addColumn<QString>("text");
    QTest::newRow("1") << "1" << 1.0 << "1";
    QTest::newRow("1.5") << "1.50" << 1.5 << "1.5";
    QTest::newRow("0.25") << " 0.25" << 0.25 << "0.25";
    QTest::newRow("1.3") << "1.3" << 1.3 << "1.3";
    QTest::newRow("point five") << ".5" << 0.5 << "0.5";
    QTest::newRow("negative") << "-2.5" << -2.5 << "-2.5";
    QTest::newRow("zero") << "x" << 0.0 << "0";
    QTest::newRow("tiny is zero") << "0.0000000001" << 1e-10 << "0";
}

void TestPassCriteria::multiplierText() {
    QFETCH(QString, input);
    QFETCH(double, fromDouble);
    QFETCH(QString, text);
    QCOMPARE(DecimalMultiplier::fromText(input).shortText(), text);
    QCOMPARE(DecimalMultiplier::fromDouble(fromDouble).shortText(), text);
    QCOMPARE(DecimalMultiplier::fromText(input).toDouble(), text.toDouble());
}

void TestPassCriteria::integerFields_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<qint32>("targetTime");
    QTest::addColumn<qint16>("clearCount");
    QTest::newRow("plain") << "42" << 42 << qint16(42);
    QTest::newRow("empty") << "" << 0 << qint16(0);
    QTest::newRow("garbage") << "abc" << 0 << qint16(0);
    QTest::newRow("leading number") << "12秒" << 12 << qint16(12);
    QTest::newRow("rounds half to even") << "2.5" << 2 << qint16(2);
    QTest::newRow("rounds up") << "2.6" << 3 << qint16(3);
    QTest::newRow("beyond 16 bits") << "40000" << 40000 << qint16(32767);
    QTest::newRow("beyond 32 bits") << "99999999999" << 2147483647 << qint16(32767);
    QTest::newRow("below 32 bits") << "-99999999999" << (-2147483647 - 1) << qint16(-32768);
}

void TestPassCriteria::integerFields() {
    QFETCH(QString, field);
    QFETCH(qint32, targetTime);
    QFETCH(qint16, clearCount);
    const PassCriteria row = PassCriteria::fromTexts({field, field, field, field});
    QCOMPARE(row.targetTime, targetTime);
    QCOMPARE(row.minimumTime, targetTime);
    QCOMPARE(row.clearPoints, targetTime);
    QCOMPARE(row.clearCount, clearCount);
    // The time limit never overflows, whatever the minimum time.
    const qint64 limit = 5 * qint64(targetTime);
    QCOMPARE(qint64(row.timeLimit()), qBound(qint64(INT32_MIN), limit, qint64(INT32_MAX)));
}

void TestPassCriteria::exampleLine() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("タイム回数データ.txt"));
    QVERIFY(writeRaw(path, header() + "\r\n600,60,10,3,1.5,20,100,7,1,,,\r\n"));
    PassCriteriaTable table;
    const Outcome<CriteriaLoadResult> r = loadPassCriteria(path, &table);
    QVERIFY(r.ok());
    QVERIFY(!r->truncated);
    QCOMPARE(table.levelLines, 1);
    const PassCriteria& row = table[1];
    QCOMPARE(row.targetTime, 600);
    QCOMPARE(row.minimumTime, 60);
    QCOMPARE(row.timeLimit(), 300);
    QCOMPARE(row.clearPoints, 10);
    QCOMPARE(row.clearCount, qint16(3));
    QCOMPARE(row.pointMultiplier.shortText(), QStringLiteral("1.5"));
    QCOMPARE(row.overdoCount, 20.0);
    QCOMPARE(row.overdoPoints, 100.0);
    QCOMPARE(row.passPeriodDays, 7.0);
    QCOMPARE(row.overdoPeriodDays, 1.0);
    QCOMPARE(row.texts[9], QString());
    QCOMPARE(row.texts[10], QString());
    QCOMPARE(row.texts[11], QString());
    QCOMPARE(row.texts[4], QStringLiteral("1.5"));
}

void TestPassCriteria::headerHasNoEffect() {
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.txt"));
    const QString b = dir.filePath(QStringLiteral("b.txt"));
    QVERIFY(writeRaw(a, header() + "\r\n" + levelLine(1) + "\r\n" + levelLine(2) + "\r\n"));
    QVERIFY(writeRaw(b, QStringLiteral("9,9,9,9,9,9,9,9,9,9,9,9\r\n") + levelLine(1) + "\r\n" + levelLine(2) +
                            "\r\n"));
    PassCriteriaTable ta;
    PassCriteriaTable tb;
    QVERIFY(loadPassCriteria(a, &ta).ok());
    QVERIFY(loadPassCriteria(b, &tb).ok());
    for (int level = 1; level <= 2; ++level) {
        QCOMPARE(ta[level].texts, tb[level].texts);
        QCOMPARE(ta[level].targetTime, level * 10);
    }
}

void TestPassCriteria::shortLineTakesFieldsFromNextLine() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    // Level 1 is split over two lines; level 2 follows in the stream.
    QVERIFY(writeRaw(path, header() + "\r\n600,60,10\r\n3,1.5,20,100,7,1,,,\r\n" + levelLine(2) + "\r\n"));
    PassCriteriaTable table;
    QVERIFY(loadPassCriteria(path, &table).ok());
    QCOMPARE(table.levelLines, 2);
    QCOMPARE(table[1].clearCount, qint16(3));
    QCOMPARE(table[1].overdoPeriodDays, 1.0);
    QCOMPARE(table[2].targetTime, 20);
    // A file that ends in the middle of a level fills the rest with empty fields.
    QVERIFY(writeRaw(path, header() + "\r\n70,80\r\n"));
    PassCriteriaTable cut;
    QVERIFY(loadPassCriteria(path, &cut).ok());
    QCOMPARE(cut[1].minimumTime, 80);
    QCOMPARE(cut[1].clearPoints, 0);
    QCOMPARE(cut[1].texts[11], QString());
}

void TestPassCriteria::moreThan35LevelsIsTruncated() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    QString text = header() + "\r\n";
    for (int level = 1; level <= 40; ++level)
        text += levelLine(level) + "\r\n";
    QVERIFY(writeRaw(path, text));
    PassCriteriaTable table;
    const Outcome<CriteriaLoadResult> r = loadPassCriteria(path, &table);
    QVERIFY(r.ok());
    QVERIFY(r->truncated);
    QVERIFY(r->message.contains(path));
    QCOMPARE(table.levelLines, 35);
    QCOMPARE(table[35].targetTime, 350);
    QCOMPARE(table[36].targetTime, 0);
}

void TestPassCriteria::fewerLevelsKeepLaterSlots() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    QVERIFY(writeRaw(path, header() + "\r\n" + levelLine(1) + "\r\n"));
    PassCriteriaTable table;
    table.row(2).targetTime = 777;
    QVERIFY(loadPassCriteria(path, &table).ok());
    QCOMPARE(table[1].targetTime, 10);
    QCOMPARE(table[2].targetTime, 777);
}

void TestPassCriteria::missingFileLeavesTable() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("none/タイム回数データ.txt"));
    PassCriteriaTable table;
    table.row(1).targetTime = 5;
    const Outcome<CriteriaLoadResult> r = loadPassCriteria(path, &table);
    QVERIFY(!r.ok());
    QCOMPARE(r.error().kind, ErrorKind::NotFound);
    QVERIFY(r.error().message.contains(path));
    QCOMPARE(table[1].targetTime, 5);
}

void TestPassCriteria::roundTripKeepsTexts() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("タイム回数データ.txt"));
    QList<std::array<QString, 12>> rows;
    for (int level = 1; level <= 25; ++level) {
        std::array<QString, 12> row = {QString::number(level * 7),
                                       QString::number(level * 9),
                                       QStringLiteral("10"),
                                       QStringLiteral("3"),
                                       level % 2 ? QStringLiteral("1.3") : QStringLiteral("1"),
                                       QStringLiteral("20"),
                                       QStringLiteral("100"),
                                       QStringLiteral("7"),
                                       QStringLiteral("1"),
                                       QString(),
                                       level == 5 ? QStringLiteral("0") : QString(),
                                       level == 6 ? QStringLiteral("x") : QString()};
        rows.append(row);
    }
    if (const Status saved = savePassCriteria(path, rows); !saved)
        QFAIL(qPrintable(saved.error().text()));
    PassCriteriaTable table;
    QVERIFY(loadPassCriteria(path, &table).ok());
    QCOMPARE(table.levelLines, 25);
    QCOMPARE(table[0].texts, passCriteriaHeader());
    for (int level = 1; level <= 25; ++level)
        QCOMPARE(table[level].texts, rows[level - 1]);
    QCOMPARE(table[3].pointMultiplier.floorTimes(10), qint64(13));
}

void TestPassCriteria::saveWritesExactBytes() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    std::array<QString, 12> row = {QStringLiteral("600"), QStringLiteral("60"),  QStringLiteral("10"),
                                   QStringLiteral("3"),   QStringLiteral("1.5"), QStringLiteral("20"),
                                   QStringLiteral("100"), QStringLiteral("7"),   QStringLiteral("1")};
    QVERIFY(savePassCriteria(path, {row}).ok());
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), cp932(header() + "\r\n600,60,10,3,1.5,20,100,7,1,,,\r\n"));
}

void TestPassCriteria::saveRefusesUnreadableFields() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    QVERIFY(writeRaw(path, header() + "\r\n" + levelLine(1) + "\r\n"));
    std::array<QString, 12> row;
    row[0] = QStringLiteral("1,5");
    const Status refused = savePassCriteria(path, {row});
    QVERIFY(!refused);
    QVERIFY(!refused.error().message.isEmpty());
    QList<std::array<QString, 12>> tooMany(36);
    QVERIFY(!savePassCriteria(path, tooMany).ok());
    // The old file is untouched.
    PassCriteriaTable table;
    QVERIFY(loadPassCriteria(path, &table).ok());
    QCOMPARE(table[1].targetTime, 10);
}

void TestPassCriteria::outOfRangeLevelGivesEmptyRow() {
    PassCriteriaTable table;
    table.row(1).targetTime = 3;
    QCOMPARE(table[-1].targetTime, 0);
    QCOMPARE(table[36].targetTime, 0);
    QCOMPARE(table[1].targetTime, 3);
}

QTEST_GUILESS_MAIN(TestPassCriteria)
#include "tst_passcriteria.moc"
