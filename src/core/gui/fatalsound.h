#pragma once

#include "core/soundcues.h"

#include <functional>

namespace kz {

class MessageBox;
class Navigator;

// Closes every top-level window, the one opened last first.
void closeAllWindowsLastOpenedFirst();

// Shows the sound failure message (title "音声エラー", OK button) and ends the program with
// kSoundFailureExitCode: through navigator->quitProgram when a navigator is given, or else
// by closing every window, last opened first, and leaving the event loop.
//
// The call returns to its caller; the program ends once control is back in the event loop.
void endProgramAfterSoundFailure(MessageBox& messages, const QString& message,
                                 Navigator* navigator = nullptr);

// The fatal handler for SoundCues built on endProgramAfterSoundFailure.
SoundFatalHandler makeSoundFatalHandler(MessageBox& messages, Navigator* navigator = nullptr);

} // namespace kz
