#include "core/installation.h"
#include "core/runstate.h"
#include "data/answerlog.h"
#include "data/resultmaintenance.h"
#include "data/resultstore.h"
#include "data/roster.h"
#include "data/statistics.h"
#include "data/textio.h"
#include "platform/sdlsoundplayer.h"
#include "support/smalldisk.h"

#include <memory>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace kz;

namespace {

// A common folder with a program folder, a path file and a data root.
struct School {
    QTemporaryDir dir;
    QString common() const { return dir.path() + QStringLiteral("/"); }
    QString data() const { return common() + QStringLiteral("data/"); }

    bool writeText(const QString& path, const QString& text) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QList<QString> lines = text.split(QStringLiteral("\n"));
        return writeCp932Lines(path, lines).ok();
    }
    bool build(const QString& pathValue,
               const QString& settings = QStringLiteral("4,00123さくら塾,1,,,pw7,,,,")) {
        QDir().mkpath(common() + QStringLiteral("drill2"));
        return writeText(common() + QStringLiteral("パスデータ.txt"),
                         pathValue + QStringLiteral(",0,0,0,0,0,0,0,0,0")) &&
               writeText(data() + QStringLiteral("共通データ.txt"), settings);
    }
    QString exe(const QString& name = QStringLiteral("drill2")) const { return common() + name; }
};

} // namespace

class TestInstallation : public QObject {
    Q_OBJECT
private slots:
    void siteText_data();
    void siteText();
    void pathsFromTheProgramFolder();
    void windowsStyleDataRoot();
    void relativeDataRootCountsFromPathFileFolder();
    void dataRootGetsItsSeparator_data();
    void dataRootGetsItsSeparator();
    void valuesOnSeparateLines();
    void fatalFiles_data();
    void fatalFiles();
    void failureLeavesInstallationUntouched();
    void twoProgramFoldersShareOneDataRoot();
    void resolveLoadsCriteriaAndReportsMissingFiles();
    void resolveReportsTruncatedCriteria();
    void startFinishesAnInterruptedRemoval();
    void namedPipeInPlaceOfADataFile_data();
    void namedPipeInPlaceOfADataFile();
};

void TestInstallation::siteText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("code and name") << "00123さくら塾"
                                   << "00123"
                                   << "さくら塾";
    QTest::newRow("name only") << "さくら塾"
                               << ""
                               << "さくら塾";
    QTest::newRow("exactly five") << "01234"
                                  << "01234"
                                  << "";
    QTest::newRow("short number") << "12"
                                  << "12"
                                  << "";
    QTest::newRow("zero code") << "00000さくら塾"
                               << ""
                               << "00000さくら塾";
    QTest::newRow("leading spaces") << "  12 あおば"
                                    << "  12 "
                                    << "あおば";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
    QTest::newRow("number after letters") << "ab123塾"
                                          << ""
                                          << "ab123塾";
}

void TestInstallation::siteText() {
    QFETCH(QString, text);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QString gotCode = QStringLiteral("old");
    QString gotName = QStringLiteral("old");
    splitSiteText(text, &gotCode, &gotName);
    QCOMPARE(gotCode, code);
    QCOMPARE(gotName, name);
}

