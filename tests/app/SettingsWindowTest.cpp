#include "FileManagerActions.h"
#include "ScopedVariable.h"
#include "TestImages.h"
#include "WindowTest.h"
#include "options/Language.h"
#ifndef _WIN32
#include "ThunarActions.h"
#endif

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSessionManager>
#include <QTest>
#include <filesystem>

namespace quillmorph::test {
namespace {

const QByteArray kDefaultFile = "[V1.00202]\niSizeConv=0\niWidth=600\niHeight=450\niRez=100\n"
                                "ImageFormat=JPEG\niBackColor=16777215\niKeepGoing=0\n";

// The window loads the settings file as it is created, so each test writes the file first.
class StoredSettings : public WindowTest {
protected:
    bool createsWindowInSetUp() const override { return false; }

    void openWithFile(const QByteArray& bytes) {
        writeBytes(settingsPath(), bytes);
        openWindow();
    }
    // Closes the window as the user does; true once it has closed.
    bool closeWindow() {
        window_->show();
        if (!QTest::qWaitForWindowExposed(window_.get()))
            return false;
        // The test program has no event loop to quit; keep it from trying.
        QGuiApplication::setQuitOnLastWindowClosed(false);
        const bool closed = window_->close();
        QGuiApplication::setQuitOnLastWindowClosed(true);
        return closed && !window_->isVisible();
    }
    void expectChoices(bool sizeConversion, const char* width, const char* height,
                       const char* quality, const char* format, quint32 colour) {
        EXPECT_EQ(control<QCheckBox>("chkMode")->isChecked(), sizeConversion);
        EXPECT_EQ(control<QComboBox>("cobWidth")->currentText(), QLatin1String(width));
        EXPECT_EQ(control<QComboBox>("cobHeight")->currentText(), QLatin1String(height));
        EXPECT_EQ(control<QComboBox>("cobiQuality")->currentText(), QLatin1String(quality));
        EXPECT_EQ(control<QComboBox>("cobFormat")->currentText(), QString::fromUtf8(format));
        EXPECT_EQ(window_->backColor(), colour);
        EXPECT_FALSE(control<QAction>("keepGoing")->isChecked()); // no file here stores it
        // What a batch started now would use agrees with the controls.
        const ConversionOptions options = window_->currentOptions();
        EXPECT_EQ(options.sizeConversion, sizeConversion);
        const int w = QByteArray(width).toInt();
        const int h = QByteArray(height).toInt();
        const bool sides = w >= 1 && w <= 32767 && h >= 1 && h <= 32767;
        EXPECT_EQ(options.box, sides ? std::optional(BoxSize{w, h}) : std::nullopt);
        EXPECT_EQ(options.format.row, outputFormatFor(QString::fromUtf8(format)));
        EXPECT_EQ(options.backColor, colour);
        EXPECT_FALSE(options.keepGoing);
    }
    QColor groundAt(int x, int y) {
        window_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        return window_->grab().toImage().pixelColor(x, y);
    }
};

TEST_F(StoredSettings, NoFileGivesTheDefaultsAndLoadingWritesNothing) {
    openWindow();
    expectChoices(false, "600", "450", "100", "JPEG", 0xFFFFFF);
    EXPECT_EQ(window_->text1(), QStringLiteral("2"));
    EXPECT_EQ(groundAt(200, 10), QColor(Qt::white));
    EXPECT_FALSE(QFileInfo::exists(settingsPath()));
    EXPECT_TRUE(log_.isEmpty());
}

TEST_F(StoredSettings, AFirstCloseWritesExactlyTheEightDefaultLines) {
    openWindow();
    ASSERT_TRUE(closeWindow());
    EXPECT_EQ(readBytes(settingsPath()), kDefaultFile);
    EXPECT_TRUE(log_.isEmpty());
}

TEST_F(StoredSettings, StoredValuesFillTheControlsAndDeriveTheQualityFactor) {
    openWithFile("[V1.00202]\niSizeConv=1\niWidth=800\niHeight=-5\niRez=50\nImageFormat=PNG\n"
                 "iBackColor=65280\niFitMode=2\niCrop=1\niNoEnlarge=1\niKeepExif=1\niKeepDates=1\n"
                 "iMaxKB=300\niQualityByEye=1\n");
    expectChoices(true, "800", "-5", "50", "PNG", 0x00FF00);
    EXPECT_EQ(window_->text1(), QStringLiteral("128"));
    // The menu's stored choices reach a batch as they reach the menu.
    EXPECT_TRUE(control<QAction>("modeFill")->isChecked());
    EXPECT_TRUE(control<QAction>("cropAttention")->isChecked());
    const ConversionOptions options = window_->currentOptions();
    EXPECT_EQ(options.qualityFactor, 128);
    EXPECT_EQ(options.fitMode, FitMode::Fill);
    EXPECT_EQ(options.crop, CropAnchor::Attention);
    EXPECT_TRUE(options.noEnlarge && options.keepExif && options.keepDates);
    EXPECT_EQ(options.sizeLimitBytes, 300 * 1024);
    EXPECT_TRUE(control<QAction>("qualityByEye")->isChecked());
    EXPECT_TRUE(options.qualityByEye);
    EXPECT_EQ(groundAt(250, 60), QColor(0, 255, 0));
}

TEST_F(StoredSettings, NamesMatchWithoutRegardToCaseAndIntegersTakeTheLeadingDigits) {
    openWithFile("[v1.00202]\nISIZECONV=0\niwidth=320px\nIHeight= 240 \nirez=abc\n"
                 "imageformat=GIF\nIBACKCOLOR=255red\n");
    expectChoices(false, "320", "240", "0", "GIF", 0x0000FF);
    EXPECT_EQ(window_->text1(), QStringLiteral("254"));
}

TEST_F(StoredSettings, SizeConversionTwoTurnsItOnAndSavesBackAsOne) {
    openWithFile("[V1.00202]\niSizeConv=2\n");
    EXPECT_TRUE(control<QCheckBox>("chkMode")->isChecked());
    ASSERT_TRUE(closeWindow());
    EXPECT_TRUE(readBytes(settingsPath()).startsWith("[V1.00202]\niSizeConv=1\n"));
}

TEST_F(StoredSettings, AnUnknownFormatIsKeptAndTheNextBatchStopsWithTheFormatMessage) {
    openWithFile("[V1.00202]\nImageFormat=xxx\n");
    EXPECT_EQ(control<QComboBox>("cobFormat")->currentText(), QStringLiteral("xxx"));
    const QStringList sources = makeSources({"a.png"});
    ASSERT_TRUE(dropFiles(window_.get(), QPoint(200, 10), sources).moveAccepted);
    ASSERT_TRUE(waitForBatch());
    EXPECT_EQ(log_, QStringList({QStringLiteral("画像形式の選択エラーです [xxx]")}));
    EXPECT_TRUE(outputEntries().isEmpty());
    ASSERT_TRUE(closeWindow());
    EXPECT_TRUE(readBytes(settingsPath()).contains("\nImageFormat=xxx\n"));
}

TEST_F(StoredSettings, TheFormatTextEndsAtAStoredNul) {
    openWithFile(QByteArray("[V1.00202]\nImageFormat=PNG\0BMP\n", 31));
    EXPECT_EQ(control<QComboBox>("cobFormat")->currentText(), QStringLiteral("PNG"));
}

TEST_F(StoredSettings, ColourTwoHundredFiftyFivePaintsTheWindowRedButNotTheLabels) {
    openWithFile("[V1.00202]\niBackColor=255\n");
    EXPECT_EQ(window_->backColor(), 0x0000FFu);
    EXPECT_EQ(window_->currentOptions().backColor, 0x0000FFu);
    EXPECT_EQ(groundAt(200, 10), QColor(255, 0, 0));
    EXPECT_EQ(groundAt(250, 60), QColor(255, 0, 0));
    for (const char* name : {"lbl01", "lbl02", "lbl03", "lbl04", "lbl05", "lbl06"}) {
        auto* label = control<QLabel>(name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(label->palette().color(QPalette::Window), QColor(Qt::white)) << name;
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::black)) << name;
        EXPECT_EQ(label->grab().toImage().pixelColor(0, 0), QColor(Qt::white)) << name;
    }
    auto* check = control<QCheckBox>("chkMode");
    EXPECT_EQ(check->grab().toImage().pixelColor(check->width() - 2, check->height() / 2),
              QColor(Qt::white));
}

class StoredColourOutOfRange : public StoredSettings,
                               public ::testing::WithParamInterface<const char*> {};

TEST_P(StoredColourOutOfRange, ReadsAsWhite) {
    openWithFile(QByteArray("[V1.00202]\niBackColor=") + GetParam() + "\n");
    EXPECT_EQ(window_->backColor(), 0xFFFFFFu);
    EXPECT_EQ(groundAt(200, 10), QColor(Qt::white));
    ASSERT_TRUE(closeWindow());
    EXPECT_TRUE(readBytes(settingsPath()).contains("\niBackColor=16777215\n"));
    EXPECT_TRUE(log_.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Values, StoredColourOutOfRange,
                         ::testing::Values("16777216", "-1", "-16777215", "4294967295"));

TEST_F(StoredSettings, AGarbageFileGivesTheDefaultsWithoutAMessage) {
    QByteArray garbage("\x89PNG\r\n\x1a\n");
    garbage += QByteArray(3, '\0');
    garbage += "\rIHDR\xff\xfe[V1.00202\n=\n==\n[]\n\xc3(";
    for (int i = 0; i < 2000; ++i)
        garbage += char((i * 131 + 7) % 256);
    openWithFile(garbage);
    expectChoices(false, "600", "450", "100", "JPEG", 0xFFFFFF);
    EXPECT_EQ(window_->text1(), QStringLiteral("2"));
    ASSERT_TRUE(closeWindow());
    EXPECT_TRUE(log_.isEmpty());
}

TEST_F(StoredSettings, ASettingsPathThatIsAFolderGivesDefaultsAndIsLeftAlone) {
    ASSERT_TRUE(QDir().mkpath(settingsPath()));
    openWindow();
    expectChoices(false, "600", "450", "100", "JPEG", 0xFFFFFF);
    ASSERT_TRUE(closeWindow());
    EXPECT_TRUE(QFileInfo(settingsPath()).isDir());
    EXPECT_TRUE(log_.isEmpty());
}

TEST_F(StoredSettings, ClosingKeepsOtherSectionsCommentsAndLinesInPlace) {
    openWithFile("; written by hand\r\n[Other]\r\nx=1\r\n\r\n[v1.00202]\r\niwidth = 800\r\n"
                 "; keep me\r\nunrelated=yes\r\n[Later]\r\ny=2\r\n");
    ASSERT_TRUE(closeWindow());
    EXPECT_EQ(readBytes(settingsPath()),
              QByteArray("; written by hand\r\n[Other]\r\nx=1\r\n\r\n[v1.00202]\r\niwidth =800\r\n"
                         "; keep me\r\nunrelated=yes\r\niSizeConv=0\r\niHeight=450\r\n"
                         "iRez=100\r\nImageFormat=JPEG\r\niBackColor=16777215\r\niKeepGoing=0\r\n"
                         "[Later]\r\ny=2\r\n"))
        << readBytes(settingsPath()).toStdString();
}

TEST_F(StoredSettings, ClosingWritesWhatTheControlsHoldWithTheTextsUnchanged) {
    openWithFile(kDefaultFile);
    nextColour_ = QColor(0x12, 0x34, 0x56);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    control<QCheckBox>("chkMode")->setChecked(true);
    ASSERT_TRUE(focusForTyping(control<QComboBox>("cobWidth")));
    control<QComboBox>("cobWidth")->lineEdit()->selectAll();
    QTest::keyClicks(control<QComboBox>("cobWidth")->lineEdit(), QStringLiteral("12a"));
    control<QComboBox>("cobHeight")->setEditText(QStringLiteral(" 7 "));
    control<QComboBox>("cobiQuality")->setEditText(QString());
    control<QComboBox>("cobFormat")->setEditText(QStringLiteral("画像"));
    ASSERT_TRUE(closeWindow());
    EXPECT_EQ(readBytes(settingsPath()),
              QString::fromUtf8("[V1.00202]\niSizeConv=1\niWidth=12a\niHeight= 7 \niRez=\n"
                                "ImageFormat=画像\niBackColor=5649426\niKeepGoing=0\n")
                  .toUtf8());
    EXPECT_TRUE(log_.isEmpty());
}

// A logoff or shutdown asks the session to save (on Windows, Qt's answer to WM_QUERYENDSESSION)
// and may never close the window: the controls are saved then, and the window stays.
TEST_F(StoredSettings, TheSessionsRequestToSaveWritesWhatTheControlsHold) {
    openWindow();
    control<QCheckBox>("chkMode")->setChecked(true);
    control<QComboBox>("cobWidth")->setEditText(QStringLiteral("800"));
    auto* session = qApp->findChild<QSessionManager*>();
    ASSERT_NE(session, nullptr);
    Q_EMIT qGuiApp->commitDataRequest(*session);
    EXPECT_EQ(readBytes(settingsPath()),
              QByteArray(kDefaultFile).replace("iSizeConv=0", "iSizeConv=1").replace("600", "800"));
    EXPECT_TRUE(log_.isEmpty());
}

TEST_F(StoredSettings, OnlyTheFreeSurfaceOpensTheMenuWhoseKeepGoingIsStored) {
    openWithFile("[V1.00202]\niKeepGoing=1\n");
    auto* menu = control<QMenu>("surfaceMenu");
    auto* keepGoing = control<QAction>("keepGoing");
    EXPECT_TRUE(keepGoing->isChecked());
    EXPECT_TRUE(window_->currentOptions().keepGoing);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    // Right-clicks as the platform delivers them; a box's own edit menu is closed again.
    const auto rightClick = [](QWidget* target, const QPoint& pos) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, target->mapToGlobal(pos));
        QApplication::sendEvent(target, &event);
    };
    for (const char* name : {"Command1", "Command2", "chkMode", "cobWidth", "cobFormat"}) {
        rightClick(control<QWidget>(name), QPoint(5, 5));
        EXPECT_FALSE(menu->isVisible()) << name;
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }
    rightClick(control<QLabel>("lbl03"), QPoint(5, 5));
    EXPECT_TRUE(menu->isVisible());
    menu->close();
    rightClick(window_.get(), QPoint(200, 10));
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(keepGoing->text(), QStringLiteral("エラーがあっても続ける"));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(keepGoing).center());
    EXPECT_FALSE(window_->currentOptions().keepGoing);
    ASSERT_TRUE(closeWindow());
    EXPECT_TRUE(readBytes(settingsPath()).startsWith("[V1.00202]\niKeepGoing=0\n"));
}

