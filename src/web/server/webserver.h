#pragma once

#include "core/installation.h"
#include "platform/outcome.h"

#include <QString>

class QTextStream;

// Serving the teachers' web pages: Qt HttpServer reads the requests, WebApp answers them.
namespace kz::web {

struct ListenAddress {
    QString host; // "127.0.0.1", "0.0.0.0", "::", "localhost"
    quint16 port = 0;
};

inline constexpr quint16 kDefaultPort = 8080;

// "ADDR:PORT" ("127.0.0.1:8080", "0.0.0.0:8080", "[::]:8080", "localhost:8080"); port 0
// takes any free port. Refused when it is not that.
Outcome<ListenAddress> parseListenAddress(const QString& text);

struct ServeOptions {
    ListenAddress listen{QStringLiteral("127.0.0.1"), kDefaultPort};
    QString passwordFile; // empty: a random password, printed at the start
};

// Every change of a data file makes the pages read the files again, with figures of a few
// megabytes each time. The C library would hand that memory back to the system after each
// reading and fault it in again for the next, which costs more than the reading itself on
// a busy day; this keeps it for reuse instead (glibc; nothing elsewhere). Called by
// runWebServer before it serves.
void keepMemoryForRereading();

// Listens and serves until the process is ended (SIGTERM, SIGINT, SIGHUP: status 0). On
// an address other than this computer's own, the pages need a login: with the password of
// the password file (its first line) or a random one. Tells on out where the pages are
// (and the random password); refusals on err with status 1. Needs a QGuiApplication
// (drawing) and an event loop.
int runWebServer(const Installation& installation, const ServeOptions& options, QTextStream& out,
                 QTextStream& err);

} // namespace kz::web
