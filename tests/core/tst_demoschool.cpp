#include "core/installation.h"
#include "core/runstate.h"
#include "data/answerlogaudit.h"
#include "data/oledate.h"
#include "data/textio.h"
#include "support/demoschool.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cstring>

using namespace kz;

// The demo school generator must produce an installation the program accepts as it is.
class TestDemoSchool : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void installationIsAccepted();
    void rosterDecodesAsCp932();
    void resultsAreWholeRecords();
    void criteriaAreSensible();
    void soundsAreListed();
    void answerLogMatchesTheResults();

private:
    QTemporaryDir dir_;
    QString common_;
    const QDate today_{2026, 2, 16};
};

void TestDemoSchool::initTestCase() {
    QVERIFY(dir_.isValid());
    common_ = dir_.filePath(QStringLiteral("school, with comma"));
    const QString failure =
        test::makeDemoSchool(common_, {QStringLiteral("--today"), today_.toString(Qt::ISODate)});
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    common_ += u'/';
}

void TestDemoSchool::installationIsAccepted() {
    RunState state;
    const Outcome<QStringList> r = resolveInstallation(common_ + "kazurin2", state);
    QVERIFY2(r.ok(), qPrintable(r.ok() ? QString() : r.error().text()));
    QVERIFY2(r->isEmpty(), qPrintable(r->join(u'\n')));
    QCOMPARE(state.settings.installation.dataRoot, common_ + "data/");
    QCOMPARE(state.settings.installation.siteCode, QStringLiteral("00123"));
    QCOMPARE(state.settings.installation.siteName, QStringLiteral("さくら塾"));
    QCOMPARE(state.settings.installation.teacherPassword, QStringLiteral("1414"));
    QCOMPARE(state.settings.installation.schoolYearStartMonth, 4);
    QCOMPARE(state.settings.installation.flagTwoListed, 0);
    QCOMPARE(state.tables.criteria.levelLines, 25);
    const QFileInfo launcher(state.settings.installation.launcherPath());
    QVERIFY(launcher.isFile());
    QVERIFY(launcher.isExecutable());
}

void TestDemoSchool::rosterDecodesAsCp932() {
    const Outcome<FreeValueText> rosterRead = FreeValueText::load(common_ + "data/新名簿.txt");
    QVERIFY(rosterRead.ok());
    const FreeValueText& roster = *rosterRead;
    QVERIFY(roster.lines().size() >= 40);
    int stars = 0;
    int sensei = 0;
    QList<int> flags;
    QSet<int> years;
    const int schoolYear = today_.month() < 4 ? today_.year() - 1 : today_.year();
    for (const TextLine& line : roster.lines()) {
        QCOMPARE(line.values.size(), 8);
        const QString name = line.values[4];
        QVERIFY(!name.contains(QChar::ReplacementCharacter));
        QVERIFY(name.size() <= 20);
        stars += name.contains(QStringLiteral("★"));
        sensei += name.contains(QStringLiteral("先生"));
        flags << line.values[5].toInt();
        const int bangou = line.values[0].toInt();
        QVERIFY(bangou >= 1 && bangou <= 5000);
        if (bangou < 1000)
            years.insert(schoolYear - line.values[1].toInt() - 6);
    }
    QCOMPARE(stars, 1);
    QCOMPARE(sensei, 1);
    QCOMPARE(flags.count(1), 1);
    QCOMPARE(flags.count(2), 1);
    // Kindergarten to high school.
    QVERIFY(years.contains(0) && years.contains(1) && years.contains(6) && years.contains(9) &&
            years.contains(10));
}

