#include "web/webrequest.h"

#include <QUrlQuery>

namespace kz::web {

QByteArray Request::header(QByteArrayView name) const {
    for (const auto& [key, value] : headers) {
        if (key == name)
            return value;
    }
    return {};
}

QString Request::queryValue(QStringView name) const {
    for (const auto& [key, value] : query) {
        if (key == name)
            return value;
    }
    return {};
}

bool Request::hasQuery(QStringView name) const {
    for (const auto& field : query) {
        if (field.first == name)
            return true;
    }
    return false;
}

void Response::setHeader(const QByteArray& name, const QByteArray& value) {
    headers.removeIf([&name](const auto& h) { return h.first.compare(name, Qt::CaseInsensitive) == 0; });
    headers.append({name, value});
}

QByteArray Response::header(QByteArrayView name) const {
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QList<std::pair<QString, QString>> formFields(const QByteArray& body) {
    QByteArray plus = body;
    plus.replace('+', ' ');
    QList<std::pair<QString, QString>> fields;
    const QUrlQuery query(QString::fromLatin1(plus));
    for (const auto& [name, value] : query.queryItems(QUrl::FullyDecoded))
        fields.append({name, value});
    return fields;
}

QByteArray cookieValue(const QByteArray& cookieHeader, QByteArrayView name) {
    for (const QByteArray& part : cookieHeader.split(';')) {
        const QByteArray item = part.trimmed();
        const qsizetype eq = item.indexOf('=');
        if (eq > 0 && QByteArrayView(item).first(eq) == name)
            return item.mid(eq + 1);
    }
    return {};
}

} // namespace kz::web
