#pragma once

#include "core/programrun.h"
#include "data/retryrule.h"

#include <QPointer>
#include <QString>

class QLabel;

namespace kz {

// Waits the given time while the screens stay alive (events keep being processed).
void waitKeepingScreensAlive(int milliseconds);

// While a shared file is tried again and again because another station may hold it, the
// screen says so once the retries have lasted showAfterMs: "成績ファイルを読めません。
// 再試行しています…" (with the file's own name) and the file's path. The retries go on;
// the notice goes away with this object, when the operation is over.
class RetryNotice final : public FileWait {
public:
    static constexpr int kShowAfterMs = 3000;

    // file: the file's name for the user ("成績ファイル"); wait: the wait between two
    // tries (it keeps the screens alive).
    RetryNotice(QString file, QString path, WaitFunction wait, int showAfterMs = kShowAfterMs);
    ~RetryNotice() override;

    void wait(int milliseconds) override;
    bool shown() const { return !window_.isNull(); }

private:
    QString file_;
    QString path_;
    WaitFunction wait_;
    int showAfterMs_;
    int waitedMs_ = 0;
    QPointer<QLabel> window_;
};

// The program's waits for its run: a RetryNotice per operation, waiting with the screens alive.
FileWaits retryNoticeWaits();

} // namespace kz
