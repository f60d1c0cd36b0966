#include "data/answerlog.h"
#include "data/resultstore.h"
#include "reports/resultstables.h"
#include "support/smallinstallation.h"
#include "support/testsupport.h"
#include "web/html.h"
#include "web/schooldata.h"
#include "web/webapp.h"
#include "web/webdrawing.h"

#include "core/catalogue.h"
#include "core/installation.h"
#include "data/grade.h"
#include "data/oledate.h"
#include "data/passcriteria.h"
#include "data/roster.h"
#include "data/statistics.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <sys/stat.h>

using namespace kz;
using namespace kz::web;

namespace {

const QDateTime kNow(QDate(2004, 3, 15), QTime(14, 30, 0)); // a Monday; school year 2003
const QString kHostile = QStringLiteral("<script>alert(1)</script>");
const QString kHost = QStringLiteral("127.0.0.1:8080");

// Draws nothing: the pages' own logic is under test here.
class StandInDrawing final : public WebDrawing {
public:
    QString reportChart(const ReportFigures& f) override {
        return QStringLiteral("<svg class=\"chart\" data-level=\"%1\"></svg>").arg(f.level);
    }
    QString factMap(const FactsReport& report, const FactsReport::Student& s) override {
        lastFacts = report;
        return QStringLiteral("<svg class=\"factmap-picture\" data-answers=\"%1\"></svg>")
            .arg(s.matrix.answers);
    }
    Outcome<QByteArray> reportsPdf(const QList<StudentReportSet>& students, const QString&) override {
        pdfStudents = static_cast<int>(students.size());
        return QByteArray("%PDF-1.4 stand-in");
    }
    Outcome<QByteArray> factsPdf(const FactsReport& report) override {
        pdfStudents = static_cast<int>(report.students.size());
        return QByteArray("%PDF-1.4 stand-in");
    }
    FactsReport lastFacts;
    int pdfStudents = -1;
};

ResultRecord rec(const QDateTime& when, int bangou, int level, qint32 time) {
    return makeResultRecord(when, static_cast<qint16>(bangou), static_cast<qint16>(level), time, u"12345");
}

QList<AnsweredQuestion> answers(int count, int wrong) {
    QList<AnsweredQuestion> list;
    for (int i = 0; i < count; ++i)
        list.append({15, i + 1, QStringLiteral("15"), i >= wrong, false, 1200});
    return list;
}

class School : public test::SmallInstallation {
public:
    School() {
        write("data/新名簿.txt",
              {"17,1996,0,0,テスト,0,,", "21,1995,0,0," + kHostile + ",0,,", "30,1990,0,0,山田　花子,0,,"});
        QStringList criteria{"目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,"};
        for (int level = 1; level <= 25; ++level)
            criteria << "60,120,10,3,1.5,20,100,7,1,,,";
        write("data/drill2/タイム回数データ.txt", criteria);
        const QDate today = kNow.date();
        add(rec(QDateTime(today.addDays(-1), QTime(16, 0)), 17, 1, 45));
        add(rec(QDateTime(today, QTime(9, 0)), 17, 2, 30));
        add(rec(QDateTime(today, QTime(9, 10)), 17, 2, 35), answers(10, 2));
        add(rec(QDateTime(today, QTime(9, 20)), 17, 2, 40));
        add(rec(QDateTime(today, QTime(10, 0)), 21, 1, 99999));
        add(rec(QDateTime(today, QTime(11, 0)), 30, 3, 50), answers(5, 0));
    }

    Installation installation() const {
        Installation inst;
        QStringList notices;
        if (const Status s = resolveInstallationPaths(programFolder(), &inst, &notices); !s)
            qWarning() << s.error().text();
        return inst;
    }

    void add(const ResultRecord& r, const QList<AnsweredQuestion>& answered = {}) {
        const Outcome<AppendedRecord> out = appendResult(resultsPath(), r);
        QVERIFY(out);
        if (!answered.isEmpty()) {
            const QDateTime stamp(dateFromOle(r.date), timeFromOle(r.time));
            QVERIFY(appendAnswerLines(path("data/drill2/") + answerLogFileName(),
                                      formatAttemptAnswers(stamp, r.bangou, r.level, answered)));
        }
    }

