#pragma once

#include <QString>

// The system's error numbers (errno) as a teacher reads them: what happened and what to
// do, in Japanese. The system's own text, in the language of the system, is shown after
// it in brackets by the callers (Error::text), so that a technician still finds it.
namespace kz {

// The phrase of an error number; a general phrase for a number the table does not know.
QString systemErrorAdvice(int code);

// "<advice>（<system text> (<code>)）": the advice with the system's own text and number
// after it. The system text is the one given, or the system's text of the number.
QString explainedSystemError(int code, const QString& systemText = {});

} // namespace kz
