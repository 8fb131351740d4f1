#include "settings/StoredChoices.h"

#include "files/FilePath.h"
#include "files/NamePattern.h"

#include <QCoreApplication>
#include <algorithm>

namespace quillmorph {

namespace {

// A side's text as typed when the text key agrees with the number key (someone who edits
// iWidth by hand is heard); otherwise the number, as the file always gave it.
QString typedSide(const Profile& profile, const QString& numberKey, const QString& textKey,
                  int fallback) {
    const int number = profile.readInt(settings::kSection, numberKey, fallback);
    if (profile.contains(settings::kSection, textKey)) {
        Profile typed;
        typed.writeString(settings::kSection, numberKey,
                          profile.readString(settings::kSection, textKey, {}));
        if (typed.readInt(settings::kSection, numberKey, fallback) == number)
            return profile.readString(settings::kSection, textKey, {});
    }
    return QString::number(number);
}

// True for the forms the number key would lose: a percent, a side left to follow ("*" or
// nothing). Any other text reads back through the number, as it always has.
bool needsTypedText(const QString& text) {
    const QString trimmed = text.trimmed();
    return trimmed.isEmpty() || trimmed == QLatin1String("*") || trimmed.endsWith(QLatin1Char('%'));
}

// The stored pattern, or none when it would make hidden outputs or names with control
// characters; a pattern broken otherwise stays, to be shown and left out as it always was.
QString storedPattern(const Profile& profile, QStringList* notices) {
    const QString text = profile.readString(settings::kSection, settings::kNamePattern, QString());
    NamePattern::Fault fault = NamePattern::Fault::Part;
    if (NamePattern::parse(text, nullptr, &fault) || fault == NamePattern::Fault::Part)
        return text;
    if (notices)
        *notices << QCoreApplication::translate(
                        "StoredChoices",
                        "設定ファイルの出力ファイル名のパターン「%1」は使えないため、"
                        "元のファイル名で保存します。")
                        .arg(QString::fromUtf8(FilePath::fromNative(text.toUtf8()).printable()));
    return {};
}

} // namespace

QString settingsFileNotice(const QString& path) {
    if (!Profile::tooLarge(path))
        return {};
    return QCoreApplication::translate("StoredChoices",
                                       "設定ファイル %1 は大きすぎて読めないため、既定の設定で"
                                       "動きます。このファイルは書き換えません。")
        .arg(QString::fromUtf8(FilePath::fromNative(path.toUtf8()).printable()));
}

StoredChoices readStoredChoices(const Profile& profile, QStringList* notices) {
    using namespace settings;
    StoredChoices c;
    c.sizeConversion = profile.readInt(kSection, kSizeConv, kDefaultSizeConv) != 0;
    c.widthText = typedSide(profile, kWidth, kWidthText, kDefaultWidth);
    c.heightText = typedSide(profile, kHeight, kHeightText, kDefaultHeight);
    c.qualityText = QString::number(profile.readInt(kSection, kRez, kDefaultRez));
    c.formatText = profile.readString(kSection, kImageFormat, kDefaultImageFormat).left(255);
    const int colour = profile.readInt(kSection, kBackColor, kDefaultBackColor);
    c.backColor = (colour >= 0 && colour <= 0xFFFFFF) ? quint32(colour) : 0xFFFFFFu;
    c.keepGoing = profile.readInt(kSection, kKeepGoing, kDefaultKeepGoing) != 0;
    const auto choice = [&](const QString& key, int count) {
        const int value = profile.readInt(kSection, key, kDefaultOff);
        return value >= 0 && value < count ? value : kDefaultOff;
    };
    c.fitMode = StoredFit(choice(kFitMode, 3));
    c.crop = StoredCrop(choice(kCrop, 2));
    c.noEnlarge = profile.readInt(kSection, kNoEnlarge, kDefaultOff) != 0;
    c.keepExif = profile.readInt(kSection, kKeepExif, kDefaultOff) != 0;
    c.keepDates = profile.readInt(kSection, kKeepDates, kDefaultOff) != 0;
    c.outputFolder = profile.readString(kSection, kOutputFolder, QString());
    c.maxKB = std::clamp(profile.readInt(kSection, kMaxKB, kDefaultOff), 0, kMaxSizeLimitKB);
    c.namePattern = storedPattern(profile, notices);
    c.qualityByEye = profile.readInt(kSection, kQualityByEye, kDefaultOff) != 0;
    return c;
}

void writeStoredChoices(Profile& profile, const StoredChoices& choices) {
    using namespace settings;
    profile.writeString(kSection, kSizeConv,
                        choices.sizeConversion ? QStringLiteral("1") : QStringLiteral("0"));
    profile.writeString(kSection, kWidth, choices.widthText);
    profile.writeString(kSection, kHeight, choices.heightText);
    profile.writeString(kSection, kRez, choices.qualityText);
    profile.writeString(kSection, kImageFormat, choices.formatText);
    profile.writeString(kSection, kBackColor, QString::number(choices.backColor));
    const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    profile.writeString(kSection, kKeepGoing, flag(choices.keepGoing));
    // A user who never touched these finds the file as it always was.
    const auto writeLater = [&](const QString& key, const QString& value, bool isDefault) {
        if (!isDefault || profile.contains(kSection, key))
            profile.writeString(kSection, key, value);
    };
    writeLater(kFitMode, QString::number(int(choices.fitMode)), choices.fitMode == StoredFit::Pad);
    writeLater(kCrop, QString::number(int(choices.crop)), choices.crop == StoredCrop::Centre);
    writeLater(kNoEnlarge, flag(choices.noEnlarge), !choices.noEnlarge);
    writeLater(kKeepExif, flag(choices.keepExif), !choices.keepExif);
    writeLater(kKeepDates, flag(choices.keepDates), !choices.keepDates);
    writeLater(kOutputFolder, choices.outputFolder, choices.outputFolder.isEmpty());
    writeLater(kMaxKB, QString::number(choices.maxKB), choices.maxKB == 0);
    writeLater(kQualityByEye, flag(choices.qualityByEye), !choices.qualityByEye);
    writeLater(kNamePattern, choices.namePattern, choices.namePattern.isEmpty());
    writeLater(kWidthText, choices.widthText, !needsTypedText(choices.widthText));
    writeLater(kHeightText, choices.heightText, !needsTypedText(choices.heightText));
}

bool saveStoredChoices(const QString& path, const StoredChoices& choices) {
    std::optional<Profile> profile = Profile::read(path);
    if (!profile)
        return false;
    writeStoredChoices(*profile, choices);
    return profile->saveTo(path);
}

} // namespace quillmorph
