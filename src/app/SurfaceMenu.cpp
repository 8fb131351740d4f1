#include "SurfaceMenu.h"

#include "engine/SizeLimit.h"
#include "files/NamePattern.h"
#include "files/PatternFields.h"

#include <QAction>
#include <QActionGroup>

namespace quillmorph {

namespace {

// A long folder path keeps its beginning and its end, the parts that tell folders apart.
constexpr int kPlaceChars = 60;

QString shortened(const QString& path) {
    if (path.size() <= kPlaceChars)
        return path;
    const int half = kPlaceChars / 2;
    return path.left(half - 1) + QStringLiteral("…") + path.right(half);
}

} // namespace

SurfaceMenu::SurfaceMenu(const UserDialogs& dialogs, QWidget* window)
    : QMenu(window), dialogs_(dialogs), window_(window) {
    setObjectName(QStringLiteral("surfaceMenu"));
    keepGoing_ = addCheckable(this, tr("エラーがあっても続ける"), "keepGoing");
    addFitModes();
    noEnlarge_ = addCheckable(this, tr("拡大しない"), "noEnlarge");
    keepExif_ = addCheckable(this, tr("撮影情報を残す（位置情報は削除）"), "keepExif");
    keepDates_ = addCheckable(this, tr("元のファイルの日時を保つ"), "keepDates");
    addSeparator();
    addOutputPlace();
    addSeparator();
    addSizeLimit();
    qualityByEye_ = addCheckable(this, tr("画質を自動で決める（見た目そのまま）"), "qualityByEye");
    addSeparator();
    addNamePattern();
}

QAction* SurfaceMenu::addCheckable(QMenu* menu, const QString& text, const char* name) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setCheckable(true);
    connect(action, &QAction::toggled, this, &SurfaceMenu::changed);
    return action;
}

void SurfaceMenu::addFitModes() {
    QMenu* modes = addMenu(tr("サイズの合わせ方"));
    modes->setObjectName(QStringLiteral("fitModeMenu"));
    auto* group = new QActionGroup(modes);
    pad_ = addCheckable(modes, tr("余白を付けて枠に合わせる"), "modePad");
    fit_ = addCheckable(modes, tr("枠の中に収める（余白なし）"), "modeFit");
    fill_ = addCheckable(modes, tr("枠いっぱいに切り抜く"), "modeFill");
    for (QAction* mode : {pad_, fit_, fill_})
        group->addAction(mode);
    pad_->setChecked(true);
    modes->addSeparator();
    attention_ = addCheckable(modes, tr("切り抜きは主な被写体に合わせる"), "cropAttention");
    // Only a fill crops; the choice is kept for when it is chosen again.
    attention_->setEnabled(false);
    connect(fill_, &QAction::toggled, attention_, &QAction::setEnabled);
}

void SurfaceMenu::addOutputPlace() {
    QAction* choose = addAction(tr("保存先…"));
    choose->setObjectName(QStringLiteral("chooseOutputFolder"));
    connect(choose, &QAction::triggered, this, &SurfaceMenu::chooseFolder);
    place_ = addAction(QString());
    place_->setObjectName(QStringLiteral("outputPlace"));
    place_->setEnabled(false);
    desktopOn_ = addAction(tr("デスクトップに戻す"));
    desktopOn_->setObjectName(QStringLiteral("outputToDesktop"));
    connect(desktopOn_, &QAction::triggered, this, [this] { setFolder({}); });
    setFolder({});
}

void SurfaceMenu::addSizeLimit() {
    // The formats whose quality (or PNG's palette) can bring a file under a size.
    QStringList formats;
    for (const OutputFormat& format : outputFormats()) {
        if (sizeLimitApplies(format))
            formats << QLatin1String(format.name);
    }
    QAction* choose =
        addAction(tr("ファイルサイズの上限…（%1）").arg(formats.join(QStringLiteral(", "))));
    choose->setObjectName(QStringLiteral("chooseSizeLimit"));
    connect(choose, &QAction::triggered, this, &SurfaceMenu::chooseSizeLimit);
    sizeLimitShown_ = addAction(QString());
    sizeLimitShown_->setObjectName(QStringLiteral("sizeLimit"));
    sizeLimitShown_->setEnabled(false);
    setSizeLimit(0);
}

void SurfaceMenu::chooseSizeLimit() {
    if (const std::optional<int> kb =
            dialogs_.chooseSizeLimit(window_, sizeLimitKB_, settings::kMaxSizeLimitKB))
        setSizeLimit(*kb);
}

void SurfaceMenu::setSizeLimit(int kb) {
    sizeLimitKB_ = kb;
    sizeLimitShown_->setText(kb > 0 ? tr("%1 KB まで").arg(kb) : tr("上限なし"));
    Q_EMIT changed();
}

