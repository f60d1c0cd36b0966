#pragma once

#include "core/installation.h"

#include <QString>

class QWidget;

namespace kz {

class ProgramRun;
class MessageBox;

// The splash timer's first step: resolves the installation from the program's folder and
// tells the user, in one box, what could not be used. When the program cannot start
// (path or settings file missing or short) the box gives the reason, what to do and the
// file's full path once, and the result is false. probeSound (when given) opens every
// sound file that will be played. The notices box (the program carries on after it)
// closes itself after kStartupNoticeCloseMs, so that a classroom computer started with
// nobody at it does not wait on it; `kazurin2-admin check` lists the same problems. The
// box of a program that cannot start waits for OK.
inline constexpr int kStartupNoticeCloseMs = 60 * 1000;

bool resolveAndReport(const QString& executableFolder, ProgramRun& run, MessageBox& messages, QWidget* parent,
                      const SoundProbe& probeSound = {});

} // namespace kz
