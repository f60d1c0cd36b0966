#include "data/oledate.h"
#include "data/textio.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kz;

class TestTextIo : public QObject {
    Q_OBJECT
private slots:
    void parsesFreeValueSyntax_data();
    void parsesFreeValueSyntax();
    void lineNumbersAndStream();
    void cp932ExtensionsRoundTrip();
    void unencodableCharacterIsAnError();
    void failedWriteIsAnError();
    void leadingNumber_data();
    void leadingNumber();
    void missingFileIsNotFound();
    void lineRanges_data();
    void lineRanges();
    void oleDates();
    void encodingOfBytes_data();
    void encodingOfBytes();
};

void TestTextIo::parsesFreeValueSyntax_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("values");
    QTest::newRow("plain") << QStringLiteral("a,b,c") << QStringList{"a", "b", "c"};
    QTest::newRow("spaces around unquoted") << QStringLiteral("  a , b  ,c ") << QStringList{"a", "b", "c"};
    QTest::newRow("quoted comma") << QStringLiteral("\"a, b\",c") << QStringList{"a, b", "c"};
    QTest::newRow("quoted keeps spaces") << QStringLiteral(" \" x \" ,y") << QStringList{" x ", "y"};
    QTest::newRow("empty fields") << QStringLiteral("1,,,") << QStringList{"1", "", "", ""};
    QTest::newRow("crlf") << QStringLiteral("a,b\r\nc\r\n") << QStringList{"a", "b", "c"};
    QTest::newRow("lf and no final end") << QStringLiteral("a\nb,c") << QStringList{"a", "b", "c"};
    QTest::newRow("blank line is one empty value")
        << QStringLiteral("a\r\n\r\nb") << QStringList{"a", "", "b"};
    QTest::newRow("unclosed quote runs to line end")
        << QStringLiteral("\"abc,d\ne") << QStringList{"abc,d", "e"};
    QTest::newRow("japanese") << QStringLiteral("山田　太郎,①,Ⅰ,～")
                              << QStringList{"山田　太郎", "①", "Ⅰ", "～"};
}

void TestTextIo::parsesFreeValueSyntax() {
    QFETCH(QString, input);
    QFETCH(QStringList, values);
    const FreeValueText text = FreeValueText::parse(input);
    QStringList got;
    for (qsizetype i = 0; i < text.valueCount(); ++i)
        got << text.value(i);
    QCOMPARE(got, values);
}

void TestTextIo::lineNumbersAndStream() {
    const FreeValueText text = FreeValueText::parse(QStringLiteral("a,b\r\n\r\nc"));
    QCOMPARE(text.lines().size(), 3);
    QCOMPARE(text.lines()[2].number, 3);
    QCOMPARE(text.lines()[2].values, QList<QString>{QStringLiteral("c")});
    ValueStream s(text);
    QCOMPARE(s.next(), QStringLiteral("a"));
    QCOMPARE(s.next(), QStringLiteral("b"));
    QCOMPARE(s.next(), QString()); // the blank line 2
    QCOMPARE(s.line(), 3);
    QCOMPARE(s.next(), QStringLiteral("c"));
    QVERIFY(s.atEnd());
    QCOMPARE(s.next(), QString()); // past the end: empty
}

void TestTextIo::cp932ExtensionsRoundTrip() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    const QString line = QStringLiteral("①②⑳,Ⅰ,Ⅲ,～,㈱,髙,カズリン,－");
    if (const Status written = writeCp932Lines(path, {line, QStringLiteral("x")}); !written)
        QFAIL(qPrintable(written.error().text()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QVERIFY(bytes.startsWith(QByteArray::fromHex("8740874187532c")));
    QVERIFY(bytes.endsWith("x\r\n"));
    const Outcome<FreeValueText> textRead = FreeValueText::load(path);
    QVERIFY(textRead.ok());
    const FreeValueText& text = *textRead;
    QCOMPARE(text.lines()[0].values.join(u','), line);
}

void TestTextIo::unencodableCharacterIsAnError() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    const Status written = writeCp932Lines(path, {QStringLiteral("ok 😀")});
    QVERIFY(!written);
    QVERIFY(!written.error().message.isEmpty());
    QVERIFY(!QFile::exists(path));
}

// A file that cannot be written is a failure naming it, never a silent success.
void TestTextIo::failedWriteIsAnError() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone/t.txt"));
    const Status written = writeCp932Lines(path, {QStringLiteral("x")});
    QVERIFY(!written);
    QCOMPARE(written.error().kind, ErrorKind::WriteFailed);
    QVERIFY(written.error().message.contains(path));
}

void TestTextIo::leadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("complete");
    QTest::newRow("int") << "42" << 42.0 << true;
    QTest::newRow("trailing point") << "42." << 42.0 << true;
    QTest::newRow("plus") << "+42" << 42.0 << true;
    QTest::newRow("plus after") << "42+" << 42.0 << false;
    QTest::newRow("minus inside") << "4-2" << 4.0 << false;
    QTest::newRow("empty") << "" << 0.0 << false;
    QTest::newRow("garbage") << "abc" << 0.0 << false;
    QTest::newRow("decimal") << " 1.5 " << 1.5 << true;
    QTest::newRow("negative") << "-3" << -3.0 << true;
    QTest::newRow("point only") << "." << 0.0 << false;
    QTest::newRow("leading point") << ".5" << 0.5 << true;
    // Digits alone are read in place, longer numbers through the general reader.
    QTest::newRow("zeros before") << " 007 " << 7.0 << true;
    QTest::newRow("space inside") << "12 3" << 12.0 << false;
    QTest::newRow("15 digits") << "-123456789012345" << -123456789012345.0 << true;
    QTest::newRow("16 digits") << "1234567890123456" << 1234567890123456.0 << true;
    QTest::newRow("30 digits") << "123456789012345678901234567890" << 1.2345678901234568e29 << true;
}

