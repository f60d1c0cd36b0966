#include "core/installation.h"
#include "core/newschool.h"
#include "data/textio.h"
#include "support/testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace kz;

class TestNewSchool : public QObject {
    Q_OBJECT
private slots:
    void siteCode_data();
    void siteCode();
    void textValues_data();
    void textValues();
    void settingsResolveToTheOptions();
    void pathFileIsCp932WithItsSeparator();
    void existingFilesAreKept();
    void missingBundledFilesAreTold();
};

void TestNewSchool::siteCode_data() {
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("code"); // empty: refused
    QTest::newRow("five digits") << "00123"
                                 << "00123";
    QTest::newRow("padded") << "123"
                            << "00123";
    QTest::newRow("spaces around") << " 7 "
                                   << "00007";
    QTest::newRow("zero means no code") << "0"
                                        << "";
    QTest::newRow("six digits") << "123456"
                                << "";
    QTest::newRow("letters") << "12a"
                             << "";
    QTest::newRow("full-width digits") << "１２３"
                                       << "";
    QTest::newRow("empty") << ""
                           << "";
}

// The code fills the five bytes of every result record and must read back as a code.
void TestNewSchool::siteCode() {
    QFETCH(QString, given);
    QFETCH(QString, code);
    const Outcome<QString> made = siteCodeFrom(given);
    QCOMPARE(made.ok(), !code.isEmpty());
    if (!made)
        return;
    QCOMPARE(*made, code);
    QString readCode;
    QString readName;
    splitSiteText(*made + QStringLiteral("さくら塾"), &readCode, &readName);
    QCOMPARE(readCode, code);
    QCOMPARE(readName, QStringLiteral("さくら塾"));
}

void TestNewSchool::textValues_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("name with comma and spaces") << "さくら塾, 本校" << true;
    QTest::newRow("quote") << "a\"b" << false;
    QTest::newRow("line break") << "a\nb" << false;
    QTest::newRow("blank") << "  " << false;
    QTest::newRow("not in CP932") << "塾😀" << false;
    QTest::newRow("too long") << QString(41, u'x') << false;
    QTest::newRow("longest") << QString(40, u'x') << true;
}

void TestNewSchool::textValues() {
    QFETCH(QString, value);
    QFETCH(bool, accepted);
    const Status checked = checkTextValue(QStringLiteral("--x"), value, 40);
    QCOMPARE(checked.ok(), accepted);
    if (!accepted)
        QVERIFY(checked.error().message.contains(QStringLiteral("--x")));
}

// What init writes is what the program reads back: code, name (with its comma),
// password, the school year from April.
void TestNewSchool::settingsResolveToTheOptions() {
    QTemporaryDir dir;
    NewSchool school;
    school.dataFolder = dataFolderValue(QStringLiteral("data"), dir.path());
    QCOMPARE(school.dataFolder, dir.path() + "/data/");
    school.programFolderName = QStringLiteral("drill2");
    school.siteCode = QStringLiteral("00123");
    school.siteName = QStringLiteral("さくら塾, 本校");
    school.teacherPassword = QStringLiteral("pass word");
    QVERIFY(QDir().mkpath(dir.path() + "/common/drill2"));
    QVERIFY(writeCp932Lines(dir.path() + "/common/パスデータ.txt", pathFileLines(school.dataFolder)).ok());
    QVERIFY(QDir().mkpath(school.dataFolder));
    QVERIFY(writeCp932Lines(school.dataFolder + "共通データ.txt", commonSettingsLines(school)).ok());
    Installation inst;
    const Status resolved = resolveInstallationPaths(dir.path() + "/common/drill2", &inst);
    QVERIFY2(resolved.ok(), qPrintable(resolved.error().text()));
    QCOMPARE(inst.dataRoot, school.dataFolder);
    QCOMPARE(inst.siteCode, QStringLiteral("00123"));
    QCOMPARE(inst.siteName, QStringLiteral("さくら塾, 本校"));
    QCOMPARE(inst.teacherPassword, QStringLiteral("pass word"));
    QCOMPARE(inst.schoolYearStartMonth, 4);
}

void TestNewSchool::pathFileIsCp932WithItsSeparator() {
    QTemporaryDir dir;
    const QString data = dataFolderValue(QStringLiteral("/srv/学校/データ"), dir.path());
    QCOMPARE(data, QStringLiteral("/srv/学校/データ/"));
    const QString path = dir.path() + "/パスデータ.txt";
    QVERIFY(writeCp932Lines(path, pathFileLines(data)).ok());
    const QByteArray bytes = test::readBytes(path);
    QVERIFY(bytes.startsWith("\"/srv/" + *encodeCp932(QStringLiteral("学校/データ/")) + "\"\r\n0\r\n"));
    QCOMPARE(bytes.count("\r\n"), 10);
    QCOMPARE(bytes.count('\n'), 10);
}

// Nothing that exists is replaced, a link to elsewhere neither; the rest is made.
void TestNewSchool::existingFilesAreKept() {
    QTemporaryDir dir;
    const QString kept = dir.path() + "/data/新名簿.txt";
    QVERIFY(QDir().mkpath(dir.path() + "/data"));
    test::writeBytes(kept, "17,1996,0,0,old,0,,\r\n");
    const QString target = dir.path() + "/elsewhere.txt";
    QVERIFY(QFile::link(target, dir.path() + "/data/共通データ.txt")); // dangling
    const QList<NewFile> files{
        {dir.path() + "/data/共通データ.txt", {QStringLiteral("4,x,0,,,p,,,,")}, {}, false, {}},
        {kept, rosterTemplateLines(), {}, false, {}},
        {dir.path() + "/data/drill2/成績累積データ.dat", {}, {}, true, {}},
        {dir.path() + "/data/drill2/問題別記録.csv", {}, {}, true, "header\n"}};
    const QList<MadeFile> made = makeFiles(files);
    QCOMPARE(made.size(), 4);
    QCOMPARE(made[0].result, MadeFile::Kept);
    QCOMPARE(made[1].result, MadeFile::Kept);
    QCOMPARE(made[2].result, MadeFile::Made);
    QCOMPARE(made[3].result, MadeFile::Made);
    QVERIFY(!QFile::exists(target));
    QCOMPARE(test::readBytes(kept), QByteArray("17,1996,0,0,old,0,,\r\n"));
    QVERIFY(QFileInfo(dir.path() + "/data/drill2/成績累積データ.dat").isFile());
    QCOMPARE(QFileInfo(dir.path() + "/data/drill2/成績累積データ.dat").size(), 0);
    QCOMPARE(test::readBytes(dir.path() + "/data/drill2/問題別記録.csv"), QByteArray("header\n"));
}

void TestNewSchool::missingBundledFilesAreTold() {
    QTemporaryDir dir;
    NewSchool school;
    school.dataFolder = dir.path() + "/data/";
    school.programFolderName = QStringLiteral("kazurin2");
    const auto files = dataFolderFiles(school, dir.path() + "/nothing");
    QVERIFY(!files.ok());
    QVERIFY(files.error().message.contains(QStringLiteral("新音ファイル.txt")));
}

QTEST_GUILESS_MAIN(TestNewSchool)
#include "tst_newschool.moc"