    QString resultsPath() const { return path("data/drill2/成績累積データ.dat"); }

    // Every file of the data folder with its size and modification time.
    QStringList dataFolderState() const {
        QStringList state;
        QDirIterator it(path("data"), QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            const QFileInfo info = it.fileInfo();
            state << info.filePath() + u' ' + QString::number(info.size()) + u' ' +
                         QString::number(info.lastModified().toMSecsSinceEpoch());
        }
        state.sort();
        return state;
    }
};

struct Server {
    explicit Server(const School& school, AccessRules access = {})
        : data(school.installation(), clock, [](int) {}),
          app(data, drawing, clock, withHost(std::move(access))) {}

    static AccessRules withHost(AccessRules access) {
        if (!access.loginRequired && access.allowedHosts.isEmpty())
            access.allowedHosts = {kHost};
        return access;
    }

    Response get(const QString& pathAndQuery, const QByteArray& cookie = {}) {
        Request r;
        r.method = Method::Get;
        const qsizetype q = pathAndQuery.indexOf(u'?');
        r.path = pathAndQuery.left(q);
        if (q >= 0) {
            for (const QString& field : pathAndQuery.mid(q + 1).split(u'&')) {
                const qsizetype eq = field.indexOf(u'=');
                r.query.append({field.left(eq), eq < 0 ? QString() : field.mid(eq + 1)});
            }
        }
        r.headers = {{"host", kHost.toLatin1()}};
        if (!cookie.isEmpty())
            r.headers.append({"cookie", cookie});
        r.remoteAddress = QStringLiteral("192.168.1.20");
        return app.handle(r);
    }

    Response post(const QString& path, const QByteArray& body, const QByteArray& origin = {}) {
        Request r;
        r.method = Method::Post;
        r.path = path;
        r.body = body;
        r.headers = {{"host", kHost.toLatin1()}, {"content-type", "application/x-www-form-urlencoded"}};
        if (!origin.isEmpty())
            r.headers.append({"origin", origin});
        r.remoteAddress = QStringLiteral("192.168.1.20");
        return app.handle(r);
    }

    test::FakeClock clock{kNow};
    SchoolData data;
    StandInDrawing drawing;
    WebApp app;
};

QString text(const Response& r) {
    return QString::fromUtf8(r.body);
}

QString unescape(QString s) {
    s.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    s.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    s.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    s.replace(QStringLiteral("&#39;"), QStringLiteral("'"));
    s.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return s;
}

// The lines of one level's list as the page shows them.
QStringList pageLines(const QString& html, int level) {
    const qsizetype start = html.indexOf(QStringLiteral("id=\"level-%1\"").arg(level));
    const qsizetype end = html.indexOf(QStringLiteral("</section>"), start);
    if (start < 0 || end < 0)
        return {QStringLiteral("(no level %1)").arg(level)};
    static const QRegularExpression line(QStringLiteral("<span class=\"line\">(.*?)</span>"));
    QStringList lines;
    for (const auto& m : line.globalMatch(html.mid(start, end - start)))
        lines << unescape(m.captured(1));
    return lines;
}

} // namespace

class TestWebApp : public QObject {
    Q_OBJECT
private slots:
    void pathsOutsideTheTableAre404_data();
    void pathsOutsideTheTableAre404();
    void everyAnswerCarriesTheSecurityHeaders_data();
    void everyAnswerCarriesTheSecurityHeaders();
    void refusesOtherHostNamesAndForeignForms();
    void refusesWrongChoices_data();
    void refusesWrongChoices();
    void namesAreShownAsText_data();
    void namesAreShownAsText();
    void classroomShowsTheDay();
    void classroomFiltersByGrade();
    void newAttemptChangesStatusAndLivePart();
    void tablesShowTheLevelMenuLines_data();
    void tablesShowTheLevelMenuLines();
    void studentPageHasReportsHistoryAndFacts();
    void unknownStudentIs404();
    void pdfsAreDownloads();
    void loginIsNeededOffThisComputer();
    void wrongPasswordsAreThrottled();
    void logoutEndsTheSession();
    void nothingIsWritten();
    void unreadableFilesKeepTheLastFigures();
    void aFifoIsNeverOpened();
};