void TestTextIo::leadingNumber() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(bool, complete);
    bool c = false;
    QCOMPARE(kz::leadingNumber(text, &c), value);
    QCOMPARE(c, complete);
}

void TestTextIo::missingFileIsNotFound() {
    const Outcome<FreeValueText> text = FreeValueText::load(QStringLiteral("/nonexistent/folder/x.txt"));
    QVERIFY(!text);
    const Error& error = text.error();
    QCOMPARE(error.kind, ErrorKind::NotFound);
    QVERIFY(error.message.contains(QStringLiteral("/nonexistent/folder/x.txt")));
}

void TestTextIo::oleDates() {
    QCOMPARE(oleFromDate(QDate(2004, 3, 15)), 38061.0);
    QCOMPARE(dateFromOle(38061.0), QDate(2004, 3, 15));
    QCOMPARE(oleFromDate(QDate(1899, 12, 30)), 0.0);
    QVERIFY(qAbs(oleFromTime(QTime(14, 30)) - 0.6041666666) < 1e-9);
    QCOMPARE(timeFromOle(oleFromTime(QTime(14, 30, 0))), QTime(14, 30, 0));
    QCOMPARE(timeFromOle(oleFromTime(QTime(23, 59, 59))), QTime(23, 59, 59));
    QVERIFY(!dateFromOle(std::numeric_limits<double>::quiet_NaN()).isValid());
    QVERIFY(!dateFromOle(1e300).isValid());
    QVERIFY(!dateFromOle(-1e300).isValid());
}

void TestTextIo::lineRanges_data() {
    QTest::addColumn<QList<int>>("lines");
    QTest::addColumn<QString>("text");
    QTest::newRow("one") << QList<int>{7} << "7";
    QTest::newRow("a run") << QList<int>{1, 2, 3, 4, 5} << "1～5";
    QTest::newRow("unsorted with repeats") << QList<int>{9, 1, 2, 2, 5} << "1～2、5、9";
    QTest::newRow("cut") << QList<int>{1, 3, 5, 7, 9, 11, 13, 14, 20} << "1、3、5、7、9、11、ほか 3 行";
}

void TestTextIo::lineRanges() {
    QFETCH(QList<int>, lines);
    QFETCH(QString, text);
    QCOMPARE(kz::lineRanges(lines), text);
}

// The start-up tells a file's encoding from its bytes alone; a reader that parses the
// file must find the same lines.
void TestTextIo::encodingOfBytes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("acceptUtf8");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QList<int>>("problemLines");
    QTest::addColumn<QList<int>>("problemKinds");
    const QByteArray sjis = *encodeCp932(QStringLiteral("1,山田　①\r\n2,abc\r\n"));
    const QByteArray utf8 = QStringLiteral("1,abc\r\n2,山田\r\n3,x\r\n").toUtf8();
    const int looks = EncodingProblem::LooksUtf8;
    const int invalid = EncodingProblem::InvalidBytes;
    const int cp932 = int(TextEncoding::Cp932);
    QTest::newRow("ascii") << QByteArray("1,a\r\n2,b") << true << cp932 << QList<int>{} << QList<int>{};
    QTest::newRow("shift-jis") << sjis << true << cp932 << QList<int>{} << QList<int>{};
    QTest::newRow("utf-8 accepted") << utf8 << true << int(TextEncoding::Utf8) << QList<int>{2}
                                    << QList<int>{looks};
    QTest::newRow("utf-8 read as shift-jis") << utf8 << false << cp932 << QList<int>{2} << QList<int>{looks};
    QTest::newRow("byte order mark on an ascii line")
        << QByteArray("\xEF\xBB\xBF") + "1,a\n2," + QStringLiteral("山").toUtf8() << true
        << int(TextEncoding::Utf8) << QList<int>{1, 2} << QList<int>{looks, looks};
    QTest::newRow("broken lead byte and a stray byte")
        << QByteArray("1,\x81\r\n2,ok\r\n3,\xFF\xFF") << true << cp932 << QList<int>{1, 3}
        << QList<int>{invalid, invalid};
}

void TestTextIo::encodingOfBytes() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, acceptUtf8);
    QFETCH(int, encoding);
    QFETCH(QList<int>, problemLines);
    QFETCH(QList<int>, problemKinds);
    const TextEncodingFacts facts = FreeValueText::encodingOfBytes(bytes, acceptUtf8);
    QCOMPARE(int(facts.encoding), encoding);
    QList<int> lines;
    QList<int> kinds;
    for (const EncodingProblem& p : facts.problems) {
        lines << p.line;
        kinds << int(p.kind);
    }
    QCOMPARE(lines, problemLines);
    QCOMPARE(kinds, problemKinds);
    const TextEncodingFacts parsed = FreeValueText::fromFileBytes(bytes, acceptUtf8).encodingFacts();
    QCOMPARE(int(parsed.encoding), int(facts.encoding));
    QCOMPARE(parsed.utf8Throughout, facts.utf8Throughout);
    QCOMPARE(parsed.byteOrderMark, facts.byteOrderMark);
    QCOMPARE(parsed.problems.size(), facts.problems.size());
}

QTEST_GUILESS_MAIN(TestTextIo)
#include "tst_textio.moc"
