#pragma once

// Whole files read and written in one go, for tests that lay out or inspect data files.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

namespace kz::test {

// The file's bytes; empty when it cannot be read.
inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Replaces the file with the bytes; the test fails when they are not all written.
inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace kz::test
