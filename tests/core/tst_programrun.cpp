#include "core/programrun.h"
#include "core/runstate.h"
#include "data/passcriteria.h"
#include "data/resultstore.h"
#include "platform/randomsource.h"
#include "support/resultsfixture.h"
#include "support/scriptedrun.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>

using namespace kz;
using namespace kz::test::results;

namespace {

class SeedRecorder final : public RandomSource {
public:
    QList<quint32> seeds;
    double next() override { return 0.0; }
    void seed(quint32 value) override { seeds.append(value); }
};

QString helper() {
#ifdef KZ_RESULT_APPENDER
    return QStringLiteral(KZ_RESULT_APPENDER);
#else
    return {};
#endif
}

// A run over a data folder in a temporary folder, its waits noted.
struct Fixture {
    QTemporaryDir dir;
    test::FakeClock clock;
    QStringList waits; // "file|path|ms" of every wait
    std::function<void()> duringWait;
    ProgramRun run{clock, test::fileWaitsCalling([this](const QString& file, const QString& path, int ms) {
                       waits << QStringLiteral("%1|%2|%3").arg(file, path).arg(ms);
                       if (duringWait)
                           duringWait();
                   })};
    RunState& state = RunStateSetUp::of(run);

    explicit Fixture(const QString& dataFolder = QString()) {
        Installation& inst = state.settings.installation;
        inst.dataRoot = dir.path() + u'/';
        inst.programDataFolder = dataFolder.isEmpty() ? inst.dataRoot : dir.filePath(dataFolder) + u'/';
        inst.schoolYearStartMonth = 4;
        state.tables.criteria = criteria();
        state.student.currentBangou = 17;
        run.chooseLevel(2);
    }
    QString resultsPath() const { return state.settings.installation.resultsPath(); }
};

} // namespace

// The run: the one owner of the run state, and the operations that change it or touch
// the shared files, each under the one rule for a shared file.
class TestProgramRun : public QObject {
    Q_OBJECT
private slots:
    void prepareRunSeedsAndColours();
    void recordedTime();
    void startAttemptClearsTheAttempt();
    void anAttemptEndsOnce();
    void chosenStudentBecomesCurrent();
    void heldResultsFileIsWaitedFor_data();
    void heldResultsFileIsWaitedFor();
    void oneMessagePerKindOfFailure_data();
    void oneMessagePerKindOfFailure();
    void savedCriteriaServeTheNextAttempt();
};

void TestProgramRun::prepareRunSeedsAndColours() {
    test::FakeClock clock(QDateTime(QDate(2005, 2, 10), QTime(14, 30, 15, 700)));
    ProgramRun run(clock);
    SeedRecorder random;
    run.prepareRun(random);
    QCOMPARE(random.seeds, QList<quint32>{14 * 3600 + 30 * 60 + 15});
    QCOMPARE(run.state().levelMenu.seasonColour, (Rgb{255, 128, 0}));
}

void TestProgramRun::recordedTime() {
    QCOMPARE(recordedTimeFor(false, 73), 73);
    QCOMPARE(recordedTimeFor(true, 73), 99999);
}

void TestProgramRun::startAttemptClearsTheAttempt() {
    Fixture f;
    QVERIFY(f.run.endAttempt(true, 42));
    f.state.attempt.newPersonalBest = true;
    f.state.attempt.newSchoolBest = true;
    f.state.attempt.clearedBefore = true;
    f.run.recordAnswer(AnsweredQuestion{14, 2, QStringLiteral("28"), true, false, 900});
    f.state.attempt.answerLogBacklog = "left over\n";
    f.run.startAttempt();
    const AttemptState& a = f.state.attempt;
    QCOMPARE(a.recordingStarted, false);
    QCOMPARE(a.timedOut, false);
    QCOMPARE(a.elapsedSeconds, 0);
    QCOMPARE(a.newPersonalBest, false);
    QCOMPARE(a.newSchoolBest, false);
    QCOMPARE(a.clearedBefore, false);
    QVERIFY(a.attemptAnswers.isEmpty());
    QCOMPARE(a.answerLogBacklog, QByteArray("left over\n")); // goes with the next record
    QCOMPARE(a.currentLevel, qint16(2));                     // the level stays chosen
}