// From the keyboard the menu opens wherever the focus is, in a box too: Shift+F10, and the menu
// key as X11 delivers it (a keyboard context menu event to the focused control).
TEST_F(StoredSettings, ShiftF10AndTheMenuKeyOpenTheSurfaceMenu) {
    openWithFile(kDefaultFile);
    auto* menu = control<QMenu>("surfaceMenu");
    auto* format = control<QComboBox>("cobFormat");
    ASSERT_TRUE(focusForTyping(format));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_TRUE(menu->isVisible());
    menu->close();
    // Where X11 sends it: the focus widget (a box, which hands it straight to its line edit), or
    // a button, which leaves it to the window.
    for (QWidget* focused :
         {static_cast<QWidget*>(format), static_cast<QWidget*>(format->lineEdit()),
          control<QWidget>("Command1")}) {
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(2, 2),
                                  focused->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(focused, &menuKey);
        EXPECT_TRUE(menu->isVisible()) << focused->objectName().toStdString();
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }
}

TEST_F(StoredSettings, TheMenusSaveToItemPutsTheBatchesInTheChosenFolderByItsBytes) {
    openWithFile(kDefaultFile);
    // Latin-1 "café", as unpacked from an old archive: not UTF-8.
    const FilePath chosen = FilePath(root_.path()).child(QByteArray("caf\xe9"));
    ASSERT_TRUE(std::filesystem::create_directory(chosen.native().toStdString()));
    nextFolder_ = chosen;
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    auto* menu = control<QMenu>("surfaceMenu");
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(200, 10),
                                 window_->mapToGlobal(QPoint(200, 10)));
    QApplication::sendEvent(window_.get(), &rightClick);
    ASSERT_TRUE(menu->isVisible());
    auto* saveTo = control<QAction>("chooseOutputFolder");
    EXPECT_EQ(saveTo->text(), QStringLiteral("保存先…"));
    EXPECT_FALSE(control<QAction>("outputToDesktop")->isEnabled());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(saveTo).center());
    EXPECT_EQ(folderOffered_, FilePath(desktop_));
    EXPECT_EQ(control<QAction>("outputPlace")->text(), chosen.display());
    EXPECT_TRUE(control<QAction>("outputToDesktop")->isEnabled());

    const QStringList sources = makeSources({"a.png"});
    ASSERT_TRUE(dropFiles(window_.get(), QPoint(200, 10), sources).moveAccepted);
    ASSERT_TRUE(waitForBatch());
    EXPECT_TRUE(outputFolders().isEmpty()); // nothing on the Desktop
    const auto made = std::filesystem::directory_iterator(chosen.native().toStdString());
    ASSERT_NE(made, std::filesystem::directory_iterator());
    const std::filesystem::path batch = made->path();
    EXPECT_TRUE(std::filesystem::exists(batch / "a.jpg")) << batch;

    // Gone by the next drop: the batch ends with the folder message, and nothing is made.
    std::filesystem::remove_all(chosen.native().toStdString());
    log_.clear();
    ASSERT_TRUE(dropFiles(window_.get(), QPoint(200, 10), sources).moveAccepted);
    ASSERT_TRUE(waitForBatch());
    ASSERT_EQ(log_.size(), 1);
    EXPECT_TRUE(log_[0].startsWith(QStringLiteral("出力フォルダを作成できませんでした。\n") +
                                   chosen.display() + QStringLiteral("/pic")))
        << log_[0].toStdString();
    EXPECT_FALSE(std::filesystem::exists(chosen.native().toStdString()));

    ASSERT_TRUE(closeWindow());
    EXPECT_TRUE(readBytes(settingsPath())
                    .contains("\nOutputFolder=" + QFile::encodeName(root_.path()) + "/caf%E9\n"));
}

