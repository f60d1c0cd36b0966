#include "core/soundtable.h"
#include "data/textio.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kz;

namespace {

// One kind of the loaded table, as "count:name1|name2|..." over the filled slots.
QString describe(const SoundTable::Kind& kind) {
    QStringList names;
    int last = 0;
    for (int s = 1; s <= SoundTable::kSlots; ++s) {
        if (!kind.files[s].isEmpty())
            last = s;
    }
    for (int s = 1; s <= last; ++s)
        names << kind.files[s];
    return QString::number(kind.count) + u':' + names.join(u'|');
}

QStringList numbered(const QString& stem, int n) {
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out << stem + QString::number(i);
    return out;
}

} // namespace

class TestSoundTable : public QObject {
    Q_OBJECT
private slots:
    void init();
    void loadsGroups_data();
    void loadsGroups();
    void kindNamesAreFilled();
    void missingFileLeavesEveryKindSilent();
    void readsCp932();

private:
    bool writeList(const QStringList& lines);
    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
};

void TestSoundTable::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    path_ = dir_->filePath(QStringLiteral("新音ファイル.txt"));
}

bool TestSoundTable::writeList(const QStringList& lines) {
    return writeCp932Lines(path_, lines).ok();
}

void TestSoundTable::loadsGroups_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QStringList>("silentKinds"); // kind numbers that must have no count

    const QStringList example{"正解音2", "pinpon", "seikai2", "*", "間違い音2", "bubu", "*"};
    QTest::newRow("example: right") << example << 2 << "2:pinpon|seikai2" << QStringList{"1", "3", "8", "10"};
    QTest::newRow("example: wrong") << example << 4 << "1:bubu" << QStringList{};
    QTest::newRow("commas on one line")
        << QStringList{"正解音2,pinpon , seikai2,*"} << 2 << "2:pinpon|seikai2" << QStringList{};
    QTest::newRow("zero names") << QStringList{"不合格音1", "*"} << 10 << "0:" << QStringList{};

    QTest::newRow("19 names then *") << (QStringList{"自己最高音2"} + numbered("f", 19) + QStringList{"*"})
                                     << 8 << "19:" + numbered("f", 19).join(u'|') << QStringList{};
    QTest::newRow("20 names leave the count unset")
        << (QStringList{"自己最高音2"} + numbered("f", 20) + QStringList{"*"}) << 8
        << "-1:" + numbered("f", 20).join(u'|') << QStringList{"8"};
    // The "*" after the 20th name is a stray value; the next group is read normally.
    QTest::newRow("group after 20 names")
        << (QStringList{"自己最高音2"} + numbered("f", 20) + QStringList{"*", "正解音2", "a", "*"}) << 2
        << "1:a" << QStringList{"8"};

    QTest::newRow("kind named twice: later names over earlier slots")
        << QStringList{"正解音2", "a", "b", "c", "*", "正解音2", "x", "*"} << 2 << "1:x|b|c" << QStringList{};
    QTest::newRow("kind named twice: unclosed later group keeps the earlier count")
        << (QStringList{"正解音2", "a", "*", "正解音2"} + numbered("g", 20)) << 2
        << "1:" + numbered("g", 20).join(u'|') << QStringList{};

    QTest::newRow("stray values skipped") << QStringList{"メモ", "*", "pinpon", "正解音2", "ok", "*", "bubu"}
                                          << 2 << "1:ok" << QStringList{"4"};
    QTest::newRow("kind name inside a group is a file name")
        << QStringList{"正解音2", "a", "間違い音2", "*", "*"} << 2 << "2:a|間違い音2" << QStringList{"4"};
    QTest::newRow("full-width digit is another name")
        << QStringList{"正解音２", "a", "*", " 正解音2 ", "b", "*"} << 2 << "1:b" << QStringList{};
    QTest::newRow("near name is no kind")
        << QStringList{"正解音", "a", "*", "正解音22", "b", "*"} << 2 << "-1:" << QStringList{"2"};
    QTest::newRow("unclosed group at end of file")
        << QStringList{"間違い音2", "bubu", "boo"} << 4 << "-1:bubu|boo" << QStringList{"4"};
    QTest::newRow("kind name as the last value")
        << QStringList{"正解音2", "a", "*", "間違い音2"} << 4 << "-1:" << QStringList{"4"};
    QTest::newRow("empty value is a name") << QStringList{"正解音2,,b,*"} << 2 << "2:|b" << QStringList{};
    QTest::newRow("quoted names") << QStringList{"\"正解音2\",\"pin, pon\",\"*\""} << 2 << "1:pin, pon"
                                  << QStringList{};
    QTest::newRow("empty file") << QStringList{} << 2 << "-1:" << QStringList{"1", "2", "10"};
}

void TestSoundTable::loadsGroups() {
    QFETCH(QStringList, lines);
    QFETCH(int, kind);
    QFETCH(QString, expected);
    QFETCH(QStringList, silentKinds);
    QVERIFY(writeList(lines));
    SoundTable table;
    table.kinds[3].count = 7; // whatever was there before is replaced
    QVERIFY(loadSoundTable(path_, &table));
    QCOMPARE(describe(table.kinds[kind]), expected);
    for (const QString& k : silentKinds)
        QCOMPARE(table.kinds[k.toInt()].count, -1);
    QCOMPARE(table.kinds[3].count, -1);
}

void TestSoundTable::kindNamesAreFilled() {
    const QStringList names{"正解音1", "正解音2",     "間違い音1",   "間違い音2",   "最高音1",
                            "最高音2", "自己最高音1", "自己最高音2", "自己最高音3", "不合格音1"};
    for (const bool present : {true, false}) {
        if (present)
            QVERIFY(writeList({"正解音1", "*"}));
        else
            QFile::remove(path_);
        SoundTable table;
        QCOMPARE(loadSoundTable(path_, &table), present);
        for (int k = 1; k <= SoundTable::kKinds; ++k)
            QCOMPARE(table.kinds[k].name, names[k - 1]);
    }
}

void TestSoundTable::missingFileLeavesEveryKindSilent() {
    SoundTable table;
    table.kinds[2].count = 2;
    table.kinds[2].files[1] = QStringLiteral("old");
    QVERIFY(!loadSoundTable(dir_->filePath(QStringLiteral("ない.txt")), &table));
    for (int k = 1; k <= SoundTable::kKinds; ++k) {
        QCOMPARE(table.kinds[k].count, -1);
        for (int s = 1; s <= SoundTable::kSlots; ++s)
            QVERIFY(table.kinds[k].files[s].isEmpty());
    }
}

void TestSoundTable::readsCp932() {
    // Bytes as written by the installation's editors: Shift-JIS with CR LF.
    const Outcome<QByteArray> encoded = encodeCp932(QStringLiteral("正解音2\r\nピンポン①\r\n*\r\n"));
    QVERIFY(encoded.ok());
    const QByteArray bytes = *encoded;
    QFile file(path_);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    SoundTable table;
    QVERIFY(loadSoundTable(path_, &table));
    QCOMPARE(describe(table.kinds[2]), QStringLiteral("1:ピンポン①"));
}

QTEST_GUILESS_MAIN(TestSoundTable)
#include "tst_soundtable.moc"