void TestInstallation::pathsFromTheProgramFolder() {
    School s;
    QVERIFY(s.build(s.data()));
    Installation inst;
    const Status resolved = resolveInstallationPaths(s.exe(), &inst);
    QVERIFY2(resolved.ok(), qPrintable(resolved.ok() ? QString() : resolved.error().text()));
    QCOMPARE(inst.appFolder, s.common() + "drill2/");
    QCOMPARE(inst.dataRoot, s.data());
    QCOMPARE(inst.programFolderName, QStringLiteral("drill2"));
    QCOMPARE(inst.programDataFolder, s.data() + "drill2/");
    QCOMPARE(inst.soundFolder, s.data() + "音フォルダ/");
    QCOMPARE(inst.schoolYearStartMonth, 4);
    QCOMPARE(inst.siteCode, QStringLiteral("00123"));
    QCOMPARE(inst.siteName, QStringLiteral("さくら塾"));
    QCOMPARE(inst.flagTwoListed, 1);
    QCOMPARE(inst.teacherPassword, QStringLiteral("pw7"));
    QCOMPARE(inst.criteriaPath(), s.data() + "drill2/タイム回数データ.txt");
    QCOMPARE(inst.resultsPath(), s.data() + "drill2/成績累積データ.dat");
    QCOMPARE(inst.rosterPath(), s.data() + "新名簿.txt");
    QCOMPARE(inst.soundListPath(), s.data() + "音フォルダ/新音ファイル.txt");
    QCOMPARE(inst.launcherPath(), s.common() + "起動/プログラムメニューc.exe");
    // A trailing separator on the executable's folder changes nothing.
    Installation again;
    QVERIFY(resolveInstallationPaths(s.exe() + "/", &again).ok());
    QCOMPARE(again.appFolder, inst.appFolder);
    QCOMPARE(again.programFolderName, inst.programFolderName);
}

void TestInstallation::windowsStyleDataRoot() {
    School s;
    QString windows = s.data();
    windows.replace(u'/', u'\\');
    QVERIFY(s.build(windows));
    Installation inst;
    const Status resolved = resolveInstallationPaths(s.exe(), &inst);
    QVERIFY2(resolved.ok(), qPrintable(resolved.ok() ? QString() : resolved.error().text()));
    QCOMPARE(inst.dataRoot, s.data());
    QCOMPARE(inst.programDataFolder, s.data() + "drill2/");
    QCOMPARE(inst.siteName, QStringLiteral("さくら塾"));
}

void TestInstallation::relativeDataRootCountsFromPathFileFolder() {
    School s;
    QVERIFY(s.build(QStringLiteral("data\\")));
    Installation inst;
    const Status resolved = resolveInstallationPaths(s.exe(), &inst);
    QVERIFY2(resolved.ok(), qPrintable(resolved.ok() ? QString() : resolved.error().text()));
    QCOMPARE(inst.dataRoot, s.common() + "data/");
    QCOMPARE(QFileInfo(inst.rosterPath()).absoluteFilePath(), s.data() + "新名簿.txt");
}

void TestInstallation::dataRootGetsItsSeparator_data() {
    QTest::addColumn<QString>("pathFile"); // DATA stands for the data folder without separator
    QTest::newRow("no separator, ten values") << "DATA,0,0,0,0,0,0,0,0,0";
    QTest::newRow("no separator, one value") << "DATA";
    QTest::newRow("windows separator") << "DATA\\";
    QTest::newRow("separator, one value") << "DATA/";
    QTest::newRow("quoted, one value") << "\"DATA\"";
}

// A data folder written without its closing separator could never have worked (the file
// names run into it): it gets one. Values 2 to 10 are not used: one value is enough.
void TestInstallation::dataRootGetsItsSeparator() {
    QFETCH(QString, pathFile);
    School s;
    QVERIFY(s.build(s.data()));
    const QString root = s.common() + "data";
    QVERIFY(s.writeText(s.common() + "パスデータ.txt", QString(pathFile).replace("DATA", root)));
    Installation inst;
    const Status resolved = resolveInstallationPaths(s.exe(), &inst);
    QVERIFY2(resolved.ok(), qPrintable(resolved.error().text()));
    QCOMPARE(inst.dataRoot, root + "/");
    QCOMPARE(inst.programDataFolder, root + "/drill2/");
    QCOMPARE(inst.soundFolder, root + "/音フォルダ/");
}