void TestWebApp::pathsOutsideTheTableAre404_data() {
    QTest::addColumn<QString>("path");
    for (const char* p :
         {"/../../etc/passwd", "/static/../../../etc/passwd", "/etc/passwd", "//etc/passwd", "/static/",
          "/static/kazurin2-web.css/..", "/static/web.qrc", "/static//kazurin2-web.css", "/STUDENT",
          "/student/", "/index.html", "/data/drill2/成績累積データ.dat", "C:\\Windows\\win.ini",
          "/static/%2e%2e/%2e%2e/etc/passwd", ""})
        QTest::newRow(p) << QString::fromUtf8(p);
}

void TestWebApp::pathsOutsideTheTableAre404() {
    QFETCH(QString, path);
    School school;
    Server server(school);
    Request r;
    r.path = path;
    r.headers = {{"host", kHost.toLatin1()}};
    const Response answer = server.app.handle(r);
    QCOMPARE(answer.status, 404);
    QVERIFY(!text(answer).contains(QStringLiteral("root:")));
}

void TestWebApp::everyAnswerCarriesTheSecurityHeaders_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::newRow("classroom") << "/" << 200;
    QTest::newRow("live part") << "/classroom/live" << 200;
    QTest::newRow("status") << "/api/status" << 200;
    QTest::newRow("tables") << "/tables?display=time&option=2" << 200;
    QTest::newRow("students") << "/students" << 200;
    QTest::newRow("student") << "/student?n=17" << 200;
    QTest::newRow("class") << "/class?grade=11" << 200;
    QTest::newRow("script") << "/static/kazurin2-web.js" << 200;
    QTest::newRow("style") << "/static/kazurin2-web.css" << 200;
    QTest::newRow("missing") << "/nothing" << 404;
    QTest::newRow("bad choice") << "/tables?grade=99" << 400;
}

void TestWebApp::everyAnswerCarriesTheSecurityHeaders() {
    QFETCH(QString, path);
    QFETCH(int, status);
    School school;
    Server server(school);
    const Response r = server.get(path);
    QCOMPARE(r.status, status);
    QCOMPARE(r.header("Content-Security-Policy"), contentSecurityPolicy());
    QVERIFY(contentSecurityPolicy().contains("script-src 'self'"));
    QVERIFY(!contentSecurityPolicy().contains("unsafe-inline"));
    QCOMPARE(r.header("X-Content-Type-Options"), QByteArray("nosniff"));
    QCOMPARE(r.header("X-Frame-Options"), QByteArray("DENY"));
    QVERIFY(!r.header("Cache-Control").isEmpty());
    if (r.contentType.startsWith("text/html")) {
        // No script or style of the page's own: only the two files, which the policy allows.
        const QString html = text(r);
        QVERIFY(!html.contains(QStringLiteral("<script>")));
        QVERIFY(!html.contains(QStringLiteral("<style")));
        QVERIFY(!html.contains(QStringLiteral(" style=")));
        QVERIFY(!html.contains(QStringLiteral(" onclick=")));
    }
}

void TestWebApp::refusesOtherHostNamesAndForeignForms() {
    School school;
    Server server(school);
    Request r;
    r.path = QStringLiteral("/");
    r.headers = {{"host", "evil.example:8080"}};
    QCOMPARE(server.app.handle(r).status, 421);
    QCOMPARE(server.post("/logout", "", "http://evil.example").status, 403);
    QCOMPARE(server.post("/tables", "").status, 405);
}

void TestWebApp::refusesWrongChoices_data() {
    QTest::addColumn<QString>("path");
    for (const char* p :
         {"/?grade=12", "/?grade=-1", "/?grade=abc", "/?grade=", "/tables?display=both", "/tables?option=4",
          "/tables?period=0", "/student", "/student?n=0", "/student?n=5001", "/student?n=17&days=3",
          "/class?levels=99", "/student/reports.pdf?n=x"})
        QTest::newRow(p) << QString::fromUtf8(p);
}

