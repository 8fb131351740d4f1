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
inline constexpr int kDefaultSizeConv = 0;
inline constexpr int kDefaultWidth = 600;
inline constexpr int kDefaultHeight = 450;
inline constexpr int kDefaultRez = 100;
inline const QString kDefaultImageFormat = QStringLiteral("JPEG");
inline constexpr int kDefaultBackColor = 16777215;
} // namespace settings

// The choices the settings file stores, as the window's controls would show them.
struct StoredChoices {
    bool sizeConversion = false;
    QString widthText;
    QString heightText;
    QString qualityText;
    QString formatText;
    quint32 backColor = 0xFFFFFF;
};

// Where the settings file lives: $windir/quillmorph.ini when windir is set, otherwise
// quillmorph/quillmorph.ini in the user's configuration folder.
QString settingsFilePath();

// The six stored choices, each from the profile or its default; a colour outside
// 0…16777215 reads as white.
StoredChoices readStoredChoices(const Profile& profile);

} // namespace quillmorph
