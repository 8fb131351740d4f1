#include "TestImages.h"
#include "WindowTest.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTest>

namespace quillmorph::test {
namespace {

// Sets an environment variable for the life of the object.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QString& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), saved_(qgetenv(name)) {
        qputenv(name, QFile::encodeName(value));
    }
    ~ScopedVariable() {
        if (had_)
            qputenv(name_, saved_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray saved_;
};

class StartUp : public WindowTest {
protected:
    bool createsWindowInSetUp() const override { return false; }
    void atFile(int index, std::function<void()> fn) {
        QObject::connect(window_.get(), &frmMain::batchFileStarting, window_.get(),
                         [index, fn](int i, int) {
                             if (i == index)
                                 fn();
                         });
    }
};

TEST_F(StartUp, LoadingCreatesAMissingDesktopFolder) {
    ASSERT_FALSE(QFileInfo::exists(desktop_));
    openWindow();
    EXPECT_TRUE(QFileInfo(desktop_).isDir());
    EXPECT_EQ(window_->desktopPath(), desktop_);
}

TEST_F(StartUp, WithoutAGivenFolderTheAccountsDesktopIsUsed) {
    const QString home = root_.filePath(QStringLiteral("home"));
    const ScopedVariable homeVariable("HOME", home);
    const ScopedVariable config("XDG_CONFIG_HOME", home + QStringLiteral("/.config"));
    {
        frmMain window(WindowStart{}, recordingDialogs());
        EXPECT_EQ(window.desktopPath(), home + QStringLiteral("/Desktop"));
        EXPECT_TRUE(QFileInfo(home + QStringLiteral("/Desktop")).isDir());
    }
    // The folder the desktop names as its Desktop, in the account's own language.
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/.config")));
    writeBytes(home + QStringLiteral("/.config/user-dirs.dirs"),
               "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    frmMain window(WindowStart{}, recordingDialogs());
    EXPECT_EQ(window.desktopPath(), home + QStringLiteral("/Schreibtisch"));
    EXPECT_TRUE(QFileInfo(home + QStringLiteral("/Schreibtisch")).isDir());
    EXPECT_TRUE(log_.isEmpty());
}

TEST_F(StartUp, FilesGivenAtStartAreConvertedAsOneDrop) {
    WindowStart start;
    start.files = makeSources({"a.png", "b.png"});
    openWindow(start);
    EXPECT_TRUE(window_->isBatchRunning());
    ASSERT_TRUE(waitForBatch());
    EXPECT_EQ(log_, QStringList({"<beep>", " 2ファイルを変換終了しました。"}));
    EXPECT_EQ(outputEntries(), QStringList({"a.jpg", "b.jpg"}));
}

TEST_F(StartUp, ClosingDuringABatchSavesOnceWithTheFinalValues) {
    openWindow();
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    QGuiApplication::setQuitOnLastWindowClosed(false);
    bool closedAtOnce = true;
    bool savedAtRequest = true;
    atFile(1, [&] {
        closedAtOnce = window_->close();
        savedAtRequest = QFileInfo::exists(settingsPath());
        control<QComboBox>("cobWidth")->setEditText(QStringLiteral("321"));
    });
    ASSERT_TRUE(dropFiles(window_.get(), QPoint(200, 10), makeSources({"a.png", "b.png", "c.png"}))
                    .moveAccepted);
    ASSERT_TRUE(waitForBatch());
    QGuiApplication::setQuitOnLastWindowClosed(true);
    EXPECT_FALSE(closedAtOnce);
    EXPECT_FALSE(savedAtRequest);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(readBytes(settingsPath()),
              QByteArray("[V1.00202]\niSizeConv=0\niWidth=321\niHeight=450\niRez=100\n"
                         "ImageFormat=JPEG\niBackColor=16777215\n"));
    EXPECT_EQ(outputEntries(), QStringList({"a.jpg"}));
}

} // namespace
} // namespace quillmorph::test
