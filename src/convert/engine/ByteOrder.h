#pragma once

#include <QByteArray>
#include <QtEndian>

// Integers appended to a file being built, in the byte order its format fixes.
namespace quillmorph::bytes {

template <typename T> void appendBig(QByteArray& out, T value) {
    const T ordered = qToBigEndian(value);
    out.append(reinterpret_cast<const char*>(&ordered), sizeof ordered);
}

template <typename T> void appendLittle(QByteArray& out, T value) {
    const T ordered = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&ordered), sizeof ordered);
}

} // namespace quillmorph::bytes