void TestWebApp::refusesWrongChoices() {
    QFETCH(QString, path);
    School school;
    Server server(school);
    QCOMPARE(server.get(path).status, 400);
}

void TestWebApp::namesAreShownAsText_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("classroom") << "/";
    QTest::newRow("live part") << "/classroom/live";
    QTest::newRow("students") << "/students";
    QTest::newRow("student") << "/student?n=21";
    QTest::newRow("tables, today") << "/tables?display=time&option=2";
    QTest::newRow("tables, period") << "/tables?display=time&option=3&period=5";
    QTest::newRow("class") << "/class";
}

void TestWebApp::namesAreShownAsText() {
    QFETCH(QString, path);
    School school;
    Server server(school);
    const Response r = server.get(path);
    QCOMPARE(r.status, 200);
    const QString html = text(r);
    // The one script is the page's own file; the name is there as text.
    const bool document = html.startsWith(QStringLiteral("<!DOCTYPE html>"));
    QCOMPARE(html.count(QStringLiteral("<script")), document ? 1 : 0);
    if (document)
        QVERIFY(html.contains(QStringLiteral("<script src=\"/static/kazurin2-web.js\" defer></script>")));
    QVERIFY(html.contains(QStringLiteral("&lt;scri")));
}

void TestWebApp::classroomShowsTheDay() {
    School school;
    Server server(school);
    const QString html = text(server.get("/"));
    QVERIFY(html.contains(QStringLiteral("2004年3月15日（月）")));
    // Newest first: records 6 (11:00) to 2 (9:00); yesterday's record 1 is not there.
    QStringList order;
    static const QRegularExpression row(QStringLiteral("data-record=\"(\\d+)\""));
    for (const auto& m : row.globalMatch(html))
        order << m.captured(1);
    QCOMPARE(order, QStringList({"6", "5", "4", "3", "2"}));
    QVERIFY(html.contains(QStringLiteral("<tr data-record=\"5\" class=\"timeout\">")));
    QVERIFY(html.contains(QStringLiteral("<tr data-record=\"3\" class=\"wrong\">")));
    QVERIFY(html.contains(QStringLiteral("時間切れ <b>1</b> 回")));
    QVERIFY(html.contains(QStringLiteral("まちがい <b>2</b> 問")));
    // Three attempts with enough points clear level 2 for student 17 (the end screen's rule).
    QVERIFY(html.contains(QStringLiteral("クリア 2 ") + catalogueLevelName(2)));
    QCOMPARE(html.count(QStringLiteral("class=\"chip\"")), 1);
    // The answers of record 6 are there and all right; the others' are not in the log.
    QVERIFY(html.contains(QStringLiteral("data-record=\"6\"><td>11:00:00")));
}

void TestWebApp::classroomFiltersByGrade() {
    School school;
    Server server(school);
    const QString firstGrade =
        text(server.get(QStringLiteral("/?grade=%1").arg(gradeFilters().indexOf("小１"))));
    QVERIFY(firstGrade.contains(QStringLiteral("テスト")));
    QVERIFY(!firstGrade.contains(QStringLiteral("山田")));
    QVERIFY(!firstGrade.contains(QStringLiteral("&lt;scri")));
    const QString juniorHigh =
        text(server.get(QStringLiteral("/?grade=%1").arg(gradeFilters().indexOf("中学生全体"))));
    QVERIFY(juniorHigh.contains(QStringLiteral("山田")));
    QVERIFY(!juniorHigh.contains(QStringLiteral("テスト")));
}

