#include "frmMain.h"

#include "AppIcon.h"
#include "HandOffGathering.h"
#include "PresetMenu.h"
#include "SingleInstance.h"
#include "SurfaceMenu.h"
#include "SurfaceNote.h"
#include "WindowBatches.h"
#include "WindowFont.h"
#include "WindowTips.h"
#include "engine/OutputFormat.h"
#include "frontend/OptionsFromChoices.h"
#include "frontend/Places.h"
#include "options/HomePage.h"
#include "options/MarginColour.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace quillmorph {

namespace {

// Positions and sizes are kept in twips, 15 to the pixel, as the window was drawn.
QRect fromTwips(int left, int top, int width, int height) {
    return QRect(qRound(left / 15.0), qRound(top / 15.0), qRound(width / 15.0),
                 qRound(height / 15.0));
}

// At this size the longest captions still fit the boxes the layout gives them with a CJK
// face, whose full-width glyphs are a whole em wide.
constexpr int kFontPixels = 10;

// The captions were laid out in black ink on white, their colours on every desktop: a dark
// scheme's light text would vanish on their white ground. Only a picked margin recolours the
// labels.
constexpr Qt::GlobalColor kCaptionGround = Qt::white;
constexpr Qt::GlobalColor kCaptionInk = Qt::black;

void colourCaption(QWidget* caption, const QColor& ground, const QColor& ink) {
    QPalette palette = caption->palette();
    palette.setColor(QPalette::Window, ground);
    palette.setColor(QPalette::WindowText, ink);
    caption->setPalette(palette);
}

} // namespace

frmMain::frmMain(WindowStart start, UserDialogs dialogs, QWidget* parent)
    : QWidget(parent), start_(std::move(start)), dialogs_(std::move(dialogs)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("quillmorph（縮小マシン）"));
    setWindowIcon(appIcon());
    QFont font;
    font.setFamilies(windowFontFamilies());
    font.setPixelSize(kFontPixels);
    setFont(font);
    setAcceptDrops(true);
    resize(263, 114);

    createControls();
    addWindowTips(this);
    note_ = new SurfaceNote(this);
    batches_ = new WindowBatches(this, progress_, note_, dialogs_, options_);
    connectControls();
    Form_Load();
}

frmMain::~frmMain() {
    batches_->stopAndWait();
}

bool frmMain::isBatchRunning() const {
    return batches_->isRunning() || gathering_->isGathering();
}

