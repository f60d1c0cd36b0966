#pragma once

#include <QString>
#include <QStringView>

#include <initializer_list>
#include <utility>

// Writing HTML: every text that comes from a data file, a request or a message goes
// through escape(), so a roster name such as "<script>" is shown as text.
namespace kz::web {

// & < > " ' as character references; anything else as it is.
QString escape(QStringView text);

// A link's address from a path and query fields, the values percent-encoded and the
// whole escaped for an attribute: href(u"/student", {{u"n", u"12"}}) -> "/student?n=12".
QString href(QStringView path, std::initializer_list<std::pair<QStringView, QString>> query = {});

// "1,234"
QString groupedNumber(qint64 value);

} // namespace kz::web