void TestInstallation::valuesOnSeparateLines() {
    School s;
    QVERIFY(
        s.build(s.data(), QStringLiteral("4\n\"01234\"\n0\n\"\"\n\"\"\n\"a, b\"\n\"\"\n\"\"\n\"\"\n\"\"")));
    Installation inst;
    const Status resolved = resolveInstallationPaths(s.exe(), &inst);
    QVERIFY2(resolved.ok(), qPrintable(resolved.ok() ? QString() : resolved.error().text()));
    QCOMPARE(inst.siteCode, QStringLiteral("01234"));
    QCOMPARE(inst.siteName, QString());
    QCOMPARE(inst.teacherPassword, QStringLiteral("a, b"));
}

void TestInstallation::fatalFiles_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("file");
    QTest::newRow("no path file") << 0 << "パスデータ.txt";
    QTest::newRow("no settings file") << 1 << "data/共通データ.txt";
    QTest::newRow("settings too short") << 2 << "data/共通データ.txt";
    QTest::newRow("empty path file") << 3 << "パスデータ.txt";
    QTest::newRow("empty data root value") << 4 << "パスデータ.txt";
}

void TestInstallation::fatalFiles() {
    QFETCH(int, fault);
    QFETCH(QString, file);
    School s;
    QVERIFY(s.build(s.data()));
    switch (fault) {
    case 0:
        QVERIFY(QFile::remove(s.common() + "パスデータ.txt"));
        break;
    case 1:
        QVERIFY(QFile::remove(s.data() + "共通データ.txt"));
        break;
    case 2:
        QVERIFY(s.writeText(s.data() + "共通データ.txt", QStringLiteral("4,00123さくら塾,0,,")));
        break;
    case 3:
        QVERIFY(s.writeText(s.common() + "パスデータ.txt", QString()));
        break;
    default:
        QVERIFY(s.writeText(s.common() + "パスデータ.txt", QStringLiteral(",0,0")));
        break;
    }
    RunState state;
    const Outcome<QStringList> r = resolveInstallation(s.exe(), state);
    QVERIFY(!r.ok());
    QCOMPARE(r.error().detail, s.common() + file);
    QVERIFY2(r.error().message.contains(QFileInfo(file).fileName()), qPrintable(r.error().message));
    QVERIFY(state.catalogue.programTitle.isEmpty()); // nothing else ran
}

void TestInstallation::failureLeavesInstallationUntouched() {
    School s;
    QVERIFY(s.build(s.data()));
    QVERIFY(QFile::remove(s.data() + "共通データ.txt"));
    Installation inst;
    inst.siteName = QStringLiteral("before");
    QVERIFY(!resolveInstallationPaths(s.exe(), &inst).ok());
    QCOMPARE(inst.siteName, QStringLiteral("before"));
    QVERIFY(inst.dataRoot.isEmpty());
}

void TestInstallation::twoProgramFoldersShareOneDataRoot() {
    School s;
    QVERIFY(s.build(s.data()));
    QVERIFY(QDir().mkpath(s.common() + "drill3"));
    Installation a;
    Installation b;
    QVERIFY(resolveInstallationPaths(s.exe(QStringLiteral("drill2")), &a).ok());
    QVERIFY(resolveInstallationPaths(s.exe(QStringLiteral("drill3")), &b).ok());
    QCOMPARE(a.rosterPath(), b.rosterPath());
    QCOMPARE(a.soundFolder, b.soundFolder);
    QVERIFY(a.programDataFolder != b.programDataFolder);
    QCOMPARE(b.resultsPath(), s.data() + "drill3/成績累積データ.dat");
}

