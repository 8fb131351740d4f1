#include "files/FilePathWindows.h"

namespace quillmorph {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendWtf8(QByteArray& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

void appendUtf16(std::wstring& out, char32_t c) {
    if (c < 0x10000) {
        out += wchar_t(c);
    } else {
        out += wchar_t(0xD800 + ((c - 0x10000) >> 10));
        out += wchar_t(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
}

// The code point the WTF-8 sequence at bytes[at] encodes, and its length; U+FFFD and 1 for a
// byte that starts none (overlong forms and values beyond U+10FFFF included). Surrogates are
// taken, as WTF-8 writes an unpaired one so.
char32_t decodeAt(const QByteArray& bytes, qsizetype at, qsizetype& length) {
    const uchar lead = uchar(bytes[at]);
    length = 1;
    if (lead < 0x80)
        return lead;
    const int more = lead >= 0xF5 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : 0;
    if (more == 0 || at + more >= bytes.size())
        return kReplacement;
    char32_t c = lead & (0x3F >> more);
    for (int i = 1; i <= more; ++i) {
        const uchar next = uchar(bytes[at + i]);
        if ((next & 0xC0) != 0x80)
            return kReplacement;
        c = (c << 6) | (next & 0x3F);
    }
    constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (c < kLeast[more] || c > 0x10FFFF)
        return kReplacement;
    length = 1 + more;
    return c;
}

} // namespace

std::wstring wideFromWtf8(const QByteArray& bytes) {
    std::wstring wide;
    wide.reserve(size_t(bytes.size()));
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype length = 1;
        appendUtf16(wide, decodeAt(bytes, at, length));
        at += length;
    }
    return wide;
}

std::wstring toWide(const FilePath& path) {
    std::wstring wide = wideFromWtf8(path.native());
    for (wchar_t& c : wide) {
        if (c == L'/')
            c = L'\\';
    }
    return wide;
}

QByteArray wtf8FromWide(std::wstring_view wide) {
    QByteArray bytes;
    bytes.reserve(qsizetype(wide.size()));
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t c = char16_t(wide[i]);
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() &&
                          char16_t(wide[i + 1]) >= 0xDC00 && char16_t(wide[i + 1]) <= 0xDFFF;
        if (pair)
            c = 0x10000 + ((c - 0xD800) << 10) + (char16_t(wide[++i]) - 0xDC00);
        appendWtf8(bytes, c);
    }
    return bytes;
}

FilePath fromWide(std::wstring_view wide) {
    return FilePath::fromNative(wtf8FromWide(wide));
}

} // namespace quillmorph
