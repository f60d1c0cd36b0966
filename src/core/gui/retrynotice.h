#pragma once

#include "data/resultstore.h"

#include <QPointer>
#include <QString>

class QLabel;

namespace kz {

// While the results file is read or written again and again because it is refused (in
// use on another station, no right to read it), the screen says so once the retries
// have lasted showAfterMs: "成績ファイルを読めません。再試行しています…" and the file's path.
// The retries go on; the notice goes away with this object, when the operation is over.
class RetryNotice {
public:
    static constexpr int kShowAfterMs = 3000;

    // wait: the wait between two tries (it keeps the screens alive).
    RetryNotice(QString path, WaitFunction wait, int showAfterMs = kShowAfterMs);
    ~RetryNotice();
    RetryNotice(const RetryNotice&) = delete;
    RetryNotice& operator=(const RetryNotice&) = delete;

    // The wait to hand to the loader or the appender.
    WaitFunction waitFunction();
    bool shown() const { return !window_.isNull(); }

private:
    void waited(int milliseconds);

    QString path_;
    WaitFunction wait_;
    int showAfterMs_;
    int waitedMs_ = 0;
    QPointer<QLabel> window_;
};

} // namespace kz
