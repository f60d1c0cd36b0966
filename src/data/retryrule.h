#pragma once

#include "platform/outcome.h"

#include <functional>
#include <optional>

// The one rule for a data file that the stations of a classroom share: another station
// may be using it at this very moment, and then the operation waits and tries again.
namespace kz {

// Called between two tries; the program passes a wait that keeps its screens alive,
// without one the thread sleeps.
using WaitFunction = std::function<void(int milliseconds)>;

// Whether an operation reads a file or changes it.
enum class FileAccess { Read, Write };

struct RetryRule {
    // What the file may be held by another station means. A reader cannot tell a lock
    // from a refusal (mayBeHeldByAnotherStation); a writer takes the lock itself and
    // knows: only its kind Locked is another station, a refused open is no lock.
    FileAccess access = FileAccess::Read;
    // Between two tries while the file may be held by another station: tried again
    // without end unless giveUpAfterMs says so.
    int heldWaitMs = 1000;
    // A file or folder that cannot be reached (NotFound) is reported at once, unless
    // unreachableTries > 0: then every such failure is followed by a wait of
    // unreachableWaitMs, and after that many of them the error is reported.
    int unreachableTries = 0;
    int unreachableWaitMs = 5000;
    // > 0: once this much has been waited, the last error is reported (kind Locked or
    // NotFound); each wait is shortened so that the total does not pass it.
    int giveUpAfterMs = 0;
    // > 0: no more tries than this; the last error is reported.
    int triesAtMost = 0;
};

// How the tries went, for a caller whose message tells how long it waited.
struct RetryReport {
    int tries = 0;
    int waitedMs = 0;
    bool gaveUp = false; // giveUpAfterMs or triesAtMost was reached
};

// Runs tryOnce until it succeeds or fails in a way the rule does not wait for, and
// returns its last outcome. Any other error (a damaged file, a full disk, no right to
// write, ...) ends the tries at once.
Status retryWhileHeld(const std::function<Status()>& tryOnce, const WaitFunction& wait,
                      const RetryRule& rule = {}, RetryReport* report = nullptr);

// The same for a step that makes a value.
template <class T>
Outcome<T> retryWhileHeld(const std::function<Outcome<T>()>& tryOnce, const WaitFunction& wait,
                          const RetryRule& rule = {}, RetryReport* report = nullptr) {
    std::optional<Outcome<T>> last;
    (void)retryWhileHeld(
        [&]() -> Status {
            last.emplace(tryOnce());
            return last->ok() ? Status() : Status(last->error());
        },
        wait, rule, report);
    return std::move(*last);
}

} // namespace kz
