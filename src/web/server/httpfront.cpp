#include "web/server/httpfront.h"

#include "web/webapp.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QHttpServerResponse>

namespace kz::web {

HttpFront::HttpFront(QObject* parent) : QAbstractHttpServer(parent) {}

Request HttpFront::requestOf(const QHttpServerRequest& request) {
    Request r;
    switch (request.method()) {
    case QHttpServerRequest::Method::Get:
        r.method = Method::Get;
        break;
    case QHttpServerRequest::Method::Head:
        r.method = Method::Head;
        break;
    case QHttpServerRequest::Method::Post:
        r.method = Method::Post;
        break;
    default:
        r.method = Method::Other;
        break;
    }
    const QUrl url = request.url();
    r.path = url.path(QUrl::FullyDecoded);
    for (const auto& [name, value] : request.query().queryItems(QUrl::FullyDecoded))
        r.query.append({name, value});
    for (const auto& [name, value] : request.headers())
        r.headers.append({name.toLower(), value});
    r.body = request.body();
    r.remoteAddress = request.remoteAddress().toString();
    return r;
}

bool HttpFront::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    if (!app_) {
        QHttpServerResponse(QHttpServerResponse::StatusCode::ServiceUnavailable)
            .write(makeResponder(request, socket));
        return true;
    }
    const Response answer = app_->handle(requestOf(request));
    QHttpServerResponse response(answer.contentType.isEmpty() ? QByteArrayLiteral("text/plain")
                                                              : answer.contentType,
                                 answer.body, static_cast<QHttpServerResponse::StatusCode>(answer.status));
    for (const auto& [name, value] : answer.headers)
        response.addHeader(name, value);
    response.write(makeResponder(request, socket));
    return true;
}

void HttpFront::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    // Never reached: handleRequest answers every request.
    QHttpServerResponse(QHttpServerResponse::StatusCode::NotFound).write(makeResponder(request, socket));
}

} // namespace kz::web