// A time-out arriving while the last answer is handed off, or the other way round: the
// ending that came first stands.
void TestProgramRun::anAttemptEndsOnce() {
    Fixture f;
    f.run.startAttempt();
    QVERIFY(f.run.endAttempt(false, 45));
    QVERIFY(!f.run.endAttempt(true, 300));
    QVERIFY(f.state.attempt.recordingStarted);
    QCOMPARE(f.state.attempt.timedOut, false);
    QCOMPARE(f.state.attempt.elapsedSeconds, 45);
    QCOMPARE(f.state.attempt.recordedTime, 45);
    f.run.startAttempt();
    QVERIFY(f.run.endAttempt(true, 300));
    QCOMPARE(f.state.attempt.recordedTime, 99999);
}

void TestProgramRun::chosenStudentBecomesCurrent() {
    Fixture f;
    f.state.tables.roster.nameByBangou[42] = QStringLiteral("山田");
    f.state.tables.roster.gradeLabelByBangou[42] = QStringLiteral("小3");
    f.clock.setNow(QDateTime(QDate(2004, 3, 15), QTime(10, 0, 0, 600)));
    f.run.chooseStudent(42);
    const StudentState& s = f.state.student;
    QCOMPARE(s.sessionStartSeconds, 36001); // rounded to the whole second
    QCOMPARE(s.currentBangou, qint16(42));
    QCOMPARE(s.currentName, QStringLiteral("山田"));
    QCOMPARE(s.currentGradeLabel, QStringLiteral("小3"));
    QCOMPARE(f.state.catalogue.levelCount, qint16(25)); // the catalogue is ready for the level menu
}

// Another station holds the results file: the operation waits through the run's waits,
// which name the file, and goes on once the station lets go.
void TestProgramRun::heldResultsFileIsWaitedFor_data() {
    QTest::addColumn<QString>("operation");
    QTest::newRow("record the attempt") << "record";
    QTest::newRow("change a record") << "change";
    QTest::newRow("remove a record") << "remove";
}

void TestProgramRun::heldResultsFileIsWaitedFor() {
    if (helper().isEmpty())
        QSKIP("the helper station was not built");
    QFETCH(QString, operation);
    Fixture f;
    const ResultRecord first = rec(17, 2, 80, 1);
    writeRecords(f.resultsPath(), {first, rec(18, 2, 90, 1)});
    const QString ready = f.dir.filePath("ready");
    const QString release = f.dir.filePath("release");
    QProcess station;
    station.start(helper(), {"hold", f.resultsPath(), ready, release});
    QVERIFY(station.waitForStarted());
    for (int i = 0; i < 3000 && !QFile::exists(ready); ++i)
        QThread::msleep(2);
    QVERIFY(QFile::exists(ready));
    f.duringWait = [&] {
        if (f.waits.size() == 3) {
            QFile(release).open(QIODevice::WriteOnly);
            QVERIFY(station.waitForFinished(10000));
        }
    };

    Status done;
    if (operation == QStringLiteral("record")) {
        f.run.startAttempt();
        QVERIFY(f.run.endAttempt(false, 61));
        done = f.run.recordEndedAttempt();
    } else if (operation == QStringLiteral("change")) {
        ResultRecord changed = first;
        changed.recordedTime = 70;
        done = f.run.changeRecord(1, first, changed);
    } else {
        done = f.run.removeRecord(1, first).ok()
                   ? Status()
                   : Status(makeError(ErrorKind::Internal, QStringLiteral("removal")));
    }
    QVERIFY2(done.ok(), qPrintable(done.error().text()));
    QVERIFY(f.waits.size() >= 3);
    QCOMPARE(f.waits.first(), QStringLiteral("成績ファイル|%1|1000").arg(f.resultsPath()));
    const Outcome<ResultsFileContents> after = readAllResults(f.resultsPath());
    QVERIFY(after.ok());
    QCOMPARE(after->records.size(), size_t(operation == QStringLiteral("record")   ? 3
                                           : operation == QStringLiteral("change") ? 2
                                                                                   : 1));
}