void SurfaceMenu::addNamePattern() {
    QAction* choose = addAction(tr("出力ファイル名…"));
    choose->setObjectName(QStringLiteral("chooseNamePattern"));
    connect(choose, &QAction::triggered, this, &SurfaceMenu::chooseNamePattern);
    namePatternShown_ = addAction(QString());
    namePatternShown_->setObjectName(QStringLiteral("namePattern"));
    namePatternShown_->setEnabled(false);
    setNamePattern({});
}

namespace {

// What a pattern makes of a photo, for the user to see while typing it.
TextCheck patternExample(const QString& text) {
    QString bad;
    NamePattern::Fault fault = NamePattern::Fault::Part;
    const auto pattern = NamePattern::parse(text, &bad, &fault);
    if (!pattern && fault == NamePattern::Fault::Hidden)
        return {false, SurfaceMenu::tr("「.」で始まる名前は隠しファイルになるため使えません。")};
    if (!pattern && fault == NamePattern::Fault::Control)
        return {false, SurfaceMenu::tr("改行や制御文字は名前に使えません。")};
    if (!pattern)
        return {false, SurfaceMenu::tr("使えない部分があります: %1").arg(bad)};
    const NameFields sample{"IMG_0042", 7, 120, 1280, 960, "20260314", QStringLiteral("mail")};
    return {true, SurfaceMenu::tr("例: %1").arg(QString::fromUtf8(pattern->expand(sample)) +
                                                QStringLiteral(".jpg"))};
}

// The fields as two lines under the prompt; the second begins after the picture's size.
QString patternPrompt() {
    constexpr qsizetype kOnFirstLine = 4;
    const QStringList fields = describedPatternFields();
    //: between two fields of the name pattern's help line
    const QString gap = SurfaceMenu::tr("　");
    return SurfaceMenu::tr("出力ファイル名のパターン（空欄で元のファイル名）:") +
           QLatin1Char('\n') + fields.mid(0, kOnFirstLine).join(gap) + QLatin1Char('\n') +
           fields.mid(kOnFirstLine).join(gap);
}

} // namespace

void SurfaceMenu::chooseNamePattern() {
    const QString prompt = patternPrompt();
    if (const auto chosen = dialogs_.askText(window_, prompt, namePattern_, patternExample);
        chosen && NamePattern::parse(*chosen))
        setNamePattern(*chosen);
}

void SurfaceMenu::setNamePattern(const QString& pattern) {
    namePattern_ = pattern;
    namePatternShown_->setText(pattern.isEmpty() ? tr("元のファイル名") : pattern);
    Q_EMIT changed();
}

void SurfaceMenu::setDesktop(const FilePath& desktop) {
    desktop_ = desktop;
    setFolder(folder_);
}

void SurfaceMenu::chooseFolder() {
    const FilePath start = folder_.isEmpty() ? desktop_ : folder_;
    if (const std::optional<FilePath> chosen = dialogs_.chooseFolder(window_, start))
        setFolder(*chosen);
}

void SurfaceMenu::setFolder(const FilePath& folder) {
    folder_ = folder;
    const FilePath& shown = folder_.isEmpty() ? desktop_ : folder_;
    place_->setText(shortened(shown.display()));
    place_->setToolTip(shown.display());
    desktopOn_->setEnabled(!folder_.isEmpty());
    Q_EMIT changed();
}

void SurfaceMenu::load(const StoredChoices& stored) {
    keepGoing_->setChecked(stored.keepGoing);
    (stored.fitMode == StoredFit::Fit    ? fit_
     : stored.fitMode == StoredFit::Fill ? fill_
                                         : pad_)
        ->setChecked(true);
    attention_->setChecked(stored.crop == StoredCrop::Attention);
    noEnlarge_->setChecked(stored.noEnlarge);
    keepExif_->setChecked(stored.keepExif);
    keepDates_->setChecked(stored.keepDates);
    setFolder(FilePath::fromPortableText(stored.outputFolder));
    setSizeLimit(stored.maxKB);
    setNamePattern(stored.namePattern);
    qualityByEye_->setChecked(stored.qualityByEye);
}

void SurfaceMenu::save(StoredChoices& choices) const {
    choices.keepGoing = keepGoing_->isChecked();
    choices.fitMode = fit_->isChecked()    ? StoredFit::Fit
                      : fill_->isChecked() ? StoredFit::Fill
                                           : StoredFit::Pad;
    choices.crop = attention_->isChecked() ? StoredCrop::Attention : StoredCrop::Centre;
    choices.noEnlarge = noEnlarge_->isChecked();
    choices.keepExif = keepExif_->isChecked();
    choices.keepDates = keepDates_->isChecked();
    choices.outputFolder = folder_.portableText();
    choices.maxKB = sizeLimitKB_;
    choices.namePattern = namePattern_;
    choices.qualityByEye = qualityByEye_->isChecked();
}

} // namespace quillmorph
