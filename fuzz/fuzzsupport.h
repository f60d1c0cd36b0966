#pragma once

// Helpers shared by the fuzz targets: a scratch folder for the readers that take a file
// path, and a check that stops the run (and so records the input) when an invariant of a
// reader does not hold.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace kzfuzz {

// One folder per fuzzing process, removed when the process ends.
inline QString scratchFolder() {
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kzfuzz-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a scratch folder\n");
        std::abort();
    }
    return dir.path() + u'/';
}

// Writes the bytes as the file name in the scratch folder (folders on the way are made)
// and returns its full path.
inline QString writeScratch(const QString& name, const char* data, size_t size) {
    const QString path = scratchFolder() + name;
    QDir().mkpath(path.left(path.lastIndexOf(u'/')));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(data, static_cast<qint64>(size)) != static_cast<qint64>(size)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
    return path;
}

inline QString writeScratch(const QString& name, const QByteArray& bytes) {
    return writeScratch(name, bytes.constData(), static_cast<size_t>(bytes.size()));
}

#define KZ_FUZZ_CHECK(condition)                                                                             \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);               \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

} // namespace kzfuzz
