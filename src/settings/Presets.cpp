#include "settings/Presets.h"

#include "files/FilePath.h"

#include <QCoreApplication>
#include <QSet>
#include <QStringList>
#include <algorithm>

namespace quillmorph {

namespace {

struct BuiltIn {
    const char* name;
    const char* label;
    bool sizeConversion;
    const char* width;
    const char* height;
    StoredFit fit;
    StoredCrop crop;
    const char* format;
    const char* quality;
    int maxKB;
};

// Built-ins never enlarge: a preset for small outputs must not blow a small picture up.
// メール用 is as asked for; the quality of the others is what the use needs (README).
constexpr BuiltIn kBuiltIns[] = {
    {"mail", QT_TRANSLATE_NOOP("Presets", "メール用"), true, "1280", "1280", StoredFit::Fit,
     StoredCrop::Centre, "JPEG", "100", 300},
    {"blog", QT_TRANSLATE_NOOP("Presets", "ブログ用"), true, "1200", "*", StoredFit::Fit,
     StoredCrop::Centre, "JPEG", "85", 0},
    {"sns-square", QT_TRANSLATE_NOOP("Presets", "SNS 正方形"), true, "1080", "1080",
     StoredFit::Fill, StoredCrop::Attention, "JPEG", "90", 0},
    {"wallpaper", QT_TRANSLATE_NOOP("Presets", "壁紙"), true, "1920", "1080", StoredFit::Fill,
     StoredCrop::Centre, "JPEG", "95", 0},
    {"thumbnail", QT_TRANSLATE_NOOP("Presets", "サムネイル"), true, "160", "120", StoredFit::Pad,
     StoredCrop::Centre, "JPEG", "85", 0},
    {"web-webp", QT_TRANSLATE_NOOP("Presets", "Web 用 WebP"), true, "1600", "1600", StoredFit::Fit,
     StoredCrop::Centre, "WEBP", "80", 0},
};

// A preset's choices in its settings line: "key=value" pairs split by ';', the name pattern
// last so that it may hold any character.
QString encode(const StoredChoices& c) {
    const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    const auto text = [](QString t) { return t.replace(QLatin1Char(';'), QLatin1Char(' ')); };
    return QStringList{QStringLiteral("size=") + flag(c.sizeConversion),
                       QStringLiteral("width=") + text(c.widthText),
                       QStringLiteral("height=") + text(c.heightText),
                       QStringLiteral("mode=") + QString::number(int(c.fitMode)),
                       QStringLiteral("crop=") + QString::number(int(c.crop)),
                       QStringLiteral("noenlarge=") + flag(c.noEnlarge),
                       QStringLiteral("format=") + text(c.formatText),
                       QStringLiteral("quality=") + text(c.qualityText),
                       QStringLiteral("maxkb=") + QString::number(c.maxKB),
                       QStringLiteral("exif=") + flag(c.keepExif),
                       QStringLiteral("dates=") + flag(c.keepDates),
                       QStringLiteral("name=") + c.namePattern}
        .join(QLatin1Char(';'));
}

std::optional<StoredChoices> decode(const QString& line) {
    StoredChoices c;
    int seen = 0;
    qsizetype at = 0;
    while (at < line.size()) {
        const qsizetype eq = line.indexOf(QLatin1Char('='), at);
        if (eq < 0)
            return std::nullopt;
        const QString key = line.mid(at, eq - at).trimmed();
        const bool last = key == QLatin1String("name");
        const qsizetype end = last ? line.size() : line.indexOf(QLatin1Char(';'), eq);
        const QString value = line.mid(eq + 1, (end < 0 ? line.size() : end) - eq - 1);
        at = end < 0 ? line.size() : end + 1;
        const int number = value.toInt();
        ++seen;
        if (key == QLatin1String("size"))
            c.sizeConversion = number != 0;
        else if (key == QLatin1String("width"))
            c.widthText = value;
        else if (key == QLatin1String("height"))
            c.heightText = value;
        else if (key == QLatin1String("mode"))
            c.fitMode = number >= 0 && number <= 2 ? StoredFit(number) : StoredFit::Pad;
        else if (key == QLatin1String("crop"))
            c.crop = number == 1 ? StoredCrop::Attention : StoredCrop::Centre;
        else if (key == QLatin1String("noenlarge"))
            c.noEnlarge = number != 0;
        else if (key == QLatin1String("format"))
            c.formatText = value;
        else if (key == QLatin1String("quality"))
            c.qualityText = value;
        else if (key == QLatin1String("maxkb"))
            c.maxKB = std::clamp(number, 0, settings::kMaxSizeLimitKB);
        else if (key == QLatin1String("exif"))
            c.keepExif = number != 0;
        else if (key == QLatin1String("dates"))
            c.keepDates = number != 0;
        else if (last)
            c.namePattern = value;
        else
            --seen; // a key of a later version
    }
    // Without a format the line is not a preset, whatever else it holds.
    if (seen == 0 || c.formatText.isEmpty())
        return std::nullopt;
    return c;
}

QString translated(const char* text) {
    return QCoreApplication::translate("Presets", text);
}

} // namespace

std::vector<Preset> builtInPresets() {
    std::vector<Preset> presets;
    for (const BuiltIn& b : kBuiltIns) {
        StoredChoices c;
        c.sizeConversion = b.sizeConversion;
        c.widthText = QLatin1String(b.width);
        c.heightText = QLatin1String(b.height);
        c.fitMode = b.fit;
        c.crop = b.crop;
        c.noEnlarge = true;
        c.formatText = QLatin1String(b.format);
        c.qualityText = QLatin1String(b.quality);
        c.maxKB = b.maxKB;
        presets.push_back({QLatin1String(b.name), translated(b.label), true, c});
    }
    return presets;
}

std::vector<Preset> userPresets(const Profile& profile, QStringList* notices) {
    std::vector<Preset> presets;
    QSet<QString> seen;
    for (const auto& [name, value] : profile.entries(kPresetSection)) {
        const auto choices = decode(value);
        if (!choices)
            continue;
        const bool again = seen.contains(name.toCaseFolded());
        if (again || !presetNameFault(name).isEmpty()) {
            // Printed as a terminal shows a file name: a name with escapes in it must not
            // drive the terminal it is reported on.
            if (notices)
                *notices << translated(QT_TRANSLATE_NOOP(
                                           "Presets",
                                           "設定ファイルのプリセット「%1」は読み込みませんでした"
                                           "（使えない名前です）。"))
                                .arg(QString::fromUtf8(
                                    FilePath::fromNative(name.toUtf8()).printable()));
            continue;
        }
        seen.insert(name.toCaseFolded());
        presets.push_back({name, name, false, *choices});
    }
    return presets;
}

std::vector<Preset> allPresets(const Profile& profile, QStringList* notices) {
    std::vector<Preset> presets = builtInPresets();
    for (Preset& p : userPresets(profile, notices))
        presets.push_back(std::move(p));
    return presets;
}

std::optional<Preset> findPreset(const std::vector<Preset>& presets, const QString& text) {
    const QString wanted = text.trimmed();
    for (const Preset& p : presets) {
        if (p.name.compare(wanted, Qt::CaseInsensitive) == 0 ||
            p.label.compare(wanted, Qt::CaseInsensitive) == 0)
            return p;
        // A built-in answers to its Japanese label in any language, as scripts spell it.
        for (const BuiltIn& b : kBuiltIns) {
            if (p.builtIn && p.name == QLatin1String(b.name) &&
                wanted == QString::fromUtf8(b.label))
                return p;
        }
    }
    return std::nullopt;
}

StoredChoices withPreset(StoredChoices target, const Preset& preset) {
    const StoredChoices& c = preset.choices;
    target.sizeConversion = c.sizeConversion;
    target.widthText = c.widthText;
    target.heightText = c.heightText;
    target.fitMode = c.fitMode;
    target.crop = c.crop;
    target.noEnlarge = c.noEnlarge;
    target.formatText = c.formatText;
    target.qualityText = c.qualityText;
    target.maxKB = c.maxKB;
    target.keepExif = c.keepExif;
    target.keepDates = c.keepDates;
    target.namePattern = c.namePattern;
    return target;
}

namespace {

// A character a name cannot show or a file manager's file cannot hold: a line would split at
// U+2028 (Python's splitlines), a byte-order mark is stripped by readers, U+FFFF is no XML.
// Zero-width joiners stay: emoji and several scripts are written with them.
bool unfitForName(char32_t c) {
    if (QChar::isNonCharacter(c) || QChar::isSurrogate(c))
        return true;
    switch (QChar::category(c)) {
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    case QChar::Other_Format:
        return c != 0x200C && c != 0x200D;
    default:
        return false;
    }
}

} // namespace

QString presetNameFault(const QString& name) {
    if (name.trimmed().isEmpty())
        return translated(QT_TRANSLATE_NOOP("Presets", "名前を入力してください。"));
    const QList<uint> characters = name.toUcs4();
    if (characters.size() > kMaxPresetName)
        return translated(QT_TRANSLATE_NOOP("Presets", "名前は %1 文字までです。"))
            .arg(kMaxPresetName);
    const bool control = std::any_of(characters.begin(), characters.end(), [](uint c) {
        return QChar::category(char32_t(c)) == QChar::Other_Control;
    });
    // A key of the settings file ends at '='; a line starting with '[' or ';' is no key.
    if (control || name.contains(QLatin1Char('=')) || name.startsWith(QLatin1Char('[')) ||
        name.startsWith(QLatin1Char(';')))
        return translated(
            QT_TRANSLATE_NOOP("Presets", "名前に「=」、先頭の「[」「;」や制御文字は使えません。"));
    // toUcs4 reads half a surrogate pair as U+FFFD; the text itself tells.
    if (!name.isValidUtf16())
        return translated(QT_TRANSLATE_NOOP("Presets", "名前に使えない文字があります (U+%1)。"))
            .arg(QStringLiteral("FFFD"));
    const auto unfit = std::find_if(characters.begin(), characters.end(),
                                    [](uint c) { return unfitForName(char32_t(c)); });
    if (unfit != characters.end())
        return translated(QT_TRANSLATE_NOOP("Presets", "名前に使えない文字があります (U+%1)。"))
            .arg(QString::number(*unfit, 16).toUpper().rightJustified(4, QLatin1Char('0')));
    return {};
}

QString presetNameProblem(const std::vector<Preset>& presets, const QString& rawName,
                          const QString& replacing) {
    const QString name = rawName.trimmed();
    if (const QString fault = presetNameFault(name); !fault.isEmpty())
        return fault;
    if (const auto taken = findPreset(presets, name)) {
        if (taken->builtIn)
            return translated(
                       QT_TRANSLATE_NOOP("Presets", "「%1」は組み込みのプリセットの名前です。"))
                .arg(name);
        if (taken->name.compare(replacing, Qt::CaseInsensitive) != 0)
            return translated(QT_TRANSLATE_NOOP("Presets",
                                                "「%1」という名前のプリセットがすでにあります。"))
                .arg(name);
    }
    return {};
}

void storePreset(Profile& profile, const QString& name, const StoredChoices& choices) {
    profile.writeString(kPresetSection, name.trimmed(), encode(choices));
}

void removePreset(Profile& profile, const QString& name) {
    profile.remove(kPresetSection, name.trimmed());
}

} // namespace quillmorph
