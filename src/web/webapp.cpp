#include "web/webapp.h"

#include "core/catalogue.h"
#include "data/grade.h"
#include "data/levelrules.h"
#include "platform/clock.h"
#include "reports/graphrequest.h"
#include "reports/personalhistory.h"
#include "reports/reportassembly.h"
#include "reports/resultsdisplay.h"
#include "reports/resultstables.h"
#include "web/classroom.h"
#include "web/html.h"
#include "web/schooldata.h"
#include "web/webdrawing.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

namespace kz::web {

namespace {

using Snapshot = std::shared_ptr<const SchoolSnapshot>;

int lastGrade() {
    return static_cast<int>(gradeFilters().size()) - 1;
}

const QByteArray kHtml = QByteArrayLiteral("text/html; charset=utf-8");

// The files the pages use, built into the program: the only paths ever answered with a
// file's contents, each named here in full.
struct Asset {
    const char16_t* path;
    const char* resource;
    const char* type;
};
const Asset kAssets[] = {
    {u"/static/kazurin2-web.css", ":/web/kazurin2-web.css", "text/css; charset=utf-8"},
    {u"/static/kazurin2-web.js", ":/web/kazurin2-web.js", "text/javascript; charset=utf-8"},
};

// A whole number low..high from the query; the fallback when the field is absent, none
// when it is there but is no such number.
std::optional<int> number(const Request& request, QStringView name, int low, int high, int fallback) {
    if (!request.hasQuery(name))
        return fallback;
    const QString text = request.queryValue(name);
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high || text.size() > 6 || text.startsWith(u'+') ||
        text.startsWith(u' '))
        return std::nullopt;
    return value;
}

Response redirect(const QByteArray& location) {
    Response r;
    r.status = 303;
    r.contentType = kHtml;
    r.setHeader("Location", location);
    return r;
}

Response pdf(const QByteArray& bytes, const QByteArray& fileName) {
    Response r;
    r.contentType = "application/pdf";
    r.body = bytes;
    r.setHeader("Content-Disposition", "attachment; filename=\"" + fileName + '"');
    return r;
}

bool listed(const RosterTables& roster, int bangou) {
    return std::any_of(roster.listed.begin(), roster.listed.end(),
                       [bangou](const RosterEntry& e) { return e.bangou == bangou; });
}

// The levels the student has practised among the records the reports take into account.
QList<int> practisedLevels(const SchoolSnapshot& snap, int bangou) {
    std::array<bool, kLevelSlots> seen{};
    for (const ResultKeys& r : snap.reportRecords) {
        if (r.bangou == bangou && r.level >= 1 && r.level < kLevelSlots)
            seen[static_cast<size_t>(r.level)] = true;
    }
    QList<int> levels;
    for (int level = 1; level <= kLevelCount; ++level) {
        if (seen[static_cast<size_t>(level)])
            levels << level;
    }
    return levels;
}

QList<StudentLink> studentLinks(const SchoolSnapshot& snap, const QList<int>& bangous) {
    QList<StudentLink> links;
    for (int bangou : bangous) {
        StudentLink link;
        link.bangou = bangou;
        link.name = reportStudentName(snap.roster, bangou);
        link.gradeLabel = snap.roster.gradeLabelOf(bangou);
        link.attemptsToday = snap.statistics->sumOverLevels(StatisticsTables::TodayAttempts, bangou);
        links << link;
    }
    return links;
}

FactPeriod factPeriod(const QDateTime& now, int days) {
    FactPeriod period;
    period.today = now.date();
    period.days = days;
    return period;
}

} // namespace

QByteArray contentSecurityPolicy() {
    return QByteArrayLiteral(
        "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; "
        "connect-src 'self'; form-action 'self'; frame-ancestors 'none'; base-uri 'none'");
}

QByteArray sessionCookieName() {
    return QByteArrayLiteral("kz_session");
}