void frmMain::createControls() {
    const auto makeLabel = [this](const char* name, const char* source, const QRect& rect,
                                  Qt::Alignment alignment) {
        const QString caption = tr(source);
        auto* label = new QLabel(caption, this);
        label->setObjectName(QLatin1String(name));
        const int advance = label->fontMetrics().horizontalAdvance(caption);
        QRect place = rect;
        if (advance > rect.width()) {
            // A name label sits flush against its box. A translation longer than the Japanese
            // the layout was drawn for grows its label leftwards into the free margin. Where
            // the Japanese itself is wider, its trailing full-width colon, inked only in the
            // middle of its em, is what may overhang, so it starts at the left edge instead
            // and the label keeps its drawn place.
            if (caption != QString::fromUtf8(source) && alignment == Qt::AlignRight)
                place.setLeft(std::max(0, rect.right() + 1 - advance));
            else
                alignment = Qt::AlignLeft;
        }
        label->setGeometry(place);
        label->setAlignment(alignment | Qt::AlignVCenter);
        label->setAutoFillBackground(true);
        colourCaption(label, kCaptionGround, kCaptionInk);
        return label;
    };
    const auto makeCombo = [this](const char* name, const QRect& rect) {
        auto* combo = new QComboBox(this);
        combo->setObjectName(QLatin1String(name));
        combo->setGeometry(rect);
        combo->setEditable(true);
        // The lists are fixed: Enter must not append what was typed, and typing must not be
        // completed from the list behind the user's back.
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCompleter(nullptr);
        // Drops are the window's business; a line edit would paste a dropped path as text.
        combo->setAcceptDrops(false);
        combo->lineEdit()->setAcceptDrops(false);
        return combo;
    };
    const auto makeButton = [this](const char* name, const QString& caption, const QRect& rect) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(rect);
        return button;
    };

    // Created in tab order, so that Tab from chkMode, the last stop, wraps to cobFormat.
    cobFormat = makeCombo("cobFormat", fromTwips(960, 1290, 1005, 300));
    cobWidth = makeCombo("cobWidth", fromTwips(960, 330, 1000, 300));
    cobHeight = makeCombo("cobHeight", fromTwips(960, 660, 1000, 300));
    Command1 = makeButton("Command1", tr("余白色変更"), fromTwips(2640, 330, 1215, 375));
    cobiQuality = makeCombo("cobiQuality", fromTwips(1200, 960, 765, 300));
    Command2 = makeButton("Command2", tr("ホームページ"), fromTwips(2490, 1380, 1365, 255));

    chkMode = new QCheckBox(tr("サイズ変換"), this);
    chkMode->setObjectName(QStringLiteral("chkMode"));
    chkMode->setGeometry(fromTwips(300, 60, 1665, 225));
    chkMode->setBackgroundRole(QPalette::Window);
    chkMode->setAutoFillBackground(true);
    colourCaption(chkMode, kCaptionGround, kCaptionInk);

    const Qt::Alignment nameAlign = Qt::AlignRight;
    lbl01 = makeLabel("lbl01", QT_TR_NOOP("幅："), fromTwips(510, 360, 345, 225), nameAlign);
    lbl02 = makeLabel("lbl02", QT_TR_NOOP("高さ："), fromTwips(480, 690, 405, 225), nameAlign);
    lbl03 = makeLabel("lbl03", QT_TR_NOOP("解像度："), fromTwips(240, 990, 645, 225), nameAlign);
    lbl04 = makeLabel("lbl04", QT_TR_NOOP("画像形式："), fromTwips(90, 1350, 810, 180), nameAlign);
    lbl05 = makeLabel("lbl05", QT_TR_NOOP("pixels"), fromTwips(2055, 360, 495, 225), Qt::AlignLeft);
    lbl06 = makeLabel("lbl06", QT_TR_NOOP("pixels"), fromTwips(2055, 690, 465, 225), Qt::AlignLeft);

    setTabOrder(cobFormat, cobWidth);
    setTabOrder(cobWidth, cobHeight);
    setTabOrder(cobHeight, Command1);
    setTabOrder(Command1, cobiQuality);
    setTabOrder(cobiQuality, Command2);
    setTabOrder(Command2, chkMode);

    // Along the bottom edge of the drawn client area, below every control.
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("batchProgress"));
    progress_->setGeometry(0, 110, 263, 4);
    progress_->setTextVisible(false);
    progress_->hide();

    surfaceMenu_ = new SurfaceMenu(dialogs_, this);
    presetMenu_ = new PresetMenu(
        dialogs_, this, [this] { return choices(); }, surfaceMenu_);
    surfaceMenu_->insertMenu(surfaceMenu_->actions().constFirst(), presetMenu_);
    surfaceMenu_->insertSeparator(surfaceMenu_->actions().at(1));
    addFileManagerItem();
    addSurfaceMenuKeys();
}

void frmMain::connectControls() {
    connect(chkMode, &QCheckBox::toggled, this, &frmMain::storeOptions);
    connect(surfaceMenu_, &SurfaceMenu::changed, this, &frmMain::menuChanged);
    // The controls show what a preset set; nothing converts until a drop.
    connect(presetMenu_, &PresetMenu::chosen, this, &frmMain::applyPreset);
    connect(presetMenu_, &PresetMenu::presetsChanged, this, &frmMain::presetsChanged);
    for (QComboBox* box : {cobWidth, cobHeight, cobFormat})
        connect(box, &QComboBox::editTextChanged, this, &frmMain::storeOptions);
    // editTextChanged also follows a pick from the list, which must recompute the factor
    // like typing does.
    connect(cobiQuality, &QComboBox::editTextChanged, this, &frmMain::cobiQuality_Change);
    connect(Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmMain::Command2_Click);
    connect(batches_, &WindowBatches::fileStarting, this, &frmMain::batchFileStarting);
    connect(batches_, &WindowBatches::finished, this, &frmMain::batchFinished);
}

