#pragma once

#include "platform/filelock.h"
#include "platform/outcome.h"

#include <QElapsedTimer>
#include <QString>
#include <QThread>

// How the companion's commands wait for a data file that another station holds or that
// may not be read for the moment: they try again for at most --wait seconds, then the
// error is told with the seconds waited.
namespace kz::admin {

inline constexpr int kWaitStepMs = 250;

// The loaders that retry by themselves (statistics) get this pause and this limit in
// milliseconds.
inline void pauseMs(int ms) {
    QThread::msleep(static_cast<unsigned long>(qMax(0, ms)));
}
inline int waitLimitMs(int waitSeconds) {
    return qMax(1, waitSeconds * 1000);
}

// read() again while its error says the file is in use, until waitSeconds have passed.
template <class Read> auto readWaiting(int waitSeconds, Read read) -> decltype(read()) {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        auto result = read();
        if (result.ok() || !mayBeHeldByAnotherStation(result.error()))
            return result;
        const qint64 left = qint64(waitSeconds) * 1000 - waited.elapsed();
        if (left <= 0) {
            const Error& e = result.error();
            return makeError(ErrorKind::Locked,
                             e.message + QStringLiteral("（%1 秒待ちました）").arg(waitSeconds), e.detail,
                             e.code);
        }
        QThread::msleep(static_cast<unsigned long>(qMin<qint64>(left, kWaitStepMs)));
    }
}

} // namespace kz::admin