void TestWebApp::newAttemptChangesStatusAndLivePart() {
    School school;
    Server server(school);
    const QByteArray before = server.get("/api/status").body;
    QVERIFY(before.contains("\"records\":\"6\""));
    QVERIFY(before.contains("\"last\":\"今日 11:00:00\""));
    QCOMPARE(server.get("/api/status").body, before); // nothing changed: the same token
    const int readings = server.data.readings();
    QCOMPARE(server.get("/api/status").body, before);
    QCOMPARE(server.data.readings(), readings); // and nothing read again

    server.clock.advanceMs(5000);
    school.add(rec(kNow, 30, 4, 77), answers(6, 1));
    const QByteArray after = server.get("/api/status").body;
    QVERIFY(after.contains("\"records\":\"7\""));
    QVERIFY(after.contains("\"last\":\"今日 14:30:00\""));
    QVERIFY(after != before);
    const QString live = text(server.get("/classroom/live"));
    QVERIFY(live.contains(QStringLiteral("<tr data-record=\"7\" class=\"wrong\"><td>14:30:00")));
    QVERIFY(live.indexOf(QStringLiteral("data-record=\"7\"")) <
            live.indexOf(QStringLiteral("data-record=\"6\"")));
}

void TestWebApp::tablesShowTheLevelMenuLines_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("display"); // 1 times, 2 points
    QTest::addColumn<int>("table");   // TableKind
    QTest::addColumn<int>("pointsKind");
    QTest::addColumn<int>("period");
    QTest::addColumn<int>("grade");
    QTest::newRow("best times") << "display=time&option=1" << 1 << 1 << 1 << 3 << 0;
    QTest::newRow("today") << "display=time&option=2" << 1 << 2 << 1 << 3 << 0;
    QTest::newRow("this week, times") << "display=time&option=3&period=1" << 1 << 3 << 1 << 1 << 0;
    QTest::newRow("ten years, times, 小１")
        << "display=time&option=3&period=5&grade=11" << 1 << 3 << 1 << 5 << 11;
    QTest::newRow("points so far") << "display=points&option=1" << 2 << 1 << 1 << 3 << 0;
    QTest::newRow("points today") << "display=points&option=2" << 2 << 1 << 2 << 3 << 0;
    QTest::newRow("points, period") << "display=points&option=3&period=2" << 2 << 3 << 1 << 2 << 0;
    QTest::newRow("default: points so far") << "" << 2 << 1 << 1 << 3 << 0;
}

void TestWebApp::tablesShowTheLevelMenuLines() {
    QFETCH(QString, query);
    QFETCH(int, display);
    QFETCH(int, table);
    QFETCH(int, pointsKind);
    QFETCH(int, period);
    QFETCH(int, grade);
    School school;
    Server server(school);
    const QString html = text(server.get(QStringLiteral("/tables?") + query));

    // The lines the level menu (and the companion's tables) build for the same choice.
    const Installation inst = school.installation();
    PassCriteriaTable criteria;
    QVERIFY(loadPassCriteria(inst.criteriaPath(), &criteria));
    RosterTables roster;
    QVERIFY(
        loadRoster(inst.rosterPath(), kNow.date(), inst.schoolYearStartMonth, inst.flagTwoListed, &roster));
    StatisticsTables stats;
    QVERIFY(refreshStatistics(inst.resultsPath(), criteria, kNow, &stats));
    TableChoice choice;
    choice.display = static_cast<DisplayKind>(display);
    choice.table = static_cast<TableKind>(table);
    choice.pointsKind = static_cast<PointsKind>(pointsKind);
    choice.period = period;
    choice.gradeFilter = gradeFilters().at(grade);
    choice.now = kNow;
    ResultsTableBuilder builder({roster, stats, criteria, kLevelCount});
    const Outcome<ResultsTables> tables = builder.buildFromFile(choice, inst.resultsPath());
    QVERIFY(tables);
    int nonEmpty = 0;
    for (int level = 1; level <= kLevelCount; ++level) {
        QStringList expected;
        for (const TableLine& line : tables->levels[static_cast<size_t>(level)].lines)
            expected << line.text;
        nonEmpty += expected.isEmpty() ? 0 : 1;
        QCOMPARE(pageLines(html, level), expected);
    }
    QVERIFY(nonEmpty > 0);
}

