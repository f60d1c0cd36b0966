#include "data/retryrule.h"

#include "platform/filelock.h"

#include <QThread>

namespace kz {

Status retryWhileHeld(const std::function<Status()>& tryOnce, const WaitFunction& waitFn,
                      const RetryRule& rule, RetryReport* report) {
    const WaitFunction wait =
        waitFn ? waitFn : WaitFunction([](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); });
    RetryReport local;
    RetryReport& r = report ? *report : local;
    r = RetryReport{};
    int unreachable = 0;
    for (;;) {
        ++r.tries;
        Status status = tryOnce();
        if (status)
            return status;
        const Error& e = status.error();
        const bool held =
            rule.access == FileAccess::Read ? mayBeHeldByAnotherStation(e) : e.kind == ErrorKind::Locked;
        const bool notFound = !held && e.kind == ErrorKind::NotFound && rule.unreachableTries > 0;
        if (!held && !notFound)
            return status;
        if ((rule.giveUpAfterMs > 0 && r.waitedMs >= rule.giveUpAfterMs) ||
            (rule.triesAtMost > 0 && r.tries >= rule.triesAtMost)) {
            r.gaveUp = true;
            return status;
        }
        int ms = held ? rule.heldWaitMs : rule.unreachableWaitMs;
        if (rule.giveUpAfterMs > 0)
            ms = qMax(1, qMin(ms, rule.giveUpAfterMs - r.waitedMs));
        wait(ms);
        r.waitedMs += ms;
        if (notFound && ++unreachable >= rule.unreachableTries)
            return status;
    }
}

} // namespace kz
