#include "admin/cli/cliarguments.h"

#include "data/grade.h"

namespace kz::admin {

Error usage(const QString& message) {
    return makeError(ErrorKind::Refused, message);
}

bool isOption(const QString& arg, const QString& name) {
    return arg == name || arg.startsWith(name + u'=');
}

Outcome<QString> optionValue(const QStringList& args, qsizetype* i, const QString& name) {
    const QString& arg = args[*i];
    if (arg.startsWith(name + u'='))
        return arg.mid(name.size() + 1);
    if (*i + 1 >= args.size())
        return usage(QStringLiteral("%1 には値が要ります").arg(name));
    return args[++*i];
}

Outcome<NamedValue> namedValue(const QStringList& args, qsizetype* i) {
    const QString& arg = args[*i];
    if (const qsizetype eq = arg.indexOf(u'='); eq > 0)
        return NamedValue{arg.left(eq), arg.mid(eq + 1)};
    if (*i + 1 >= args.size())
        return usage(QStringLiteral("%1 には値が要ります").arg(arg));
    ++*i;
    return NamedValue{arg, args[*i]};
}

Outcome<int> numberValue(const QString& name, const QString& value, int low, int high, const QString& what) {
    bool ok = false;
    const int n = value.toInt(&ok);
    if (ok && n >= low && n <= high)
        return n;
    const QString range = QStringLiteral("%1～%2").arg(low).arg(high);
    return usage(QStringLiteral("%1 には %2 を指定してください（「%3」は使えません）")
                     .arg(name, what.isEmpty() ? range : what + u' ' + range, value));
}

Outcome<int> numberOption(const QStringList& args, qsizetype* i, const QString& name, int low, int high,
                          const QString& what) {
    const Outcome<QString> value = optionValue(args, i, name);
    if (!value)
        return value.error();
    return numberValue(name, *value, low, high, what);
}

Outcome<QDateTime> dateTimeValue(const QString& name, const QString& value) {
    const QDateTime dateTime = QDateTime::fromString(value, Qt::ISODate);
    if (!dateTime.isValid())
        return usage(
            QStringLiteral("%1 には 2004-03-15T14:30:00 のような日時を指定してください（「%2」は使えません）")
                .arg(name, value));
    return dateTime;
}

Outcome<QDateTime> dateTimeOption(const QStringList& args, qsizetype* i, const QString& name) {
    const Outcome<QString> value = optionValue(args, i, name);
    if (!value)
        return value.error();
    return dateTimeValue(name, *value);
}

std::optional<QString> gradeFilterNamed(const QString& text) {
    const QList<QString>& filters = gradeFilters();
    bool isNumber = false;
    const int index = text.toInt(&isNumber);
    if (isNumber)
        return index >= 0 && index < filters.size() ? std::optional<QString>(filters[index]) : std::nullopt;
    QString wide = text;
    for (QChar& c : wide)
        if (c >= u'0' && c <= u'9')
            c = QChar(c.unicode() - u'0' + 0xFF10);
    if (filters.contains(wide))
        return wide;
    return std::nullopt;
}

} // namespace kz::admin
