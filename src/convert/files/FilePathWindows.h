#pragma once

#include "files/FilePath.h"

#include <QByteArray>
#include <string>
#include <string_view>

namespace quillmorph {

// A path's WTF-8 (FilePath.h) and the UTF-16 the system's W functions take, converted at the
// call. Every UTF-16 name, unpaired surrogates included, makes the round trip unchanged; bytes
// that are not WTF-8 (a Linux name carried over) become U+FFFD. Only …Windows.cpp files include
// this.

// UTF-16 for the system: each '/' as '\', which no Windows name holds.
std::wstring toWide(const FilePath& path);
std::wstring wideFromWtf8(const QByteArray& bytes);

// What the system named, as the system spelt it.
FilePath fromWide(std::wstring_view wide);
QByteArray wtf8FromWide(std::wstring_view wide);

} // namespace quillmorph