void TestWebApp::studentPageHasReportsHistoryAndFacts() {
    School school;
    Server server(school);
    const QString html = text(server.get("/student?n=17&days=7"));
    // Reports of the levels practised (1 and 2), each with its chart and summary lines.
    QVERIFY(html.contains(QStringLiteral("id=\"report-1\"")));
    QVERIFY(html.contains(QStringLiteral("id=\"report-2\"")));
    QVERIFY(!html.contains(QStringLiteral("id=\"report-3\"")));
    QVERIFY(html.contains(QStringLiteral("<svg class=\"chart\" data-level=\"2\">")));
    QVERIFY(html.contains(QStringLiteral("回数　　　　　　　  3回")));
    // The history lines as the level menu lists them.
    QVERIFY(html.contains(QStringLiteral("2004/03/15 9:10:00  35秒")));
    // The fact map of the last seven days, from the answer log.
    QVERIFY(html.contains(QStringLiteral("data-answers=\"10\"")));
    QCOMPARE(server.drawing.lastFacts.period.days, 7);
    QVERIFY(html.contains(QStringLiteral("/student/reports.pdf?n=17")));
}

void TestWebApp::unknownStudentIs404() {
    School school;
    Server server(school);
    const Response r = server.get("/student?n=99");
    QCOMPARE(r.status, 404);
    QVERIFY(text(r).contains(QStringLiteral("番号 99 の生徒は名簿にいません")));
}

void TestWebApp::pdfsAreDownloads() {
    School school;
    Server server(school);
    for (const char* path : {"/student/reports.pdf?n=17", "/student/facts.pdf?n=17",
                             "/class/reports.pdf?grade=0", "/class/facts.pdf?grade=0&days=30"}) {
        const Response r = server.get(QString::fromLatin1(path));
        QCOMPARE(r.status, 200);
        QCOMPARE(r.contentType, QByteArray("application/pdf"));
        QVERIFY(r.header("Content-Disposition").startsWith("attachment; filename=\"kazurin2-"));
        QVERIFY(r.body.startsWith("%PDF"));
    }
    // The class's reports: every student of the roster, as the graph panel lists them.
    QVERIFY(server.get("/class/reports.pdf?grade=0").status == 200);
    QCOMPARE(server.drawing.pdfStudents, 3);
}

void TestWebApp::loginIsNeededOffThisComputer() {
    School school;
    AccessRules access;
    access.loginRequired = true;
    access.password = QStringLiteral("sakura-juku-2004");
    Server server(school, access);
    Response r = server.get("/");
    QCOMPARE(r.status, 303);
    QCOMPARE(r.header("Location"), QByteArray("/login"));
    QCOMPARE(server.get("/api/status").status, 401);
    QCOMPARE(server.get("/classroom/live").status, 401);
    QCOMPARE(server.get("/student/reports.pdf?n=17").status, 303);
    // The login page says nothing about the school: no status line, no menu.
    const QString login = text(server.get("/login"));
    QVERIFY(!login.contains(QStringLiteral("id=\"status\"")));
    QVERIFY(login.contains(QStringLiteral("name=\"password\"")));
    QCOMPARE(server.get("/static/kazurin2-web.css").status, 200);

    r = server.post("/login", "password=sakura-juku-2004");
    QCOMPARE(r.status, 303);
    const QByteArray cookie = r.header("Set-Cookie");
    QVERIFY(cookie.contains("; HttpOnly"));
    QVERIFY(cookie.contains("; SameSite=Strict"));
    const QByteArray session = cookie.left(cookie.indexOf(';'));
    QCOMPARE(server.get("/", session).status, 200);
    QVERIFY(text(server.get("/", session)).contains(QStringLiteral("ログアウト")));
    QCOMPARE(server.get("/", "kz_session=0000").status, 303);
}

