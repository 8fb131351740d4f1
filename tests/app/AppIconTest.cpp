#include "AppIcon.h"

#include <QDir>
#include <gtest/gtest.h>

namespace quillmorph::test {
namespace {

// Pixels in the region whose colour is within tolerance of colour (opaque only).
int countNear(const QImage& image, const QRect& region, const QColor& colour, int tolerance = 40) {
    int n = 0;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() == 255 && std::abs(c.red() - colour.red()) < tolerance &&
                std::abs(c.green() - colour.green()) < tolerance &&
                std::abs(c.blue() - colour.blue()) < tolerance)
                ++n;
        }
    }
    return n;
}

// The largest difference of any channel, alpha included, between two images of one size.
int largestDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    int largest = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int column = 0; column < x.width(); ++column) {
            const QRgb p = x.pixel(column, row);
            const QRgb q = y.pixel(column, row);
            largest =
                std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    return largest;
}

TEST(AppIcon, ShowsAFramedTreeAnArrowAndASmallerCopy) {
    const QImage icon = drawAppIcon(32);
    ASSERT_EQ(icon.size(), QSize(32, 32));
    ASSERT_TRUE(icon.hasAlphaChannel());
    const QColor green(0x2e, 0xa0, 0x3a);
    const QColor brown(0x8b, 0x4a, 0x16);
    const QColor red(0xe0, 0x1b, 0x1b);
    const QRect big(0, 0, 22, 20);
    const QRect small(17, 20, 15, 12);
    const QRect arrow(21, 3, 11, 17);

    const int bigLeaves = countNear(icon, big, green);
    const int smallLeaves = countNear(icon, small, green);
    EXPECT_GT(bigLeaves, 30);
    EXPECT_GT(smallLeaves, 10);
    EXPECT_LT(smallLeaves, bigLeaves) << "the copy is the smaller picture";
    EXPECT_GT(countNear(icon, big, brown), 5) << "the big tree has a trunk";
    EXPECT_GT(countNear(icon, small, brown), 2) << "the small tree has a trunk";
    EXPECT_GT(countNear(icon, arrow, red), 20);
    EXPECT_EQ(countNear(icon, big, red) + countNear(icon, small, red), 0)
        << "the arrow runs between the pictures";
    // The arrow bends down: its head is below its start.
    EXPECT_GT(countNear(icon, QRect(21, 5, 5, 3), red), 3);
    EXPECT_GT(countNear(icon, QRect(25, 15, 5, 4), red), 5);
    EXPECT_EQ(icon.pixelColor(31, 0).alpha(), 0);
    EXPECT_EQ(icon.pixelColor(0, 31).alpha(), 0);
}

TEST(AppIcon, OffersTheSizesTitleAndTaskBarsUse) {
    const QList<QSize> sizes = appIcon().availableSizes();
    for (const int side : {16, 32, 48})
        EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
}

TEST(AppIcon, TheThemeFilesOfTheBuildAreTheIconAtTheirSizes) {
    for (const int side : {16, 32, 48, 64, 128, 256}) {
        const QString path = QDir(QStringLiteral(QUILLMORPH_ICON_THEME))
                                 .filePath(QStringLiteral("%1x%1/apps/quillmorph.png").arg(side));
        const QImage file(path);
        ASSERT_EQ(file.size(), QSize(side, side)) << path.toStdString();
        EXPECT_TRUE(file.hasAlphaChannel()) << side;
        EXPECT_EQ(largestDifference(file, drawAppIcon(side)), 0) << side;
    }
}

// docs/quillmorph.png was saved once from drawAppIcon(96) (quillmorph_render_icons DIR 96);
// redraw it whenever the icon changes.
TEST(AppIcon, TheHomePagePictureIsTheIcon) {
    const QImage picture(QStringLiteral(QUILLMORPH_DOCS "/quillmorph.png"));
    ASSERT_EQ(picture.size(), QSize(96, 96));
    // Antialiasing may round a shade differently on another processor.
    EXPECT_LE(largestDifference(picture, drawAppIcon(96)), 2);
}

} // namespace
} // namespace quillmorph::test