TEST_F(StoredSettings, TheMenusFitModeReachesTheBatchesAndIsStored) {
    openWithFile(kDefaultFile);
    EXPECT_FALSE(control<QAction>("cropAttention")->isEnabled()); // only a fill crops
    control<QAction>("modeFill")->trigger();
    control<QAction>("cropAttention")->trigger();
    EXPECT_EQ(window_->currentOptions().fitMode, FitMode::Fill);
    EXPECT_EQ(window_->currentOptions().crop, CropAnchor::Attention);
    control<QAction>("modeFit")->trigger();
    EXPECT_EQ(window_->currentOptions().fitMode, FitMode::Fit);
    ASSERT_TRUE(closeWindow());
    EXPECT_TRUE(readBytes(settingsPath()).contains("\niFitMode=1\niCrop=1\n"));
}

// A preset shows its choices in the controls at once; the window's choices saved as a preset
// go to a section of their own, leaving the window's keys as they were.
TEST_F(StoredSettings, PresetsShowInTheControlsAndAreStoredApart) {
    openWithFile(kDefaultFile);
    control<QAction>("preset:wallpaper")->trigger();
    EXPECT_TRUE(control<QCheckBox>("chkMode")->isChecked());
    EXPECT_EQ(control<QComboBox>("cobWidth")->currentText(), QStringLiteral("1920"));
    EXPECT_EQ(control<QComboBox>("cobHeight")->currentText(), QStringLiteral("1080"));
    EXPECT_EQ(control<QComboBox>("cobiQuality")->currentText(), QStringLiteral("95"));
    EXPECT_TRUE(control<QAction>("modeFill")->isChecked() && control<QAction>("noEnlarge")->isChecked());
    EXPECT_EQ(window_->currentOptions().box, (BoxSize{1920, 1080}));
    // The outputs carry the preset's name while the controls show its choices, as --preset's do.
    EXPECT_EQ(window_->currentOptions().presetName, QStringLiteral("wallpaper"));

    // A pattern that would hide the outputs or put a control character in their names is
    // refused under the field, and the pattern stays as it was.
    const struct {
        QString text;
        QString note;
    } refused[] = {
        {QStringLiteral(".{name}"), QStringLiteral("「.」で始まる名前は隠しファイルになるため使えません。")},
        {QStringLiteral("a\x01{n}"), QStringLiteral("改行や制御文字は名前に使えません。")},
        {QStringLiteral("{nam}"), QStringLiteral("使えない部分があります: {nam}")},
    };
    for (const auto& [text, note] : refused) {
        nextText_ = text;
        control<QAction>("chooseNamePattern")->trigger();
        EXPECT_EQ(log_.takeLast(), note);
        EXPECT_EQ(control<QAction>("namePattern")->text(), QStringLiteral("元のファイル名"));
    }
    nextText_ = QStringLiteral("shop_{n}");
    control<QAction>("chooseNamePattern")->trigger();
    EXPECT_EQ(log_.takeLast(), QStringLiteral("例: shop_007.jpg"));
    // Under the question, every field of a pattern with what it stands for, in the words a
    // Japanese desktop's translation gives them.
    {
        QObject translations;
        installTranslations(translations, {QStringLiteral("ja")});
        control<QAction>("chooseNamePattern")->trigger();
        log_.takeLast();
    }
    EXPECT_EQ(textPrompt_, QStringLiteral("出力ファイル名のパターン（空欄で元のファイル名）:\n"
                                          "{name} 元の名前　{n} バッチ内の番号　{w} 幅　{h} 高さ\n"
                                          "{date} 撮影日 (YYYYMMDD)　{preset} プリセット名"));
    EXPECT_EQ(window_->currentOptions().presetName, QString());
    EXPECT_EQ(control<QAction>("namePattern")->text(), QStringLiteral("shop_{n}"));
    nextText_ = QStringLiteral("お店");
    control<QAction>("savePreset")->trigger();
    EXPECT_EQ(readBytes(settingsPath()),
              kDefaultFile + "[Presets]\nお店=size=1;width=1920;height=1080;mode=2;crop=0;noenlarge=1;"
                             "format=JPEG;quality=95;maxkb=0;exif=0;dates=0;name=shop_{n}\n");
    Q_EMIT control<QMenu>("presetMenu")->aboutToShow(); // read again from the file
    EXPECT_TRUE(window_->findChild<QAction*>(QStringLiteral("preset:お店")));
    window_->findChild<QAction*>(QStringLiteral("preset:お店"))->trigger();
    EXPECT_EQ(window_->currentOptions().presetName, QStringLiteral("お店"));
    ASSERT_TRUE(closeWindow());
    EXPECT_TRUE(readBytes(settingsPath()).startsWith("[V1.00202]\niSizeConv=1\niWidth=1920\n"));
}

