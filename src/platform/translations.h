#pragma once

#include <QStringList>

class QCoreApplication;

// Japanese for the texts Qt itself shows: the buttons of message boxes, the print and
// file dialogs, the menus of text boxes and scroll bars. Both programs call this once at
// start, before any window is made.
namespace kz {

// Loads Qt's own Japanese translations (the system's qtbase_ja.qm), then, consulted
// before them, the program's captions for the texts they leave in English, and makes
// Japanese the default locale (dates and numbers in the dialogs). Returns the
// translation files that could not be loaded (the program still runs, in part English).
QStringList installJapaneseTranslations(QCoreApplication& application);

// The program's own caption of a Qt text (context and source text as Qt asks for them);
// empty when it has none.
QString ownQtCaption(const char* context, const char* sourceText);

} // namespace kz
