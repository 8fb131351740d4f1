#pragma once

#include "Profile.h"

#include <QString>

namespace quillmorph {

// The settings file's section and keys, with the defaults used when a key is missing.
namespace settings {
inline const QString kSection = QStringLiteral("V1.00202");
inline const QString kSizeConv = QStringLiteral("iSizeConv");
inline const QString kWidth = QStringLiteral("iWidth");
inline const QString kHeight = QStringLiteral("iHeight");
inline const QString kRez = QStringLiteral("iRez");
inline const QString kImageFormat = QStringLiteral("ImageFormat");
inline const QString kBackColor = QStringLiteral("iBackColor");
// Ours, after the six: a file that knows only the six still loads, with keep-going off.
inline const QString kKeepGoing = QStringLiteral("iKeepGoing");
inline constexpr int kDefaultSizeConv = 0;
inline constexpr int kDefaultWidth = 600;
inline constexpr int kDefaultHeight = 450;
inline constexpr int kDefaultRez = 100;
inline const QString kDefaultImageFormat = QStringLiteral("JPEG");
inline constexpr int kDefaultBackColor = 16777215;
inline constexpr int kDefaultKeepGoing = 0;
} // namespace settings

// The choices the settings file stores, as the window's controls would show them.
struct StoredChoices {
    bool sizeConversion = false;
    QString widthText;
    QString heightText;
    QString qualityText;
    QString formatText;
    quint32 backColor = 0xFFFFFF;
    bool keepGoing = false;
};

// Where the settings file lives: $windir/quillmorph.ini when windir is set, otherwise
// quillmorph/quillmorph.ini in the user's configuration folder.
QString settingsFilePath();

// The six stored choices and keep-going, each from the profile or its default; a colour
// outside 0…16777215 reads as white.
StoredChoices readStoredChoices(const Profile& profile);

// Writes the six choices into profile, in their stored order, then keep-going: size conversion
// and keep-going as 0 or 1, the texts unchanged, the colour as a decimal number.
void writeStoredChoices(Profile& profile, const StoredChoices& choices);

// Reads the file at path, writes the choices into it and replaces it atomically. A file that
// exists but cannot be read as a settings file (a folder, too large) is left alone. Silent:
// false only tells a caller that wants to know.
bool saveStoredChoices(const QString& path, const StoredChoices& choices);

} // namespace quillmorph
