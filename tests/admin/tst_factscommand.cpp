// kazurin2-admin facts and the answer log part of check, over a small installation.
#include "admin/cli/admincli.h"
#include "data/answerlog.h"
#include "data/resultstore.h"
#include "data/textio.h"
#include "support/commandrun.h"
#include "support/smallinstallation.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

using namespace kz;

namespace {

const QDateTime kNow(QDate(2004, 3, 15), QTime(14, 30, 0));

using test::Run;

// common/パスデータ.txt, the program folder common/drill2 and the data folder data/.
class School : public test::SmallInstallation {
public:
    School() {
        // 17 and 21 are in the third year of elementary school in March 2004, 30 in the sixth.
        write("data/新名簿.txt", {"17,1994,0,0,テスト,0,,", "21,1994,0,0,山田,0,,", "30,1991,0,0,上級,0,,"});
    }
    // One attempt: its record and (unless left out) its answers.
    void attempt(const QDateTime& when, int student, int level, qint32 time,
                 const QList<AnsweredQuestion>& answers, bool logged = true) {
        QVERIFY(appendResult(data("成績累積データ.dat"),
                             makeResultRecord(when, qint16(student), qint16(level), time, u"12345"))
                    .ok());
        if (logged)
            QVERIFY(appendAnswerLines(data(answerLogFileName()),
                                      formatAttemptAnswers(when, student, level, answers))
                        .ok());
    }
    QString data(const QString& name) const { return dir.path() + "/data/drill2/" + name; }

    Run run(QStringList args) const {
        args.prepend(dir.path() + "/common/drill2");
        args.prepend("--program-folder");
        return test::runCompanionHere(args);
    }
};

constexpr auto program = &test::runProcess;

// Pixels of a page that are plainly the slow (red) end of the colour scale.
int redPixels(const QImage& page) {
    int count = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            count += c.red() > 200 && c.green() < 110 && c.blue() < 110;
        }
    return count;
}

AnsweredQuestion a(int m, int n, bool correct, qint64 ms) {
    return {m, n, QString::number(correct ? m * n : 1), correct, false, ms};
}

} // namespace

class TestFactsCommand : public QObject {
    Q_OBJECT
private slots:
    void oneStudentAtOneLevel();
    void gradeFilterGivesEveryStudentWithAnswers();
    void usageErrors_data();
    void usageErrors();
    void checkHoldsTheLogAgainstTheResults();
    void classPdfHasOnePagePerStudent();
    void studentNotInTheRoster();
    void pdfWithoutARuntimeFolderSaysNothingOfIt();
};

void TestFactsCommand::oneStudentAtOneLevel() {
    School school;
    school.attempt(kNow.addDays(-3), 17, 3, 40, {a(14, 13, false, 6000), a(14, 13, true, 3000)});
    school.attempt(kNow.addSecs(-600), 17, 3, 30, {a(14, 11, true, 900), a(14, 13, true, 2000)});
    school.attempt(kNow.addSecs(-300), 17, 23, 30, {a(16, 17, true, 4000)});
    const Run run =
        school.run({"facts", "--student", "17", "--level", "3", "--now", kNow.toString(Qt::ISODate)});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QString("student,name,multiplicand,multiplier,answers,wrong,median_ms\n"
                              "17,テスト,14,11,1,0,900\n"
                              "17,テスト,14,12,0,0,\n"
                              "17,テスト,14,13,3,1,3000\n"
                              "17,テスト,14,14,0,0,\n"
                              "17,テスト,14,15,0,0,\n"));
    // Today only: the wrong answer of three days ago is gone.
    const Run today =
        school.run({"facts", "--student=17", "--days=1", "--level=3", "--now", kNow.toString(Qt::ISODate)});
    QVERIFY(today.out.contains("17,テスト,14,13,1,0,2000\n"));
    // Without a level, all sixty products.
    QCOMPARE(school.run({"facts", "--student", "17"}).out.count('\n'), 61);
}

void TestFactsCommand::gradeFilterGivesEveryStudentWithAnswers() {
    School school;
    school.attempt(kNow.addSecs(-900), 17, 1, 30, {a(14, 1, true, 700)});
    school.attempt(kNow.addSecs(-800), 30, 1, 30, {a(14, 1, false, 5000)});
    const Run run =
        school.run({"facts", "--grade-filter", "小3", "--level", "1", "--now", kNow.toString(Qt::ISODate)});
    QCOMPARE(run.status, 0);
    QVERIFY(run.out.contains("17,テスト,14,1,1,0,700\n"));
    QVERIFY(!run.out.contains("21,")); // no answers
    QVERIFY(!run.out.contains("30,")); // sixth year
    const Run all =
        school.run({"facts", "--grade-filter", "0", "--level", "1", "--now", kNow.toString(Qt::ISODate)});
    QVERIFY(all.out.contains("30,上級,14,1,1,1,5000\n"));
}

void TestFactsCommand::usageErrors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no one") << QStringList{"facts"};
    QTest::newRow("both") << QStringList{"facts", "--student", "17", "--grade-filter", "0"};
    QTest::newRow("level 26") << QStringList{"facts", "--student", "17", "--level", "26"};
    QTest::newRow("days 0") << QStringList{"facts", "--student", "17", "--days", "0"};
    QTest::newRow("unknown filter") << QStringList{"facts", "--grade-filter", "大学"};
    QTest::newRow("pdf without file") << QStringList{"facts", "--student", "17", "--pdf"};
}

void TestFactsCommand::usageErrors() {
    QFETCH(QStringList, args);
    School school;
    const Run run = school.run(args);
    QCOMPARE(run.status, int(admin::ExitUsage));
    QVERIFY(run.out.isEmpty());
}