struct WebApp::Route {
    const char16_t* path;
    // Page: a page of its own (without a login: to the login page); Part: what a page's
    // script fetches (without a login: 401); Asset: a built-in file, open to everybody.
    enum Kind { Page, Part, Asset, Login, Logout } kind;
    Response (WebApp::*get)(const Request&);
};

const WebApp::Route* WebApp::routeFor(const QString& path) {
    static const Route routes[] = {
        {u"/", Route::Page, &WebApp::classroomPage},
        {u"/classroom/live", Route::Part, &WebApp::classroomLivePart},
        {u"/api/status", Route::Part, &WebApp::status},
        {u"/tables", Route::Page, &WebApp::tables},
        {u"/students", Route::Page, &WebApp::students},
        {u"/student", Route::Page, &WebApp::student},
        {u"/class", Route::Page, &WebApp::classPage},
        {u"/student/reports.pdf", Route::Page, &WebApp::studentReportsPdf},
        {u"/student/facts.pdf", Route::Page, &WebApp::studentFactsPdf},
        {u"/class/reports.pdf", Route::Page, &WebApp::classReportsPdf},
        {u"/class/facts.pdf", Route::Page, &WebApp::classFactsPdf},
        {u"/static/kazurin2-web.css", Route::Asset, &WebApp::asset},
        {u"/static/kazurin2-web.js", Route::Asset, &WebApp::asset},
        {u"/login", Route::Login, nullptr},
        {u"/logout", Route::Logout, nullptr},
    };
    for (const Route& route : routes) {
        if (path == QStringView(route.path))
            return &route;
    }
    return nullptr;
}

WebApp::WebApp(SchoolData& data, WebDrawing& drawing, const Clock& clock, AccessRules access)
    : data_(data), drawing_(drawing), clock_(clock), access_(std::move(access)) {}

Response WebApp::handle(const Request& request) {
    Response response;
    const QByteArray host = request.header("host");
    if (!access_.allowedHosts.isEmpty() && !access_.allowedHosts.contains(QString::fromLatin1(host))) {
        response.status = 421;
        response.contentType = "text/plain; charset=utf-8";
        response.body = QStringLiteral("このサーバーはこの名前では使えません\n").toUtf8();
    } else {
        const QByteArray key = cookieValue(request.header("cookie"), sessionCookieName());
        loggedIn_ = !access_.loginRequired || sessions_.check(key, clock_.monotonicMs());
        response = dispatch(request, loggedIn_);
    }
    if (request.method == Method::Head)
        response.body.clear();
    response.setHeader("Content-Security-Policy", contentSecurityPolicy());
    response.setHeader("X-Content-Type-Options", "nosniff");
    response.setHeader("X-Frame-Options", "DENY");
    // same-origin, not no-referrer: with no-referrer a browser posts its forms with "Origin: null".
    response.setHeader("Referrer-Policy", "same-origin");
    response.setHeader("Cross-Origin-Opener-Policy", "same-origin");
    response.setHeader("Cross-Origin-Resource-Policy", "same-origin");
    if (response.header("Cache-Control").isEmpty())
        response.setHeader("Cache-Control", "no-store");
    return response;
}

Response WebApp::dispatch(const Request& request, bool loggedIn) {
    const Route* route = routeFor(request.path);
    if (!route)
        return notFound();
    const bool post = request.method == Method::Post;
    const bool get = request.method == Method::Get || request.method == Method::Head;
    if (post) {
        // A form of this server only: a page elsewhere cannot post to it.
        const QByteArray origin = request.header("origin");
        if (!origin.isEmpty() && origin != "http://" + request.header("host")) {
            Response r = page(
                403, QStringLiteral("送れません"), Section::None,
                messageBody(QStringLiteral("送れません"), QStringLiteral("ほかのページからは送れません。")));
            return r;
        }
    }
    if (route->kind == Route::Login) {
        if (!get && !post)
            return page(
                405, QStringLiteral("使えません"), Section::None,
                messageBody(QStringLiteral("使えません"), QStringLiteral("この使い方はできません。")));
        return login(request);
    }
    if (route->kind == Route::Logout) {
        if (!post)
            return notFound();
        return logout(request);
    }
    if (!get) {
        Response r =
            page(405, QStringLiteral("使えません"), Section::None,
                 messageBody(QStringLiteral("使えません"), QStringLiteral("この使い方はできません。")));
        r.setHeader("Allow", "GET, HEAD");
        return r;
    }
    if (route->kind == Route::Asset)
        return asset(request);
    if (!loggedIn) {
        if (route->kind == Route::Part) {
            Response r;
            r.status = 401;
            r.contentType = "text/plain; charset=utf-8";
            r.body = QStringLiteral("ログインしてください\n").toUtf8();
            return r;
        }
        return redirect("/login");
    }
    return (this->*(route->get))(request);
}