void TestDemoSchool::resultsAreWholeRecords() {
    QFile f(common_ + "data/kazurin2/成績累積データ.dat");
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QCOMPARE(bytes.size() % 44, 0);
    const qsizetype n = bytes.size() / 44;
    QVERIFY(n >= 200);
    int timeouts = 0;
    double last = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char* r = bytes.constData() + i * 44;
        double date = 0;
        double time = 0;
        std::memcpy(&date, r, 8);
        std::memcpy(&time, r + 8, 8);
        const qint16 bangou = qFromLittleEndian<qint16>(r + 16);
        const qint16 level = qFromLittleEndian<qint16>(r + 18);
        const qint32 seconds = qFromLittleEndian<qint32>(r + 20);
        const QDate day = dateFromOle(date);
        QVERIFY(day.isValid());
        QVERIFY(day <= today_ && day >= today_.addDays(-42));
        QVERIFY(time >= 0 && time < 1);
        QVERIFY(date + time >= last); // appended in time order
        last = date + time;
        QVERIFY(bangou >= 1 && bangou <= 5000);
        QVERIFY(level >= 1 && level <= 25);
        QVERIFY(seconds > 0);
        timeouts += seconds == 99999;
        QCOMPARE(QByteArray(r + 24, 20), QByteArray("00123     0    \0\0\0\0\0", 20));
    }
    QVERIFY(timeouts >= 1);
    QVERIFY(timeouts < n / 10);
}

void TestDemoSchool::criteriaAreSensible() {
    PassCriteriaTable table;
    QVERIFY(loadPassCriteria(common_ + "data/kazurin2/タイム回数データ.txt", &table).ok());
    for (int level = 1; level <= 25; ++level) {
        const PassCriteria& row = table[level];
        QVERIFY(row.targetTime >= 30 && row.targetTime <= 200);
        QVERIFY(row.minimumTime > row.targetTime);
        QVERIFY(row.clearCount > 0);
        QVERIFY(row.pointMultiplier.floorTimes(10) >= 10);
        QCOMPARE(row.texts[9], QString());
    }
}

void TestDemoSchool::soundsAreListed() {
    const QString folder = common_ + "data/音フォルダ/";
    const Outcome<FreeValueText> listRead = FreeValueText::load(folder + "新音ファイル.txt");
    QVERIFY(listRead.ok());
    const FreeValueText& list = *listRead;
    QStringList kinds;
    for (const TextLine& line : list.lines()) {
        kinds << line.values.first();
        QCOMPARE(line.values.last(), QStringLiteral("*"));
        for (qsizetype i = 1; i + 1 < line.values.size(); ++i)
            QVERIFY2(QFile::exists(folder + line.values[i] + ".wav"), qPrintable(line.values[i]));
    }
    QCOMPARE(kinds.size(), 10);
    QVERIFY(kinds.contains(QStringLiteral("正解音2")));
    for (const char* fixed : {"最高1.wav", "合格.wav", "警告1.wav"}) {
        QFile wav(folder + QString::fromUtf8(fixed));
        QVERIFY(wav.open(QIODevice::ReadOnly));
        const QByteArray head = wav.read(44);
        QVERIFY(head.startsWith("RIFF"));
        QCOMPARE(qFromLittleEndian<quint16>(head.constData() + 22), quint16(1));     // mono
        QCOMPARE(qFromLittleEndian<quint32>(head.constData() + 24), quint32(22050)); // rate
        QCOMPARE(qFromLittleEndian<quint16>(head.constData() + 34), quint16(16));    // bits
    }
}

void TestDemoSchool::answerLogMatchesTheResults() {
    const Outcome<AnswerLogContents> log = readAnswerLog(common_ + "data/kazurin2/" + answerLogFileName());
    QVERIFY(log.ok());
    QVERIFY(!log->headerMissing);
    QVERIFY(log->problems.isEmpty());
    QVERIFY(log->lines.size() > 1000);
    const Outcome<ResultsFileContents> results = readAllResults(common_ + "data/kazurin2/成績累積データ.dat");
    QVERIFY(results.ok());
    const AnswerLogAudit audit = auditAnswerLog(*results, *log);
    QVERIFY(audit.attemptsWithoutAnswers.empty());
    QVERIFY(audit.answersWithoutAttempt.empty());
}

QTEST_GUILESS_MAIN(TestDemoSchool)
#include "tst_demoschool.moc"
