#include "WindowTest.h"
#include "options/Language.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>
#include <QTranslator>

namespace quillmorph::test {
namespace {

struct Placement {
    const char* name;
    const char* kind;
    QRect pixels; // twips / 15
};

void PrintTo(const Placement& p, std::ostream* os) {
    *os << p.name;
}

class ControlPlacement : public WindowTest, public ::testing::WithParamInterface<Placement> {};

TEST_P(ControlPlacement, SitsAtItsDrawnPositionAndSize) {
    const Placement& p = GetParam();
    auto* widget = control<QWidget>(p.name);
    ASSERT_NE(widget, nullptr) << p.name;
    EXPECT_TRUE(widget->inherits(p.kind))
        << p.name << " is a " << widget->metaObject()->className();
    EXPECT_EQ(widget->parentWidget(), window_.get());
    EXPECT_EQ(widget->geometry(), p.pixels) << p.name;

    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    EXPECT_TRUE(widget->isVisible());
    window_->resize(640, 480);
    QCoreApplication::processEvents();
    EXPECT_EQ(widget->geometry(), p.pixels) << p.name << " moved when the window grew";
}

INSTANTIATE_TEST_SUITE_P(Window, ControlPlacement,
                         ::testing::Values(Placement{"chkMode", "QCheckBox", {20, 4, 111, 15}},
                                           Placement{"lbl01", "QLabel", {34, 24, 23, 15}},
                                           Placement{"cobWidth", "QComboBox", {64, 22, 67, 20}},
                                           Placement{"lbl05", "QLabel", {137, 24, 33, 15}},
                                           Placement{"Command1", "QPushButton", {176, 22, 81, 25}},
                                           Placement{"lbl02", "QLabel", {32, 46, 27, 15}},
                                           Placement{"cobHeight", "QComboBox", {64, 44, 67, 20}},
                                           Placement{"lbl06", "QLabel", {137, 46, 31, 15}},
                                           Placement{"lbl03", "QLabel", {16, 66, 43, 15}},
                                           Placement{"cobiQuality", "QComboBox", {80, 64, 51, 20}},
                                           Placement{"lbl04", "QLabel", {6, 90, 54, 12}},
                                           Placement{"cobFormat", "QComboBox", {64, 86, 67, 20}},
                                           Placement{"Command2", "QPushButton", {166, 92, 91, 17}}),
                         [](const auto& info) { return std::string(info.param.name); });

struct Caption {
    const char* name;
    QString text;
    bool english = false; // the window made with the English translation installed
};

void PrintTo(const Caption& c, std::ostream* os) {
    *os << c.name;
}

// The window made while the English translation is installed, which goes again at the end.
class EnglishWindow : public WindowTest {
protected:
    void SetUp() override {
        if (wantsEnglish()) {
            ASSERT_TRUE(loadEnglish(english_));
            ASSERT_TRUE(QCoreApplication::installTranslator(&english_));
        }
        WindowTest::SetUp();
    }
    void TearDown() override {
        WindowTest::TearDown();
        QCoreApplication::removeTranslator(&english_);
    }
    virtual bool wantsEnglish() const { return true; }

