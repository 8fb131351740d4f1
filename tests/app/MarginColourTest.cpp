#include "TestImages.h"
#include "WindowTest.h"
#include "options/MarginColour.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

namespace quillmorph::test {
namespace {

struct ComplementCase {
    quint32 colour;
    quint32 text;
};

void PrintTo(const ComplementCase& c, std::ostream* os) {
    *os << std::hex << c.colour << " -> " << c.text;
}

class Complement : public ::testing::TestWithParam<ComplementCase> {};

TEST_P(Complement, TurnsEveryChannelAround) {
    EXPECT_EQ(complementColour(GetParam().colour), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Colours, Complement,
                         ::testing::Values(ComplementCase{0x0000FF, 0xFFFF00}, // red → cyan
                                           ComplementCase{0xFFFFFF, 0x000000}, // white → black
                                           ComplementCase{0x000000, 0xFFFFFF}, // black → white
                                           ComplementCase{0x808080, 0x7F7F7F}, // grey 128 → 127
                                           ComplementCase{0x123456, 0xEDCBA9}));

TEST(MarginColourValues, ConvertBetweenQColorAndBgr) {
    EXPECT_EQ(colourFromBgr(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(colourFromBgr(0x563412), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(bgrFromColour(QColor(0x12, 0x34, 0x56)), 0x563412u);
    EXPECT_EQ(bgrFromColour(QColor(0, 255, 0, 10)), 0x00FF00u);
}

class MarginColour : public WindowTest {
protected:
    QStringList labelNames() const {
        return {"lbl01", "lbl02", "lbl03", "lbl04", "lbl05", "lbl06"};
    }
    void clickColourButton() {
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    }
};

TEST_F(MarginColour, APickColoursTheWindowAndLabelsWithReadableText) {
    const QPalette comboBefore = control<QComboBox>("cobWidth")->palette();
    const QPalette buttonBefore = control<QPushButton>("Command1")->palette();
    nextColour_ = QColor(255, 0, 0);
    clickColourButton();
    EXPECT_EQ(colourRequests_, 1);
    EXPECT_EQ(colourOffered_, QColor(Qt::white));

    EXPECT_EQ(window_->backColor(), 0x0000FFu);
    EXPECT_EQ(window_->currentOptions().backColor, 0x0000FFu);
    const QImage shot = window_->grab().toImage();
    EXPECT_EQ(shot.pixelColor(200, 10), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(250, 60), QColor(255, 0, 0));
    for (const QString& name : labelNames()) {
        auto* label = window_->findChild<QLabel*>(name);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->palette().color(QPalette::Window), QColor(255, 0, 0))
            << name.toStdString();
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 255, 255))
            << name.toStdString();
        EXPECT_EQ(label->grab().toImage().pixelColor(0, 0), QColor(255, 0, 0))
            << name.toStdString();
    }
    auto* check = control<QCheckBox>("chkMode");
    EXPECT_EQ(check->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(check->grab().toImage().pixelColor(check->width() - 2, check->height() / 2),
              QColor(Qt::white));
    EXPECT_EQ(control<QComboBox>("cobWidth")->palette(), comboBefore);
    EXPECT_EQ(control<QPushButton>("Command1")->palette(), buttonBefore);
}

TEST_F(MarginColour, MidGreyGetsTextOfOneStepDarker) {
    nextColour_ = QColor(128, 128, 128);
    clickColourButton();
    auto* label = control<QLabel>("lbl03");
    EXPECT_EQ(label->palette().color(QPalette::Window), QColor(128, 128, 128));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(127, 127, 127));
}

TEST_F(MarginColour, CaptionsKeepBlackInkOnWhiteUnderADarkScheme) {
    const QPalette light = QApplication::palette();
    const auto restore = qScopeGuard([&light] { QApplication::setPalette(light); });
    QPalette dark = light;
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Window, QColor(0x22, 0x20, 0x20));
    QApplication::setPalette(dark);
    // Loaded under the scheme, as on a dark desktop.
    window_.reset();
    openWindow();
    const QStringList captions = labelNames() << QStringLiteral("chkMode");
    for (const QString& name : captions) {
        const auto* caption = window_->findChild<QWidget*>(name);
        ASSERT_NE(caption, nullptr) << name.toStdString();
        const QPalette palette = caption->palette();
        EXPECT_EQ(palette.color(QPalette::WindowText), QColor(Qt::black)) << name.toStdString();
        EXPECT_EQ(palette.color(QPalette::Window), QColor(Qt::white)) << name.toStdString();
    }
}

TEST_F(MarginColour, CancellingChangesNothing) {
    nextColour_ = QColor(0, 0, 255);
    clickColourButton();
    ASSERT_EQ(window_->backColor(), 0xFF0000u);
    const QPalette labelBefore = control<QLabel>("lbl01")->palette();

    nextColour_.reset();
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    EXPECT_EQ(colourRequests_, 2);
    EXPECT_EQ(colourOffered_, QColor(0, 0, 255));
    EXPECT_EQ(window_->backColor(), 0xFF0000u);
    EXPECT_EQ(window_->currentOptions().backColor, 0xFF0000u);
    EXPECT_EQ(control<QLabel>("lbl01")->palette(), labelBefore);
    EXPECT_EQ(window_->grab().toImage().pixelColor(200, 10), QColor(0, 0, 255));
}

TEST_F(MarginColour, TheNextConversionUsesTheNewColourForItsMargins) {
    nextColour_ = QColor(0, 128, 0);
    clickColourButton();
    control<QCheckBox>("chkMode")->setChecked(true);
    control<QComboBox>("cobWidth")->setEditText(QStringLiteral("60"));
    control<QComboBox>("cobHeight")->setEditText(QStringLiteral("30"));
    control<QComboBox>("cobFormat")->setEditText(QStringLiteral("PNG"));
    const QStringList sources = makeSources({QStringLiteral("square.png")}, 30, 30);
    ASSERT_TRUE(dropFiles(window_.get(), QPoint(200, 10), sources).moveAccepted);
    ASSERT_TRUE(waitForBatch());
    const vips::VImage out = readImage(outputPath(QStringLiteral("square.png")));
    ASSERT_EQ(out.width(), 60);
    ASSERT_EQ(out.height(), 30);
    EXPECT_EQ(pixelAt(out, 3, 15), (Rgb{0, 128, 0}));
    EXPECT_EQ(pixelAt(out, 56, 15), (Rgb{0, 128, 0}));
    EXPECT_EQ(pixelAt(out, 30, 15), (Rgb{200, 40, 40}));
}

} // namespace
} // namespace quillmorph::test