void frmMain::Form_Load() {
    for (const OutputFormat& format : outputFormats())
        cobFormat->addItem(QLatin1String(format.name));
    cobWidth->addItems({QStringLiteral("640"), QStringLiteral("600"), QStringLiteral("512"),
                        QStringLiteral("160"), QStringLiteral("128"), QStringLiteral("120"),
                        QStringLiteral("100"), QStringLiteral("40")});
    cobHeight->addItems({QStringLiteral("480"), QStringLiteral("450"), QStringLiteral("384"),
                         QStringLiteral("120"), QStringLiteral("96"), QStringLiteral("90"),
                         QStringLiteral("75"), QStringLiteral("30")});
    cobiQuality->addItems({QStringLiteral("100"), QStringLiteral("88"), QStringLiteral("72"),
                           QStringLiteral("64"), QStringLiteral("50"), QStringLiteral("40"),
                           QStringLiteral("24"), QStringLiteral("16"), QStringLiteral("8"),
                           QStringLiteral("2")});
    // Filling an editable combo box selects its first item; the boxes start empty instead.
    for (QComboBox* box : {cobFormat, cobWidth, cobHeight, cobiQuality}) {
        box->setCurrentIndex(-1);
        box->setEditText(QString());
    }

    desktopPath_ = start_.desktopPath;
    if (desktopPath_.isEmpty())
        desktopPath_ = places::desktopFolder();
    // A fresh account may have no Desktop folder yet; the dated folders need their parent.
    QDir().mkpath(desktopPath_);
    surfaceMenu_->setDesktop(desktopPath_);

    LoadSettings();
    cobFormat->setFocus();
    storeOptions();

    gathering_ = new HandOffGathering(this);
    connect(gathering_, &HandOffGathering::gathered, this, &frmMain::takeHandedOverFiles);
    if (start_.instance) {
        connect(start_.instance, &SingleInstance::filesReceived, gathering_,
                &HandOffGathering::add);
    }
    // A desktop session that ends may not close the window first.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &frmMain::SaveSettings);
    gathering_->add(start_.files, start_.preset);
}

void frmMain::Form_QueryUnload() {
    SaveSettings();
}

void frmMain::Command1_Click() {
    const std::optional<QColor> chosen = dialogs_.chooseColour(this, colourFromBgr(backColor_));
    if (!chosen || !chosen->isValid())
        return;
    setBackColor(bgrFromColour(*chosen));
    const QColor background = colourFromBgr(backColor_);
    const QColor text = colourFromBgr(complementColour(backColor_));
    for (QLabel* label : {lbl01, lbl02, lbl03, lbl04, lbl05, lbl06})
        colourCaption(label, background, text);
}

void frmMain::Command2_Click() {
    const QString programs = QCoreApplication::applicationDirPath();
    const QUrl page = homePageUrl(programs);
    if (page.isEmpty()) {
        // Where an installation keeps it, for a user to look.
        const QString installed = programs + QStringLiteral("/../share/quillmorph/index.html");
        dialogs_.showBox(
            this, {tr("ホームページが見つかりませんでした。"), QDir::cleanPath(installed), false});
        return;
    }
    dialogs_.openUrl(
        this, page, tr("ホームページを開けませんでした。ブラウザーで次のページを開いてください。"));
}

void frmMain::setBackColor(quint32 bgr) {
    backColor_ = bgr & 0xFFFFFF;
    update();
    storeOptions();
}

void frmMain::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), colourFromBgr(backColor_));
    note_->paint(painter, colourFromBgr(backColor_));
}

void frmMain::endSession() {
    batches_->endSession();
    // A box still waiting for its answer would keep the program alive after the window.
    dismissOpenDialogs();
    close();
}

void frmMain::takeHandedOverFiles(const FilePaths& files, const QString& preset) {
    if (!batches_->takesFiles())
        return;
    // A preset's batch runs with its choices over the window's; the controls stay as they are.
    std::optional<ConversionOptions> fixed;
    if (!preset.isEmpty()) {
        const auto found =
            findPreset(allPresets(Profile::fromFile(places::settingsFilePath())), preset);
        if (!found) {
            dialogs_.showWarning(this, tr("プリセット「%1」が見つかりません。").arg(preset));
            return;
        }
        fixed = conversionOptions(choices(), *found);
    }
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    batches_->take(files, fixed);
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (batches_->isRunning()) {
        // The file in hand finishes first; then the window is closed again.
        batches_->closeWindowAfterBatch();
        event->ignore();
        return;
    }
    Form_QueryUnload();
    event->accept();
}

} // namespace quillmorph