// The user's presets by name: the longest name is taken, a rename leaves no old preset behind,
// a name with '&' shows as typed, and a preset with photo information on applies it.
TEST_F(StoredSettings, UserPresetsAreRenamedAndAppliedWholly) {
    openWithFile(kDefaultFile + "[Presets]\nPhoto & co=format=PNG;exif=1;dates=1\n");
    QAction* photo = control<QAction>("preset:Photo & co");
    EXPECT_EQ(photo->text(), QStringLiteral("Photo && co"));
    photo->trigger();
    EXPECT_TRUE(window_->currentOptions().keepExif && window_->currentOptions().keepDates);
    EXPECT_TRUE(control<QAction>("keepExif")->isChecked());
    // Opening the menu again over an unchanged file keeps its items as they were laid out.
    const QPointer<QAction> laidOut(photo);
    Q_EMIT control<QMenu>("presetMenu")->aboutToShow();
    EXPECT_TRUE(laidOut); // a rebuilt menu would have deleted it

    const QString longest(kMaxPresetName, QChar(0x3042));
    nextText_ = longest;
    control<QAction>("savePreset")->trigger();
    EXPECT_EQ(log_.takeLast(), QString()); // no complaint under the field
    Q_EMIT control<QMenu>("presetMenu")->aboutToShow();
    ASSERT_TRUE(window_->findChild<QAction*>(QStringLiteral("preset:") + longest));

    nextText_ = QStringLiteral("Photos");
    control<QMenu>("renamePreset")->actions().at(0)->trigger();
    const std::vector<Preset> after = userPresets(Profile::fromFile(settingsPath()));
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0].name, longest);
    EXPECT_EQ(after[1].name, QStringLiteral("Photos"));
    EXPECT_TRUE(after[1].choices.keepExif);
    Q_EMIT control<QMenu>("presetMenu")->aboutToShow();
    EXPECT_FALSE(window_->findChild<QAction*>(QStringLiteral("preset:Photo & co")));
    EXPECT_TRUE(window_->findChild<QAction*>(QStringLiteral("preset:Photos")));
    nextText_ = longest + QLatin1Char('x');
    control<QAction>("savePreset")->trigger();
    EXPECT_EQ(log_.takeLast(), QStringLiteral("名前は 64 文字までです。"));
}

