#include "TestImages.h"
#include "WindowTest.h"
#include "options/HomePage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace quillmorph::test {
namespace {

TEST(HomePage, IsFoundBesideTheProgramOrInItsSharedFolder) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString bin = root.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    EXPECT_TRUE(homePageUrl(bin).isEmpty());

    const QString shared = root.filePath(QStringLiteral("share/quillmorph/index.html"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(shared).path()));
    writeBytes(shared, "<html></html>");
    EXPECT_EQ(homePageUrl(bin), QUrl::fromLocalFile(QFileInfo(shared).canonicalFilePath()));

    const QString beside = root.filePath(QStringLiteral("bin/docs/index.html"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(beside).path()));
    writeBytes(beside, "<html></html>");
    EXPECT_EQ(homePageUrl(bin), QUrl::fromLocalFile(QFileInfo(beside).canonicalFilePath()));
}

using HomePageButton = WindowTest;

TEST_F(HomePageButton, OpensThePageShippedBesideTheProgram) {
    const QString page =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("docs/index.html"));
    ASSERT_TRUE(QFileInfo(page).isFile()) << "the build puts the page beside the test program";
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
    EXPECT_EQ(openedUrls_, QList<QUrl>({QUrl::fromLocalFile(QFileInfo(page).canonicalFilePath())}));
    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
    EXPECT_EQ(openedUrls_.size(), 2) << "every click opens the page again";
    EXPECT_TRUE(log_.isEmpty());
}

} // namespace
} // namespace quillmorph::test
