#pragma once

#include "web/webrequest.h"

#include <QAbstractHttpServer>

class QHttpServerRequest;

namespace kz::web {

class WebApp;

// The seam between Qt HttpServer and the pages: every request, whatever its path, is
// turned into a Request and answered by WebApp; nothing else answers.
class HttpFront final : public QAbstractHttpServer {
    Q_OBJECT
public:
    explicit HttpFront(QObject* parent = nullptr);

    // The pages that answer; until they are set every request is answered 503.
    void setApp(WebApp* app) { app_ = app; }

    // What WebApp sees of a request.
    static Request requestOf(const QHttpServerRequest& request);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    WebApp* app_ = nullptr;
};

} // namespace kz::web