Response WebApp::page(int status, const QString& title, Section section, const QString& body) {
    PageFrame frame;
    frame.title = title;
    frame.section = section;
    frame.body = body;
    frame.now = clock_.now();
    frame.showLogout = access_.loginRequired && loggedIn_;
    Snapshot snap;
    if (loggedIn_ && status < 500) {
        if (Outcome<Snapshot> read = data_.snapshot(); read)
            snap = *read;
    }
    frame.snapshot = snap.get();
    Response r;
    r.status = status;
    r.contentType = kHtml;
    r.body = pageDocument(frame).toUtf8();
    return r;
}

Response WebApp::badRequest() {
    return page(400, QStringLiteral("指定が正しくありません"), Section::None,
                messageBody(QStringLiteral("指定が正しくありません"),
                            QStringLiteral("ページの指定に使えない値があります。")));
}

Response WebApp::notFound(const QString& message) {
    return page(
        404, QStringLiteral("ページがありません"), Section::None,
        messageBody(QStringLiteral("ページがありません"),
                    message.isEmpty() ? QStringLiteral("このアドレスのページはありません。") : message));
}

Response WebApp::asset(const Request& request) {
    for (const Asset& a : kAssets) {
        if (request.path != QStringView(a.path))
            continue;
        QFile file(QString::fromLatin1(a.resource));
        if (!file.open(QIODevice::ReadOnly))
            break;
        Response r;
        r.contentType = a.type;
        r.body = file.readAll();
        r.setHeader("Cache-Control", "no-cache");
        return r;
    }
    return notFound();
}

Response WebApp::login(const Request& request) {
    if (!access_.loginRequired || loggedIn_)
        return redirect("/");
    const auto loginPage = [this](int status, const QString& message) {
        return page(status, QStringLiteral("ログイン"), Section::None, loginBody(message));
    };
    if (request.method != Method::Post)
        return loginPage(200, {});
    const qint64 now = clock_.monotonicMs();
    const QString client = request.remoteAddress;
    if (const qint64 wait = throttle_.waitBeforeTry(client, now); wait > 0) {
        const qint64 seconds = (wait + 999) / 1000;
        Response r =
            loginPage(429, QStringLiteral("パスワードをまちがえた回数が多いので、しばらく入れられません。"
                                          "%1 秒たってからもう一度入れてください。")
                               .arg(seconds));
        r.setHeader("Retry-After", QByteArray::number(seconds));
        return r;
    }
    QString typed;
    for (const auto& [name, value] : formFields(request.body)) {
        if (name == u"password") {
            typed = value;
            break;
        }
    }
    if (typed.isEmpty() || !sameSecret(typed.toUtf8(), access_.password.toUtf8())) {
        throttle_.failed(client, now);
        return loginPage(401, QStringLiteral("パスワードが違います。"));
    }
    throttle_.succeeded(client);
    Response r = redirect("/");
    r.setHeader("Set-Cookie",
                sessionCookieName() + '=' + sessions_.start(now) + "; Path=/; HttpOnly; SameSite=Strict");
    return r;
}

