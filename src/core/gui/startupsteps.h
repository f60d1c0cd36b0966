#pragma once

#include <QString>

class QWidget;

namespace kz {

struct RunState;
class MessageBox;

// The splash timer's first step: resolves the installation from the program's folder and
// tells the user, one box each, what could not be used. When the program cannot start
// (path or settings file missing or short) the box names the file with its full path
// and the result is false.
bool resolveAndReport(const QString& executableFolder, RunState& state, MessageBox& messages,
                      QWidget* parent);

} // namespace kz
