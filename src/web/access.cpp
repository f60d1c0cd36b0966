#include "web/access.h"

#include <QRandomGenerator>

namespace kz::web {

Status checkWebPassword(const QString& password, const QString& teacherPassword) {
    const auto refused = [](const QString& why) { return makeError(ErrorKind::Refused, why); };
    if (password.size() < 8)
        return refused(QStringLiteral("ウェブのパスワードは 8 文字以上にしてください"));
    if (password.trimmed() != password)
        return refused(QStringLiteral("ウェブのパスワードの前後に空白を入れないでください"));
    if (!teacherPassword.trimmed().isEmpty() && password == teacherPassword.trimmed())
        return refused(
            QStringLiteral("ウェブのパスワードに先生のデータ変更のパスワードを使わないでください"));
    return {};
}

QString randomWebPassword() {
    static const QString letters = QStringLiteral("abcdefghijkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789");
    QString password;
    for (int i = 0; i < 12; ++i)
        password += letters.at(static_cast<qsizetype>(QRandomGenerator::system()->bounded(letters.size())));
    return password;
}

QByteArray newSessionKey() {
    QByteArray bytes(32, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
    return bytes.toHex();
}

bool sameSecret(const QByteArray& a, const QByteArray& b) {
    unsigned char diff = a.size() == b.size() ? 0 : 1;
    const qsizetype n = qMax(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(i < a.size() ? a[i] : 0);
        const auto y = static_cast<unsigned char>(i < b.size() ? b[i] : 0);
        diff |= static_cast<unsigned char>(x ^ y);
    }
    return diff == 0;
}

QByteArray Sessions::start(qint64 nowMs) {
    dropIdle(nowMs);
    const QByteArray key = newSessionKey();
    lastUse_.insert(key, nowMs);
    return key;
}

bool Sessions::check(const QByteArray& key, qint64 nowMs) {
    if (key.isEmpty())
        return false;
    const auto it = lastUse_.find(key);
    if (it == lastUse_.end())
        return false;
    if (nowMs - *it > kIdleLimitMs) {
        lastUse_.erase(it);
        return false;
    }
    *it = nowMs;
    return true;
}

void Sessions::end(const QByteArray& key) {
    lastUse_.remove(key);
}

void Sessions::dropIdle(qint64 nowMs) {
    lastUse_.removeIf(
        [nowMs](const QHash<QByteArray, qint64>::iterator it) { return nowMs - it.value() > kIdleLimitMs; });
}

qint64 LoginThrottle::waitBeforeTry(const QString& client, qint64 nowMs) const {
    qint64 until = all_.lockedUntil;
    if (const auto it = clients_.constFind(client); it != clients_.constEnd())
        until = qMax(until, it->lockedUntil);
    return qMax<qint64>(0, until - nowMs);
}

void LoginThrottle::count(Record& r, qint64 nowMs) {
    if (nowMs - r.windowStart > kWindowMs) {
        r.windowStart = nowMs;
        r.failures = 0;
    }
    ++r.failures;
}

void LoginThrottle::failed(const QString& client, qint64 nowMs) {
    Record& r = clients_[client];
    count(r, nowMs);
    if (r.failures >= kFreeFailures) {
        r.lastLockMs = r.lastLockMs == 0 ? kLockMs : qMin(kLongestLockMs, r.lastLockMs * 2);
        r.lockedUntil = nowMs + r.lastLockMs;
        r.failures = 0;
        r.windowStart = nowMs;
    }
    count(all_, nowMs);
    if (all_.failures >= kFreeFailuresOfAll) {
        all_.lockedUntil = nowMs + kLockMs;
        all_.failures = 0;
        all_.windowStart = nowMs;
    }
}

void LoginThrottle::succeeded(const QString& client) {
    clients_.remove(client);
}

} // namespace kz::web
