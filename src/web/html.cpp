#include "web/html.h"

#include <QLocale>
#include <QUrl>

namespace kz::web {

QString escape(QStringView text) {
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QStringLiteral("&amp;");
            break;
        case u'<':
            out += QStringLiteral("&lt;");
            break;
        case u'>':
            out += QStringLiteral("&gt;");
            break;
        case u'"':
            out += QStringLiteral("&quot;");
            break;
        case u'\'':
            out += QStringLiteral("&#39;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString href(QStringView path, std::initializer_list<std::pair<QStringView, QString>> query) {
    QString url = path.toString();
    QChar separator = u'?';
    for (const auto& [name, value] : query) {
        url += separator + name.toString() + u'=' + QString::fromLatin1(QUrl::toPercentEncoding(value));
        separator = u'&';
    }
    return escape(url);
}

QString groupedNumber(qint64 value) {
    QLocale c(QLocale::C);
    c.setNumberOptions(QLocale::DefaultNumberOptions);
    return c.toString(value);
}

} // namespace kz::web