// The same failure of the results file reads the same through every operation that meets it.
void TestProgramRun::oneMessagePerKindOfFailure_data() {
    QTest::addColumn<bool>("folderInItsPlace");
    QTest::addColumn<QString>("readMessage");
    QTest::addColumn<QString>("writeMessage");
    QTest::newRow("folder unreachable") << false << "成績ファイルがありません: %1"
                                        << "成績ファイルがありません: %1";
    QTest::newRow("a folder in the file's place") << true << "成績ファイルを読めません: %1"
                                                  << "成績ファイルに書き込めません: %1";
}

void TestProgramRun::oneMessagePerKindOfFailure() {
    QFETCH(bool, folderInItsPlace);
    QFETCH(QString, readMessage);
    QFETCH(QString, writeMessage);
    Fixture f(folderInItsPlace ? QString() : QStringLiteral("gone"));
    if (folderInItsPlace) {
        for (const char* entry : {"a", "b", "c"})
            QVERIFY(QDir().mkpath(f.resultsPath() + u'/' + QLatin1String(entry)));
    }
    const QString shown = QDir::toNativeSeparators(f.resultsPath());
    const QString read = readMessage.arg(shown);
    const QString written = writeMessage.arg(shown);

    QCOMPARE(f.run.readNewestResults(1000).error().message, read);
    QCOMPARE(f.run.newestResultsReader()(20000).error().message, read);
    QCOMPARE(f.run.readAllRecords().error().message, read);
    QCOMPARE(f.run.readRecord(1).error().message, read);
    f.run.startAttempt();
    QVERIFY(f.run.endAttempt(false, 61));
    QCOMPARE(f.run.recordEndedAttempt().error().message, written);
    QCOMPARE(f.run.changeRecord(1, ResultRecord{}, ResultRecord{}).error().message, written);
    QCOMPARE(f.run.removeRecord(1, ResultRecord{}).error().message, written);
    QVERIFY(f.waits.isEmpty()); // nothing another station could be holding: no wait
}

void TestProgramRun::savedCriteriaServeTheNextAttempt() {
    Fixture f;
    QList<std::array<QString, 12>> rows;
    for (int level = 1; level <= 25; ++level)
        rows.append({QStringLiteral("60"), QString::number(level), QStringLiteral("10"), QStringLiteral("3"),
                     QStringLiteral("1"), QStringLiteral("20"), QStringLiteral("100"), QStringLiteral("7"),
                     QStringLiteral("1"), QString(), QString(), QString()});
    QVERIFY(f.run.saveCriteria(rows).ok());
    QCOMPARE(f.state.tables.criteria.level(4).minimumTime, 4);
    PassCriteriaTable reread;
    QVERIFY(f.run.readCriteria(&reread).ok());
    QCOMPARE(reread.level(25).minimumTime, 25);

    // A folder that cannot be reached: nothing written, the table in use stays.
    Fixture gone(QStringLiteral("gone"));
    gone.state.tables.criteria.row(4).minimumTime = 33;
    const Status saved = gone.run.saveCriteria(rows);
    QCOMPARE(saved.error().kind, ErrorKind::WriteFailed);
    QCOMPARE(gone.state.tables.criteria.level(4).minimumTime, 33);
}

QTEST_GUILESS_MAIN(TestProgramRun)
#include "tst_programrun.moc"