void TestFactsCommand::checkHoldsTheLogAgainstTheResults() {
    School school;
    school.attempt(kNow.addSecs(-900), 17, 1, 30, {a(14, 1, true, 700)});
    school.attempt(kNow.addSecs(-800), 17, 1, 35, {}, false);    // answers never written
    school.attempt(kNow.addSecs(-700), 17, 1, 99999, {}, false); // timed out before any answer
    school.attempt(kNow.addSecs(-600), 21, 1, 30, {a(14, 1, true, 700)});
    // The last attempt's record is removed later; its answers stay behind. Then a write
    // is cut short.
    QFile results(school.data("成績累積データ.dat"));
    QVERIFY(results.resize(3 * ResultRecord::kSize));
    QFile log(school.data(answerLogFileName()));
    QVERIFY(log.open(QIODevice::Append));
    log.write("2004-03-15,14:30:00,17,1,1,14,");
    log.close();

    const Run run = school.run({"check"});
    QCOMPARE(run.status, int(admin::ExitProblems));
    const QStringList lines = run.out.split('\n').filter(QRegularExpression("問題別記録"));
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines[0].contains("問題別記録.csv:4: 途切れた行"), qPrintable(lines[0]));
    QVERIFY2(lines[1].contains(":記録 2: 番号 17 のレベル 1"), qPrintable(lines[1]));
    QVERIFY2(lines[2].contains("問題別記録.csv:3: 1 件の解答（番号 21"), qPrintable(lines[2]));
}

void TestFactsCommand::classPdfHasOnePagePerStudent() {
    School school;
    // 17 is slow at 14 x 13 and wrong twice there; 21 is fast everywhere.
    school.attempt(kNow.addSecs(-900), 17, 3, 60,
                   {a(14, 11, true, 900), a(14, 12, true, 1100), a(14, 13, false, 7000),
                    a(14, 13, false, 8000), a(14, 13, true, 6500), a(14, 14, true, 1500),
                    a(14, 15, true, 2500)});
    school.attempt(kNow.addSecs(-800), 21, 3, 20, {a(14, 11, true, 700), a(14, 13, true, 800)});
    const QString pdf = school.dir.filePath("class.pdf");
    const Run run = program(QStringLiteral(KZ_ADMIN_EXE),
                            {"--program-folder", school.dir.path() + "/common/drill2", "facts",
                             "--grade-filter", "小３", "--now", kNow.toString(Qt::ISODate), "--pdf", pdf});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    const Run info = program(QStringLiteral("pdfinfo"), {pdf});
    QCOMPARE(QRegularExpression("Pages:\\s+(\\d+)").match(info.out).captured(1), QString("2"));
    const QString png = school.dir.filePath("page");
    QCOMPARE(program(QStringLiteral("pdftoppm"), {"-png", "-r", "50", pdf, png}).status, 0);
    const QImage first(png + "-1.png");
    const QImage second(png + "-2.png");
    QVERIFY(!first.isNull() && !second.isNull());
    QVERIFY(first.height() > first.width() * 1.3); // A4 portrait
    // The legend is red on both pages; the slow cell only on the first.
    QVERIFY2(redPixels(first) > redPixels(second) + 100,
             qPrintable(QString("%1 vs %2").arg(redPixels(first)).arg(redPixels(second))));
    if (const QByteArray shots = qgetenv("KZ_SCREENSHOT_DIR"); !shots.isEmpty()) {
        QDir().mkpath(QString::fromLocal8Bit(shots));
        QFile::remove(QString::fromLocal8Bit(shots) + "/factmap_pdf_page1.png");
        QVERIFY(
            program(QStringLiteral("pdftoppm"), {"-png", "-r", "100", "-f", "1", "-l", "1", "-singlefile",
                                                 pdf, QString::fromLocal8Bit(shots) + "/factmap_pdf_page1"})
                .status == 0);
    }
}

// As report does: a number the roster does not list is refused, not sixty zero rows.
void TestFactsCommand::studentNotInTheRoster() {
    School school;
    const Run run = school.run({"facts", "--student", "999"});
    QCOMPARE(run.status, int(admin::ExitProblems));
    QVERIFY(run.out.isEmpty());
    QCOMPARE(run.err, QStringLiteral("kazurin2-admin: 番号 999 の生徒は名簿にいません\n"));
    QStringList criteria{"h,,,,,,,,,,,"};
    for (int level = 1; level <= 25; ++level)
        criteria << "60,60,10,3,1.5,20,100,7,1,,,";
    school.write("data/drill2/タイム回数データ.txt", criteria);
    const Run report = school.run({"report", "--student", "999", "--level", "1"});
    QCOMPARE(report.err, run.err);
}

// A root shell or cron has no XDG_RUNTIME_DIR; drawing a PDF file says nothing about it.
void TestFactsCommand::pdfWithoutARuntimeFolderSaysNothingOfIt() {
    School school;
    school.attempt(kNow.addSecs(-900), 17, 3, 60, {a(14, 11, true, 900)});
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    p.setProcessEnvironment(env);
    const QString pdf = school.dir.filePath("one.pdf");
    p.start(QStringLiteral(KZ_ADMIN_EXE), {"--program-folder", school.dir.path() + "/common/drill2", "facts",
                                           "--student", "17", "--pdf", pdf});
    QVERIFY(p.waitForFinished(120000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(p.readAllStandardError()), QString());
    QVERIFY(QFileInfo(pdf).size() > 0);
}

QTEST_GUILESS_MAIN(TestFactsCommand)
#include "tst_factscommand.moc"
