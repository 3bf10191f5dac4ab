#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Shared by the harnesses: the input as bytes, a scratch folder for parsers that read files,
// and a check that stops the run with a message libFuzzer keeps beside the crashing input.
namespace fuzz {

inline QByteArray bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size));
}

// One folder for the whole run, removed at its end.
inline const QTemporaryDir& scratch() {
    static const QTemporaryDir dir;
    return dir;
}

// Replaces the scratch file `name` with the input and answers its path.
inline QString inputFile(const QString& name, const QByteArray& content) {
    const QString path = scratch().filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(content) != content.size()) {
        std::fprintf(stderr, "cannot write the scratch file %s\n", qPrintable(path));
        std::abort();
    }
    return path;
}

inline void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "broken invariant: %s\n", what);
        std::abort();
    }
}

}  // namespace fuzz