// The menu's item adds the file manager's actions and takes them away; while they are there,
// a preset saved from the window reaches them at once.
TEST_F(StoredSettings, TheMenusFileManagerItemAddsTheActionsWhichFollowTheSavedPresets) {
    const ScopedVariable configHome("XDG_CONFIG_HOME", root_.filePath(QStringLiteral("config")));
    openWithFile(kDefaultFile);
    QAction* item = control<QAction>("fileManagerActions");
    Q_EMIT control<QMenu>("surfaceMenu")->aboutToShow();
    ASSERT_FALSE(item->isChecked());
    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_TRUE(fileManagerActionsInstalled());
    EXPECT_TRUE(log_.takeLast().contains(QStringLiteral("「quillmorph で変換」を加えました")));

    nextText_ = QStringLiteral("店舗用");
    control<QAction>("savePreset")->trigger();
    const FileManagerMenu menu = currentFileManagerMenu();
    ASSERT_EQ(menu.presets.back().first, QStringLiteral("店舗用"));
#ifndef _WIN32
    EXPECT_TRUE(readBytes(thunarActionsPath()).contains("--preset '店舗用' %F"));
#endif

    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(fileManagerActionsInstalled());
}

// What the file cannot give is said once, over the window: a pattern that would hide the
// outputs is left out, and a file too large to be a settings file is never written.
TEST_F(StoredSettings, WhatTheFileCannotGiveIsToldOnce) {
    openWithFile(kDefaultFile + "NamePattern=.{name}\n");
    EXPECT_TRUE(log_.isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(log_, QStringList{QStringLiteral(
                        "<warning>設定ファイルの出力ファイル名のパターン「.{name}」は"
                        "使えないため、元のファイル名で保存します。")});
    EXPECT_EQ(window_->currentOptions().namePattern, NamePattern());
    ASSERT_TRUE(closeWindow());
    window_.reset();
    log_.clear();

    QByteArray huge = kDefaultFile + "[Presets]\n";
    while (huge.size() <= Profile::kMaxBytes)
        huge += "p" + QByteArray::number(huge.size()) + "=format=PNG\n";
    openWithFile(huge);
    QCoreApplication::processEvents();
    ASSERT_EQ(log_.size(), 1);
    EXPECT_TRUE(
        log_[0].contains(QStringLiteral("は大きすぎて読めないため、既定の設定で動きます。")))
        << log_[0].toStdString();
    expectChoices(false, "600", "450", "100", "JPEG", 0xFFFFFF);
    ASSERT_TRUE(closeWindow());
    EXPECT_EQ(readBytes(settingsPath()), huge);
}

TEST_F(StoredSettings, TheMenusSizeLimitReachesTheBatchesAndIsStored) {
    openWithFile(kDefaultFile);
    auto* choose = control<QAction>("chooseSizeLimit");
    EXPECT_EQ(choose->text(), QStringLiteral("ファイルサイズの上限…（JPEG, PNG, GIF, CMP, WEBP, AVIF, JXL）"));
    EXPECT_EQ(control<QAction>("sizeLimit")->text(), QStringLiteral("上限なし"));
    nextSizeLimit_ = 250;
    choose->trigger();
    EXPECT_EQ(control<QAction>("sizeLimit")->text(), QStringLiteral("250 KB まで"));
    EXPECT_EQ(window_->currentOptions().sizeLimitBytes, 250 * 1024);
    ASSERT_TRUE(closeWindow());
    EXPECT_TRUE(readBytes(settingsPath()).contains("\niMaxKB=250\n"));
}

} // namespace
} // namespace quillmorph::test
