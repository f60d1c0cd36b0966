#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <utility>

// A request and its answer as the teachers' web pages see them, free of any network
// code: the server turns what its HTTP library parsed into a Request and writes the
// Response back, so that every page and every rule of access is tested without sockets.
namespace kz::web {

enum class Method { Get, Head, Post, Other };

struct Request {
    Method method = Method::Get;
    QString path;                                     // percent-decoded, as sent ("/student")
    QList<std::pair<QString, QString>> query;         // decoded names and values, in order
    QList<std::pair<QByteArray, QByteArray>> headers; // names in lower case
    QByteArray body;                                  // a form's fields (POST)
    QString remoteAddress;                            // the client, for limiting logins

    // The first header of that name (lower case), empty when there is none.
    QByteArray header(QByteArrayView name) const;
    // The first query value of that name; empty when there is none.
    QString queryValue(QStringView name) const;
    bool hasQuery(QStringView name) const;
};

struct Response {
    int status = 200;
    QByteArray contentType; // with its charset where it is text
    QByteArray body;
    QList<std::pair<QByteArray, QByteArray>> headers; // besides the content type

    // Replaces every header of that name.
    void setHeader(const QByteArray& name, const QByteArray& value);
    QByteArray header(QByteArrayView name) const;
};

// Fields of an application/x-www-form-urlencoded body ("+" is a space), in order.
QList<std::pair<QString, QString>> formFields(const QByteArray& body);
// The value of a cookie in a Cookie header ("a=1; kz=2"); empty when it is not there.
QByteArray cookieValue(const QByteArray& cookieHeader, QByteArrayView name);

} // namespace kz::web
