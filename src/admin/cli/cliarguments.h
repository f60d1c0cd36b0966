#pragma once

#include "platform/outcome.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// Reading the companion's options: "--name value" and "--name=value" alike, every
// refusal a Refused error whose message says what the option takes.
namespace kz::admin {

Error usage(const QString& message);

// Whether arg is the option name, alone or as "name=value".
bool isOption(const QString& arg, const QString& name);

// The value of the option at args[*i]: after its "=", else the next argument (*i moves on).
Outcome<QString> optionValue(const QStringList& args, qsizetype* i, const QString& name);

// value as a whole number low..high for option name; what names the value ("番号", "レベル")
// and may be empty.
Outcome<int> numberValue(const QString& name, const QString& value, int low, int high,
                         const QString& what = {});

// For commands whose options all take a value: the option at args[*i] and its value.
struct NamedValue {
    QString name;
    QString value;
};
Outcome<NamedValue> namedValue(const QStringList& args, qsizetype* i);

// The value of the option at args[*i] as a whole number low..high (*i moves on).
Outcome<int> numberOption(const QStringList& args, qsizetype* i, const QString& name, int low, int high,
                          const QString& what = {});

// value as an ISO date and time ("2004-03-15T14:30:00") for option name.
Outcome<QDateTime> dateTimeValue(const QString& name, const QString& value);

// The value of the option at args[*i] as an ISO date and time (*i moves on).
Outcome<QDateTime> dateTimeOption(const QStringList& args, qsizetype* i, const QString& name);

// A grade filter by its position in the list (0 全学年 .. 11 小１) or its text; half-width
// digits stand for the full-width ones ("小3" is "小３").
std::optional<QString> gradeFilterNamed(const QString& text);

} // namespace kz::admin
