#pragma once

#include "settings/Profile.h"

#include <QString>
#include <QStringList>

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
// Then these, in this order; a file without them loads each as off (the Desktop for the folder).
inline const QString kFitMode = QStringLiteral("iFitMode"); // 0 pad, 1 fit, 2 fill
inline const QString kCrop = QStringLiteral("iCrop");       // 0 centre, 1 attention
inline const QString kNoEnlarge = QStringLiteral("iNoEnlarge");
inline const QString kKeepExif = QStringLiteral("iKeepExif");
inline const QString kKeepDates = QStringLiteral("iKeepDates");
inline const QString kOutputFolder = QStringLiteral("OutputFolder"); // empty: the Desktop
inline const QString kMaxKB = QStringLiteral("iMaxKB"); // file-size limit in KB; 0: none
// The size boxes as typed, where iWidth and iHeight, read as numbers, would lose it ("50%",
// "*"); used only while the number key still reads as this text does.
inline const QString kWidthText = QStringLiteral("WidthText");
inline const QString kHeightText = QStringLiteral("HeightText");
inline const QString kNamePattern = QStringLiteral("NamePattern"); // empty: the source's name
inline const QString kQualityByEye = QStringLiteral("iQualityByEye");
// The largest file-size limit one can set, in KB: 1 GiB.
inline constexpr int kMaxSizeLimitKB = 1024 * 1024;
inline constexpr int kDefaultSizeConv = 0;
inline constexpr int kDefaultWidth = 600;
inline constexpr int kDefaultHeight = 450;
inline constexpr int kDefaultRez = 100;
inline const QString kDefaultImageFormat = QStringLiteral("JPEG");
inline constexpr int kDefaultBackColor = 16777215;
inline constexpr int kDefaultKeepGoing = 0;
inline constexpr int kDefaultOff = 0;
} // namespace settings

// How a picture meets its box, numbered as the file stores it.
enum class StoredFit { Pad = 0, Fit = 1, Fill = 2 };
// What a fill keeps, numbered as the file stores it.
enum class StoredCrop { Centre = 0, Attention = 1 };

// The choices the settings file stores, as the window's controls would show them: the boxes'
// texts as typed, since the file writes them back unchanged.
struct StoredChoices {
    bool sizeConversion = false;
    QString widthText;
    QString heightText;
    QString qualityText;
    QString formatText;
    quint32 backColor = 0xFFFFFF;
    bool keepGoing = false;
    StoredFit fitMode = StoredFit::Pad;   // another stored number reads as pad
    StoredCrop crop = StoredCrop::Centre; // likewise as centre
    bool noEnlarge = false;
    bool keepExif = false;
    bool keepDates = false;
    QString outputFolder; // as FilePath::portableText gives it; empty: the Desktop
    int maxKB = 0;        // file-size limit, 0…settings::kMaxSizeLimitKB; 0: none
    QString namePattern;  // outputs' names (NamePattern.h); empty: the source's name
    // The quality value is a ceiling; each picture gets the lowest quality that looks the same.
    bool qualityByEye = false;

    friend bool operator==(const StoredChoices&, const StoredChoices&) = default;
};

// The six stored choices and the later keys, each from the profile or its default; a colour
// outside 0…16777215 reads as white. A name pattern that would hide the outputs or put a
// control character into their names is read as none, with a line for the user in notices.
StoredChoices readStoredChoices(const Profile& profile, QStringList* notices = nullptr);

// The line to tell the user once when the settings file at path is too large to be one: the
// program then runs on its defaults and leaves the file alone. Empty for any other file.
QString settingsFileNotice(const QString& path);

// Writes the six choices into profile, in their stored order, then keep-going and the later
// keys: switches as 0 or 1, the texts unchanged, the colour as a decimal number. A later key is
// written only when it is not at its default or the file holds it already.
void writeStoredChoices(Profile& profile, const StoredChoices& choices);

// Reads the file at path, writes the choices into it and replaces it atomically. A file that
// exists but cannot be read as a settings file (a folder, too large) is left alone. Silent:
// false only tells a caller that wants to know.
bool saveStoredChoices(const QString& path, const StoredChoices& choices);

} // namespace quillmorph