Response WebApp::logout(const Request& request) {
    sessions_.end(cookieValue(request.header("cookie"), sessionCookieName()));
    Response r = redirect(access_.loginRequired ? "/login" : "/");
    r.setHeader("Set-Cookie", sessionCookieName() + "=; Path=/; HttpOnly; SameSite=Strict; Max-Age=0");
    return r;
}

Response WebApp::unavailable(const Error& error) {
    return page(503, QStringLiteral("読めません"), Section::None,
                messageBody(QStringLiteral("データを読めません"), error.text()));
}

Response WebApp::classroomPage(const Request& request) {
    return classroom(request, false);
}

Response WebApp::classroomLivePart(const Request& request) {
    return classroom(request, true);
}

Response WebApp::classroom(const Request& request, bool live) {
    const std::optional<int> grade = number(request, u"grade", 0, lastGrade(), 0);
    if (!grade)
        return badRequest();
    const Outcome<Snapshot> read = data_.snapshot();
    if (!read)
        return unavailable(read.error());
    const SchoolSnapshot& snap = **read;
    const Classroom room = buildClassroom(snap, gradeFilters().at(*grade));
    if (live) {
        Response r;
        r.contentType = kHtml;
        r.body = classroomLive(room).toUtf8();
        r.setHeader("X-Kz-Token", snap.token);
        return r;
    }
    return page(200, QStringLiteral("今日の教室"), Section::Classroom, classroomBody(room, *grade));
}

Response WebApp::status(const Request&) {
    const Outcome<Snapshot> read = data_.snapshot();
    if (!read)
        return unavailable(read.error());
    const SchoolSnapshot& snap = **read;
    Response r;
    r.contentType = "application/json";
    r.body = statusJson(snap, clock_.now());
    return r;
}

Response WebApp::tables(const Request& request) {
    const QString display =
        request.hasQuery(u"display") ? request.queryValue(u"display") : QStringLiteral("points");
    if (display != u"time" && display != u"points")
        return badRequest();
    const std::optional<int> option = number(request, u"option", 1, 3, 1);
    const std::optional<int> period = number(request, u"period", 1, kPeriodCount, kDefaultPeriod);
    const std::optional<int> grade = number(request, u"grade", 0, lastGrade(), 0);
    if (!option || !period || !grade)
        return badRequest();
    const Outcome<Snapshot> read = data_.snapshot();
    if (!read)
        return unavailable(read.error());
    const SchoolSnapshot& snap = **read;

    // The choices as the level menu's options make them.
    ResultsDisplay choices;
    choices.preset();
    choices.chooseDisplay(display == u"time" ? ResultsDisplay::Display::Times
                                             : ResultsDisplay::Display::Points);
    choices.chooseTable(*option);
    choices.choosePeriod(*period - 1);
    const TableChoice choice = choices.choice(gradeFilters().at(*grade), 0, clock_.now());
    ResultsTableBuilder builder(TableSources{snap.roster, *snap.statistics, snap.criteria, kLevelCount});
    const ResultsTables built = builder.build(choice, snap.recent);

    TablesView view;
    view.points = display == u"points";
    view.option = *option;
    view.period = *period;
    view.grade = *grade;
    return page(200, QStringLiteral("成績一覧"), Section::Tables, tablesBody(built, view));
}

Response WebApp::students(const Request& request) {
    const std::optional<int> grade = number(request, u"grade", 0, lastGrade(), 0);
    if (!grade)
        return badRequest();
    const Outcome<Snapshot> read = data_.snapshot();
    if (!read)
        return unavailable(read.error());
    const SchoolSnapshot& snap = **read;
    const QList<StudentLink> links =
        studentLinks(snap, graphStudentsUnder(snap.roster, gradeFilters().at(*grade)));
    return page(200, QStringLiteral("生徒"), Section::Students, studentsBody(links, *grade));
}

