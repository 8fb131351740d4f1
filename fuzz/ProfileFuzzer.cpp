// Any text as a settings file: reading never fails, and a write changes exactly the one value.
#include "Profile.h"
#include "StoredChoices.h"

#include <cstdint>
#include <cstdlib>

using quillmorph::Profile;

namespace {

void require(bool ok) {
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    Profile profile(bytes);
    const quillmorph::StoredChoices before = quillmorph::readStoredChoices(profile);
    require(before.backColor <= 0xFFFFFFu);
    require(before.formatText.size() <= 255);

    const QString section = QStringLiteral("V1.00202");
    const QString other = QStringLiteral("Other");
    const QString otherValue = profile.readString(other, QStringLiteral("k"), QStringLiteral("\x01"));
    profile.writeString(section, QStringLiteral("iWidth"), QStringLiteral("1234"));
    require(profile.readInt(section, QStringLiteral("IWIDTH"), -7) == 1234);
    profile.writeString(section, QStringLiteral("ImageFormat"), QStringLiteral("P\nNG"));
    require(profile.readString(section, QStringLiteral("imageformat"), QString()) == QStringLiteral("P NG"));
    require(profile.readInt(section, QStringLiteral("iWidth"), -7) == 1234);

    // The written text reads back the same, and other sections are untouched.
    const Profile reread(profile.bytes());
    require(reread.readInt(section, QStringLiteral("iWidth"), -7) == 1234);
    require(reread.readString(other, QStringLiteral("k"), QStringLiteral("\x01")) == otherValue ||
            other.compare(section, Qt::CaseInsensitive) == 0);
    return 0;
}