void TestInstallation::resolveLoadsCriteriaAndReportsMissingFiles() {
    School s;
    QVERIFY(s.build(s.data()));
    RunState state;
    state.tables.criteria.row(1).targetTime = 99; // from an earlier load: must not survive
    Outcome<QStringList> r = resolveInstallation(s.exe(), state);
    QVERIFY(r.ok());
    QCOMPARE(state.catalogue.programTitle, QStringLiteral("カズリンその２"));
    QCOMPARE(state.settings.installation.siteCode, QStringLiteral("00123"));
    QCOMPARE(state.tables.criteria[1].targetTime, 0);
    // No program data folder either: nothing could be recorded, and the start-up says so.
    QCOMPARE(r->size(), 3);
    QVERIFY((*r)[0].contains(state.settings.installation.criteriaPath()));
    QVERIFY((*r)[1].startsWith(QStringLiteral("成績を記録できません")));
    QVERIFY((*r)[1].contains(QDir::cleanPath(state.settings.installation.programDataFolder)));
    QVERIFY((*r)[2].contains(state.settings.installation.soundListPath()));
    // ... and keeps saying so on the name screen.
    QVERIFY(state.settings.recordingProblem.startsWith(QStringLiteral("成績を記録できません")));

    QString criteria = QStringLiteral("h,,,,,,,,,,,");
    for (int level = 1; level <= 25; ++level)
        criteria += QStringLiteral("\n600,60,10,3,1.5,20,100,7,1,,,");
    QVERIFY(s.writeText(state.settings.installation.criteriaPath(), criteria));
    QVERIFY(s.writeText(state.settings.installation.soundListPath(), QStringLiteral("正解音2,a,*")));
    RunState second;
    r = resolveInstallation(s.exe(), second);
    QVERIFY(r.ok());
    QVERIFY2(r->isEmpty(), qPrintable(r->join(u'\n')));
    QCOMPARE(second.tables.criteria[1].timeLimit(), 300);
    QVERIFY(second.settings.recordingProblem.isEmpty());

    // A copy left by an interrupted removal of a record is told, not passed over.
    QVERIFY(s.writeText(second.settings.installation.resultsTempPath(), QString(88, u'x')));
    RunState third;
    r = resolveInstallation(s.exe(), third);
    QCOMPARE(r->size(), 1);
    QVERIFY((*r)[0].contains(QDir::toNativeSeparators(third.settings.installation.resultsTempPath())));
    QVERIFY((*r)[0].contains(QStringLiteral("（記録 2 件）")));
}

void TestInstallation::resolveReportsTruncatedCriteria() {
    School s;
    QVERIFY(s.build(s.data(), QStringLiteral("13,x,0,,,p,,,,")));
    QString text = QStringLiteral("h,,,,,,,,,,,");
    for (int level = 1; level <= 36; ++level)
        text += QStringLiteral("\n%1,2,3,4,1,6,7,8,9,,,").arg(level);
    QVERIFY(s.writeText(s.data() + "drill2/タイム回数データ.txt", text));
    QVERIFY(s.writeText(s.data() + "音フォルダ/新音ファイル.txt", QStringLiteral("*")));
    RunState state;
    const Outcome<QStringList> r = resolveInstallation(s.exe(), state);
    QVERIFY(r.ok());
    QCOMPARE(state.tables.criteria[35].targetTime, 35);
    // The month 13 and the 36th level are both told.
    QCOMPARE(r->size(), 2);
    QVERIFY((*r)[0].contains(QStringLiteral("13")));
    QVERIFY((*r)[1].contains(s.data() + "drill2/タイム回数データ.txt"));
}

// A removal that could neither finish nor be undone while it ran (the disk failed on
// the way) is undone when the next station starts, under the append lock.
void TestInstallation::startFinishesAnInterruptedRemoval() {
    School s;
    QVERIFY(s.build(s.data()));
    RunState state;
    QVERIFY(resolveInstallation(s.exe(), state).ok());
    const Installation& inst = state.settings.installation;
    QByteArray records;
    for (int k = 1; k <= 3; ++k)
        records += encodeResultRecord(
            makeResultRecord(QDateTime(QDate(2004, 3, 15), QTime(9, 0)), qint16(k), 1, 60, u"00123"));
    QVERIFY(QDir().mkpath(inst.programDataFolder));
    QFile file(inst.resultsPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(records);
    file.close();
    MaintenanceOptions failing;
    failing.checkpoint = [](RemovalStep step) -> Status {
        if (step == RemovalStep::Rewritten)
            return makeError(ErrorKind::WriteFailed, QStringLiteral("I/O エラー"));
        return {};
    };
    QVERIFY(!removeResult(inst.resultsPath(), inst.resultsTempPath(), 2, std::nullopt, failing).ok());
    QVERIFY(QFile::exists(inst.resultsTempPath()));

    RunState next;
    const Outcome<QStringList> started = resolveInstallation(s.exe(), next);
    QVERIFY(started.ok());
    QVERIFY2(started->join(u'\n').contains(QStringLiteral("消去の前に戻しました")),
             qPrintable(started->join(u'\n')));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), records);
    QVERIFY(!QFile::exists(inst.resultsTempPath()));
}