Response WebApp::student(const Request& request) {
    const std::optional<int> bangou = number(request, u"n", 1, RosterTables::kStudents - 1, 0);
    const std::optional<int> days = number(request, u"days", 0, 36500, 0);
    if (!bangou || !days || *bangou == 0 || !factDayChoices().contains(*days))
        return badRequest();
    const Outcome<Snapshot> read = data_.snapshot();
    if (!read)
        return unavailable(read.error());
    const SchoolSnapshot& snap = **read;
    if (!listed(snap.roster, *bangou))
        return studentNotListed(*bangou);

    StudentView view;
    view.bangou = *bangou;
    view.name = reportStudentName(snap.roster, *bangou);
    view.gradeLabel = snap.roster.gradeLabelOf(*bangou);
    view.days = *days;
    ResultsTableBuilder builder(TableSources{snap.roster, *snap.statistics, snap.criteria, kLevelCount});
    const ReportSources sources =
        teachersReportSources(snap.reportRecords, builder, snap.roster, gradeFilters().first());
    view.reports = makePersonalReports(sources, *bangou, practisedLevels(snap, *bangou));
    for (const PersonalReport& report : view.reports)
        view.charts << drawing_.reportChart(report.figures);
    view.history = personalHistoryLists(snap.reportRecords, *bangou, kLevelCount);

    FactsSelection selection;
    selection.student = *bangou;
    selection.period = factPeriod(snap.asOf, *days);
    if (const Outcome<FactsReport> facts = buildFactsReport(data_.installation(), selection); facts) {
        if (!facts->students.empty())
            view.factMapSvg = drawing_.factMap(*facts, facts->students.front());
    } else {
        view.notes << facts.error().text();
    }
    return page(200, view.name, Section::Students, studentBody(view));
}

Response WebApp::classPage(const Request& request) {
    const std::optional<int> grade = number(request, u"grade", 0, lastGrade(), 0);
    const std::optional<int> days = number(request, u"days", 0, 36500, 0);
    const std::optional<int> levels =
        number(request, u"levels", 0, static_cast<int>(reportLevelGroups().size()) - 1, 0);
    if (!grade || !days || !levels || !factDayChoices().contains(*days))
        return badRequest();
    const Outcome<Snapshot> read = data_.snapshot();
    if (!read)
        return unavailable(read.error());
    const SchoolSnapshot& snap = **read;
    ClassView view;
    view.grade = *grade;
    view.days = *days;
    view.levelsGroup = *levels;
    view.students = studentLinks(snap, graphStudentsUnder(snap.roster, gradeFilters().at(*grade)));
    FactsSelection selection;
    selection.gradeFilter = gradeFilters().at(*grade);
    selection.period = factPeriod(snap.asOf, *days);
    selection.wholeGroup = true;
    if (const Outcome<FactsReport> facts = buildFactsReport(data_.installation(), selection); facts) {
        if (!facts->students.empty())
            view.factMapSvg = drawing_.factMap(*facts, facts->students.front());
    } else {
        view.notes << facts.error().text();
    }
    return page(200, QStringLiteral("クラスの問題別"), Section::Class, classBody(view));
}

Response WebApp::studentReportsPdf(const Request& request) {
    const std::optional<int> bangou = number(request, u"n", 1, RosterTables::kStudents - 1, 0);
    if (!bangou || *bangou == 0)
        return badRequest();
    const Outcome<Snapshot> read = data_.snapshot();
    if (!read)
        return unavailable(read.error());
    const SchoolSnapshot& snap = **read;
    if (!listed(snap.roster, *bangou))
        return studentNotListed(*bangou);
    ResultsTableBuilder builder(TableSources{snap.roster, *snap.statistics, snap.criteria, kLevelCount});
    const ReportSources sources =
        teachersReportSources(snap.reportRecords, builder, snap.roster, gradeFilters().first());
    QList<int> levels = practisedLevels(snap, *bangou);
    if (levels.isEmpty())
        levels = reportLevelGroups().first();
    const Outcome<QByteArray> bytes =
        drawing_.reportsPdf({StudentReportSet{reportStudentName(snap.roster, *bangou),
                                              makePersonalReports(sources, *bangou, levels)}},
                            sources.programTitle);
    return pdfOrFailure(bytes, "kazurin2-report-" + QByteArray::number(*bangou) + ".pdf");
}