    QTranslator english_;
};

class ControlCaption : public EnglishWindow, public ::testing::WithParamInterface<Caption> {
    bool wantsEnglish() const override { return GetParam().english; }
};

// Renders text alone, unclipped, and returns the columns and rows its ink covers.
QRect inkOf(const QImage& image, const QColor& background) {
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - background.red()) + std::abs(c.green() - background.green()) +
                    std::abs(c.blue() - background.blue()) >
                60)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

TEST_P(ControlCaption, IsExactAndFullyReadable) {
    const Caption& c = GetParam();
    auto* widget = control<QWidget>(c.name);
    ASSERT_NE(widget, nullptr);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        EXPECT_EQ(label->text(), c.text);
        // The caption as it shows in the label must have as much ink as the same text drawn
        // with room to spare: nothing cut at an edge.
        QImage free(200, 60, QImage::Format_RGB32);
        free.fill(Qt::white);
        {
            QPainter p(&free);
            p.setFont(label->font());
            p.setPen(Qt::black);
            p.drawText(QRect(0, 0, 200, 60), Qt::AlignCenter, c.text);
        }
        const QRect whole = inkOf(free, Qt::white);
        const QRect shown = inkOf(label->grab().toImage(), Qt::white);
        ASSERT_FALSE(whole.isEmpty());
        EXPECT_NEAR(shown.width(), whole.width(), 1) << c.name << " is cut left or right";
        EXPECT_NEAR(shown.height(), whole.height(), 1) << c.name << " is cut top or bottom";
        return;
    }
    auto* button = qobject_cast<QAbstractButton*>(widget);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), c.text);
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const bool isCheckBox = qobject_cast<QCheckBox*>(button) != nullptr;
    const QRect room = button->style()->subElementRect(
        isCheckBox ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &option, button);
    const QFontMetrics metrics(button->font());
    const QRect ink = metrics.tightBoundingRect(c.text);
    EXPECT_LE(metrics.horizontalAdvance(c.text), room.width()) << c.name;
    EXPECT_LE(ink.height(), room.height()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Window, ControlCaption,
                         ::testing::Values(Caption{"chkMode", QStringLiteral("サイズ変換")},
                                           Caption{"lbl01", QStringLiteral("幅：")},
                                           Caption{"lbl02", QStringLiteral("高さ：")},
                                           Caption{"lbl03", QStringLiteral("解像度：")},
                                           Caption{"lbl04", QStringLiteral("画像形式：")},
                                           Caption{"lbl05", QStringLiteral("pixels")},
                                           Caption{"lbl06", QStringLiteral("pixels")},
                                           Caption{"Command1", QStringLiteral("余白色変更")},
                                           Caption{"Command2", QStringLiteral("ホームページ")}),
                         [](const auto& info) { return std::string(info.param.name); });

// Concise enough for the boxes the Japanese was drawn for; a longer name label grows leftwards.
INSTANTIATE_TEST_SUITE_P(English, ControlCaption,
                         ::testing::Values(Caption{"chkMode", QStringLiteral("Resize"), true},
                                           Caption{"lbl01", QStringLiteral("Width:"), true},
                                           Caption{"lbl02", QStringLiteral("Height:"), true},
                                           Caption{"lbl03", QStringLiteral("Quality:"), true},
                                           Caption{"lbl04", QStringLiteral("Format:"), true},
                                           Caption{"lbl05", QStringLiteral("pixels"), true},
                                           Caption{"Command1", QStringLiteral("Margin colour"),
                                                   true},
                                           Caption{"Command2", QStringLiteral("Home page"), true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EnglishWindow, KeepsItsNameFormatsAndTheLabelsRightEdges) {
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("quillmorph（縮小マシン）"));
    EXPECT_EQ(control<QComboBox>("cobFormat")->itemText(1), QStringLiteral("JPEG"));
    EXPECT_EQ(control<QAction>("keepGoing")->text(), QStringLiteral("Keep going after errors"));
    for (const auto& [name, right] : {std::pair{"lbl01", 56}, std::pair{"lbl02", 58},
                                      std::pair{"lbl03", 58}, std::pair{"lbl04", 59}}) {
        const QRect place = control<QLabel>(name)->geometry();
        EXPECT_EQ(place.right(), right) << name;
        EXPECT_GE(place.left(), 0) << name;
    }
}

struct ListContents {
    const char* name;
    QStringList items;
};

void PrintTo(const ListContents& l, std::ostream* os) {
    *os << l.name;
}

class ControlList : public WindowTest, public ::testing::WithParamInterface<ListContents> {};

TEST_P(ControlList, HoldsExactlyItsItemsInOrderAndTakesAnyText) {
    const ListContents& l = GetParam();
    auto* box = control<QComboBox>(l.name);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isEditable());
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    EXPECT_EQ(items, l.items);

    // Typed text is kept as typed (no completion from the list) and never joins the list.
    ASSERT_TRUE(focusForTyping(box));
    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), QStringLiteral("1"));
    EXPECT_EQ(box->currentText(), QStringLiteral("1"));
    QTest::keyClicks(box->lineEdit(), QStringLiteral("x y"));
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(box->currentText(), QStringLiteral("1x y"));
    EXPECT_EQ(box->count(), l.items.size());
}