// A named pipe where a data file belongs: the start-up and every reader of the program
// answer at once with a message naming the file (a pipe without a writer would hold them
// in open() for ever, where not even a signal to quit ends the program).
void TestInstallation::namedPipeInPlaceOfADataFile_data() {
    QTest::addColumn<QString>("file"); // below the common folder
    QTest::newRow("path file") << "パスデータ.txt";
    QTest::newRow("common settings") << "data/共通データ.txt";
    QTest::newRow("criteria") << "data/drill2/タイム回数データ.txt";
    QTest::newRow("sound list") << "data/音フォルダ/新音ファイル.txt";
    QTest::newRow("sound") << "data/音フォルダ/pinpon.wav";
    QTest::newRow("roster") << "data/新名簿.txt";
    QTest::newRow("results") << "data/drill2/成績累積データ.dat";
    QTest::newRow("answer log") << "data/drill2/問題別記録.csv";
}

void TestInstallation::namedPipeInPlaceOfADataFile() {
    QFETCH(QString, file);
    School s;
    QVERIFY(s.build(s.data()));
    QString criteria = QStringLiteral("h,,,,,,,,,,,");
    for (int level = 1; level <= 25; ++level)
        criteria += QStringLiteral("\n600,60,10,3,1.5,20,100,7,1,,,");
    QVERIFY(s.writeText(s.data() + "drill2/タイム回数データ.txt", criteria));
    QVERIFY(s.writeText(s.data() + "音フォルダ/新音ファイル.txt", QStringLiteral("正解音2,pinpon,*")));
    QVERIFY(s.writeText(s.data() + "新名簿.txt", QStringLiteral("17,1996,0,0,テスト,0,,")));
    const QString pipe = s.common() + file;
    QVERIFY(test::makeFifo(pipe));
    ::alarm(60); // a reader that waits on the pipe ends the test here

    RunState state;
    const Outcome<QStringList> started = resolveInstallation(s.exe(), state, &SdlSoundPlayer::probeFile);
    const QString told = started ? started->join(u'\n') : started.error().text() + started.error().detail;
    const Installation& inst = state.settings.installation;
    QStringList errors{told};
    if (started) {
        RosterTables roster;
        errors << loadRoster(inst.rosterPath(), QDate(2004, 3, 15), 4, 0, &roster).error().text();
        auto stats = std::make_unique<StatisticsTables>();
        errors << refreshStatistics(inst.resultsPath(), state.tables.criteria,
                                    QDateTime(QDate(2004, 3, 15), QTime(9, 0)), stats.get())
                      .error()
                      .text();
        errors << appendResult(inst.resultsPath(), ResultRecord{}).error().text();
        const QString log = inst.programDataFolder + answerLogFileName();
        errors << readAnswerLog(log).error().text() << appendAnswerLines(log, "x\n").error().text();
    }
    ::alarm(0);
    const QString all = errors.join(u'\n');
    QVERIFY2(all.contains(QFileInfo(pipe).fileName()) && all.contains(QStringLiteral("名前付きパイプ")),
             qPrintable(all));
}

QTEST_GUILESS_MAIN(TestInstallation)
#include "tst_installation.moc"