Response WebApp::studentFactsPdf(const Request& request) {
    const std::optional<int> bangou = number(request, u"n", 1, RosterTables::kStudents - 1, 0);
    const std::optional<int> days = number(request, u"days", 0, 36500, 0);
    if (!bangou || !days || *bangou == 0)
        return badRequest();
    const Outcome<Snapshot> read = data_.snapshot();
    if (!read)
        return unavailable(read.error());
    const SchoolSnapshot& snap = **read;
    if (!listed(snap.roster, *bangou))
        return studentNotListed(*bangou);
    FactsSelection selection;
    selection.student = *bangou;
    selection.period = factPeriod(snap.asOf, *days);
    const Outcome<FactsReport> facts = buildFactsReport(data_.installation(), selection);
    const Outcome<QByteArray> bytes = facts ? drawing_.factsPdf(*facts) : Outcome<QByteArray>(facts.error());
    return pdfOrFailure(bytes, "kazurin2-facts-" + QByteArray::number(*bangou) + ".pdf");
}

Response WebApp::classReportsPdf(const Request& request) {
    const std::optional<int> grade = number(request, u"grade", 0, lastGrade(), 0);
    const std::optional<int> group =
        number(request, u"levels", 0, static_cast<int>(reportLevelGroups().size()) - 1, 0);
    if (!grade || !group)
        return badRequest();
    const Outcome<Snapshot> read = data_.snapshot();
    if (!read)
        return unavailable(read.error());
    const SchoolSnapshot& snap = **read;
    const QString filter = gradeFilters().at(*grade);
    const QList<int> students = graphStudentsUnder(snap.roster, filter);
    if (students.isEmpty())
        return notFound(QStringLiteral("%1 に当てはまる生徒がいません。").arg(filter));
    ResultsTableBuilder builder(TableSources{snap.roster, *snap.statistics, snap.criteria, kLevelCount});
    const ReportSources sources = teachersReportSources(snap.reportRecords, builder, snap.roster, filter);
    const QList<int> levels = reportLevelGroups().at(*group);
    QList<StudentReportSet> sets;
    for (int bangou : students)
        sets << StudentReportSet{reportStudentName(snap.roster, bangou),
                                 makePersonalReports(sources, bangou, levels)};
    const Outcome<QByteArray> bytes = drawing_.reportsPdf(sets, sources.programTitle);
    return pdfOrFailure(bytes, "kazurin2-class-report-" + QByteArray::number(*grade) + ".pdf");
}

Response WebApp::classFactsPdf(const Request& request) {
    const std::optional<int> grade = number(request, u"grade", 0, lastGrade(), 0);
    const std::optional<int> days = number(request, u"days", 0, 36500, 0);
    if (!grade || !days)
        return badRequest();
    const Outcome<Snapshot> read = data_.snapshot();
    if (!read)
        return unavailable(read.error());
    const SchoolSnapshot& snap = **read;
    FactsSelection selection;
    selection.gradeFilter = gradeFilters().at(*grade);
    selection.period = factPeriod(snap.asOf, *days);
    const Outcome<FactsReport> facts = buildFactsReport(data_.installation(), selection);
    const Outcome<QByteArray> bytes = facts ? drawing_.factsPdf(*facts) : Outcome<QByteArray>(facts.error());
    return pdfOrFailure(bytes, "kazurin2-class-facts-" + QByteArray::number(*grade) + ".pdf");
}

Response WebApp::studentNotListed(int bangou) {
    return notFound(QStringLiteral("番号 %1 の生徒は名簿にいません。").arg(bangou));
}

Response WebApp::pdfOrFailure(const Outcome<QByteArray>& bytes, const QByteArray& fileName) {
    if (!bytes)
        return page(500, QStringLiteral("PDF を作れません"), Section::None,
                    messageBody(QStringLiteral("PDF を作れません"), bytes.error().text()));
    return pdf(*bytes, fileName);
}

} // namespace kz::web