void TestWebApp::wrongPasswordsAreThrottled() {
    School school;
    AccessRules access;
    access.loginRequired = true;
    access.password = QStringLiteral("sakura-juku-2004");
    Server server(school, access);
    for (int i = 0; i < LoginThrottle::kFreeFailures; ++i) {
        const Response r = server.post("/login", "password=1414");
        QCOMPARE(r.status, 401);
        QVERIFY(text(r).contains(QStringLiteral("パスワードが違います。")));
    }
    // Locked: not even the right password gets in now.
    Response r = server.post("/login", "password=sakura-juku-2004");
    QCOMPARE(r.status, 429);
    QCOMPARE(r.header("Retry-After"), QByteArray("60"));
    QVERIFY(text(r).contains(QStringLiteral("60 秒たってから")));
    QVERIFY(r.header("Set-Cookie").isEmpty());
    server.clock.advanceMs(LoginThrottle::kLockMs);
    r = server.post("/login", "password=sakura-juku-2004");
    QCOMPARE(r.status, 303);
    QVERIFY(!r.header("Set-Cookie").isEmpty());
}

void TestWebApp::logoutEndsTheSession() {
    School school;
    AccessRules access;
    access.loginRequired = true;
    access.password = QStringLiteral("sakura-juku-2004");
    Server server(school, access);
    const QByteArray cookie = server.post("/login", "password=sakura-juku-2004").header("Set-Cookie");
    const QByteArray session = cookie.left(cookie.indexOf(';'));
    QCOMPARE(server.get("/tables", session).status, 200);
    Request out;
    out.method = Method::Post;
    out.path = QStringLiteral("/logout");
    out.headers = {{"host", kHost.toLatin1()}, {"cookie", session}};
    QCOMPARE(server.app.handle(out).status, 303);
    QCOMPARE(server.get("/tables", session).status, 303);
}

void TestWebApp::nothingIsWritten() {
    School school;
    const QStringList before = school.dataFolderState();
    {
        Server server(school);
        for (const char* path :
             {"/", "/classroom/live", "/api/status", "/tables?display=time&option=3&period=5", "/students",
              "/student?n=17", "/student?n=21", "/class?grade=0&days=7", "/student/reports.pdf?n=17",
              "/class/facts.pdf?grade=0"})
            QVERIFY(server.get(QString::fromLatin1(path)).status < 400);
    }
    QCOMPARE(school.dataFolderState(), before);
}

void TestWebApp::unreadableFilesKeepTheLastFigures() {
    School school;
    Server server(school);
    QCOMPARE(server.get("/").status, 200);
    // The results file turns into something that cannot be read: the pages keep what they
    // read last and say so on the status line.
    QVERIFY(QFile::rename(school.resultsPath(), school.resultsPath() + ".moved"));
    QVERIFY(QDir().mkdir(school.resultsPath()));
    const QString html = text(server.get("/"));
    QVERIFY(html.contains(QStringLiteral("data-record=\"6\"")));
    QVERIFY(html.contains(QStringLiteral("に読んだ内容を表示しています")));
    const int readings = server.data.readings();
    QVERIFY(server.get("/api/status").body.contains("に読んだ内容を表示しています"));
    QCOMPARE(server.data.readings(), readings); // not tried again for every request
    // Readable again: the figures are current and the note is gone.
    QVERIFY(QDir().rmdir(school.resultsPath()));
    QVERIFY(QFile::rename(school.resultsPath() + ".moved", school.resultsPath()));
    school.add(rec(kNow, 17, 5, 50));
    const QString again = text(server.get("/"));
    QVERIFY(again.contains(QStringLiteral("data-record=\"7\"")));
    QVERIFY(!again.contains(QStringLiteral("に読んだ内容を表示しています")));
}

void TestWebApp::aFifoIsNeverOpened() {
    School school;
    QVERIFY(QFile::remove(school.resultsPath()));
    QCOMPARE(::mkfifo(QFile::encodeName(school.resultsPath()).constData(), 0600), 0);
    Server server(school);
    // Refused at once instead of waiting for a writer that never comes.
    const Response r = server.get("/");
    QCOMPARE(r.status, 503);
    QVERIFY2(text(r).contains(QStringLiteral("FIFO")), qPrintable(text(r)));
    QCOMPARE(server.get("/api/status").status, 503);
}

QTEST_GUILESS_MAIN(TestWebApp)
#include "tst_webapp.moc"
