#pragma once

#include "platform/outcome.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>

// Who may see the pages: the password of the web pages, the sessions of those who gave
// it, and the limit on wrong guesses. Times are monotonic milliseconds from the caller's
// clock, so tests drive them by hand.
namespace kz::web {

// Whether a password may guard the pages: at least 8 characters (so never the teachers'
// 4-digit password of the data screens, which many have seen typed), without spaces at
// either end, and not the teachers' password whatever its length. The error says why not.
Status checkWebPassword(const QString& password, const QString& teacherPassword);

// A fresh password of 12 letters and digits that are not easily confused (no 0/O, 1/l/I),
// from the system's random source.
QString randomWebPassword();

// A session key: 32 random bytes as 64 hex digits, from the system's random source.
QByteArray newSessionKey();

// Comparison whose time does not tell how many leading characters matched.
bool sameSecret(const QByteArray& a, const QByteArray& b);

class Sessions {
public:
    static constexpr qint64 kIdleLimitMs = 12LL * 60 * 60 * 1000; // a school day and then some

    // Starts a session and gives its key.
    QByteArray start(qint64 nowMs);
    // Whether the key belongs to a session still alive; using it keeps it alive.
    bool check(const QByteArray& key, qint64 nowMs);
    void end(const QByteArray& key);
    int count() const { return static_cast<int>(lastUse_.size()); }

private:
    void dropIdle(qint64 nowMs);
    QHash<QByteArray, qint64> lastUse_;
};

// Wrong passwords are limited per client address: after kFreeFailures wrong ones within
// kWindowMs, every try (right or wrong) is refused for kLockMs, doubling with each further
// lock up to kLongestLockMs. All clients together are limited as well, so that many
// addresses gain nothing.
class LoginThrottle {
public:
    static constexpr int kFreeFailures = 5;
    static constexpr qint64 kWindowMs = 10LL * 60 * 1000;
    static constexpr qint64 kLockMs = 60LL * 1000;
    static constexpr qint64 kLongestLockMs = 60LL * 60 * 1000;
    static constexpr int kFreeFailuresOfAll = 30;

    // Milliseconds the client must still wait before trying; 0 when it may try now.
    qint64 waitBeforeTry(const QString& client, qint64 nowMs) const;
    void failed(const QString& client, qint64 nowMs);
    void succeeded(const QString& client);

private:
    struct Record {
        int failures = 0; // within the window that began at windowStart
        qint64 windowStart = 0;
        qint64 lockedUntil = 0;
        qint64 lastLockMs = 0; // length of the last lock, doubled by the next
    };
    void count(Record& r, qint64 nowMs);
    QHash<QString, Record> clients_;
    Record all_;
};

} // namespace kz::web