INSTANTIATE_TEST_SUITE_P(
    Window, ControlList,
    ::testing::Values(
        ListContents{"cobFormat", {"BMP", "JPEG", "PNG", "GIF", "PSD", "CMP", "PCT", "RAS", "WEBP", "AVIF", "JXL", "TIFF"}},
        ListContents{"cobWidth", {"640", "600", "512", "160", "128", "120", "100", "40"}},
        ListContents{"cobHeight", {"480", "450", "384", "120", "96", "90", "75", "30"}},
        ListContents{"cobiQuality", {"100", "88", "72", "64", "50", "40", "24", "16", "8", "2"}}),
    [](const auto& info) { return std::string(info.param.name); });

using WindowFrame = WindowTest;

TEST_F(WindowFrame, HasItsCaptionClientSizeWhiteGroundAndIcon) {
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("quillmorph（縮小マシン）"));
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    EXPECT_EQ(window_->size(), QSize(263, 114));
    const QImage shot = window_->grab().toImage();
    EXPECT_EQ(shot.pixelColor(200, 10), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(250, 60), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(3, 3), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(128, 11), QColor(Qt::white))
        << "inside chkMode, right of its caption";
    EXPECT_EQ(shot.pixelColor(35, 25), QColor(Qt::white)) << "inside lbl01, left of its caption";
    EXPECT_TRUE(window_->windowIcon().availableSizes().contains(QSize(32, 32)));
}

TEST_F(WindowFrame, ShowsOnlyItsThirteenControlsAndKeepsHiddenStateOutOfWidgets) {
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    QStringList shown;
    for (QWidget* child : window_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisible())
            shown << child->objectName();
    }
    shown.sort();
    EXPECT_EQ(shown,
              QStringList({"Command1", "Command2", "chkMode", "cobFormat", "cobHeight", "cobWidth",
                           "cobiQuality", "lbl01", "lbl02", "lbl03", "lbl04", "lbl05", "lbl06"}));
    for (const char* hidden : {"Text1", "LEAD1", "LEAD_work"})
        EXPECT_EQ(window_->findChild<QWidget*>(QLatin1String(hidden)), nullptr) << hidden;
    auto* progress = control<QProgressBar>("batchProgress");
    ASSERT_NE(progress, nullptr);
    EXPECT_FALSE(progress->isVisible());
}

TEST_F(WindowFrame, StartsWithTheDefaultChoices) {
    EXPECT_FALSE(control<QCheckBox>("chkMode")->isChecked());
    EXPECT_EQ(control<QComboBox>("cobWidth")->currentText(), QStringLiteral("600"));
    EXPECT_EQ(control<QComboBox>("cobHeight")->currentText(), QStringLiteral("450"));
    EXPECT_EQ(control<QComboBox>("cobiQuality")->currentText(), QStringLiteral("100"));
    EXPECT_EQ(control<QComboBox>("cobFormat")->currentText(), QStringLiteral("JPEG"));
    EXPECT_EQ(window_->text1(), QStringLiteral("2"));
    EXPECT_EQ(window_->backColor(), 0xFFFFFFu);
    const ConversionOptions options = window_->currentOptions();
    EXPECT_FALSE(options.sizeConversion);
    EXPECT_EQ(options.box, (BoxSize{600, 450}));
    EXPECT_EQ(options.format.row, outputFormatFor(FormatCode::Jpeg));
    EXPECT_EQ(options.qualityFactor, 2);
    EXPECT_EQ(options.backColor, 0xFFFFFFu);
}

TEST_F(WindowFrame, FocusStartsInTheFormatBoxAndTabVisitsTheControlsInOrder) {
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    auto* format = control<QComboBox>("cobFormat");
    EXPECT_TRUE(format->hasFocus());

    const QStringList expected{"cobWidth", "cobHeight", "Command1",  "cobiQuality",
                               "Command2", "chkMode",   "cobFormat", "cobWidth"};
    QStringList visited;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        while (focus && focus->parentWidget() != window_.get())
            focus = focus->parentWidget();
        visited << (focus ? focus->objectName() : QStringLiteral("<none>"));
    }
    EXPECT_EQ(visited, expected);
}

} // namespace
} // namespace quillmorph::test
