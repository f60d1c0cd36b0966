#pragma once

#include "platform/outcome.h"
#include "web/access.h"
#include "web/pages.h"
#include "web/webrequest.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kz {
class Clock;
}

// The teachers' web pages behind one entry: a fixed table of paths, each with its page.
// A path that is not in the table is 404, whatever it holds ("..", "%2e", an absolute
// path): no part of a request ever names a file. Every answer carries the security
// headers (a Content-Security-Policy that allows only the server's own script and style
// sheet, no framing, no sniffing, no caching of pages with names).
namespace kz::web {

class SchoolData;
class WebDrawing;

struct AccessRules {
    bool loginRequired = false; // the server listens on more than this computer
    QString password;           // when loginRequired
    // Host header values accepted (a page bound to this computer refuses any other name,
    // so that a web site cannot reach it through a name of its own); empty: any.
    QStringList allowedHosts;
};

// The policy every answer carries.
QByteArray contentSecurityPolicy();
// The name of the session cookie.
QByteArray sessionCookieName();

class WebApp {
public:
    WebApp(SchoolData& data, WebDrawing& drawing, const Clock& clock, AccessRules access);

    Response handle(const Request& request);

    const Sessions& sessions() const { return sessions_; }

private:
    struct Route;
    static const Route* routeFor(const QString& path);
    Response dispatch(const Request& request, bool loggedIn);

    Response login(const Request& request);
    Response logout(const Request& request);
    Response asset(const Request& request);
    Response classroomPage(const Request& request);
    Response classroomLivePart(const Request& request);
    Response classroom(const Request& request, bool live);
    Response status(const Request& request);
    Response tables(const Request& request);
    Response students(const Request& request);
    Response student(const Request& request);
    Response classPage(const Request& request);
    Response studentReportsPdf(const Request& request);
    Response studentFactsPdf(const Request& request);
    Response classReportsPdf(const Request& request);
    Response classFactsPdf(const Request& request);

    Response page(int status, const QString& title, Section section, const QString& body);
    Response badRequest();
    Response unavailable(const Error& error);
    Response notFound(const QString& message = {});
    Response studentNotListed(int bangou);
    // The PDF as a download, or a page saying why it could not be made.
    Response pdfOrFailure(const Outcome<QByteArray>& bytes, const QByteArray& fileName);

    SchoolData& data_;
    WebDrawing& drawing_;
    const Clock& clock_;
    AccessRules access_;
    Sessions sessions_;
    LoginThrottle throttle_;
    bool loggedIn_ = false; // of the request being answered
};

} // namespace kz::web
