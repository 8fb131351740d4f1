#include "TestImages.h"
#include "WindowTest.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <cstdio>
#include <unistd.h>

namespace quillmorph::test {
namespace {

struct DropSpot {
    const char* name; // the control under the drop, or "frmMain" for the free surface
    bool lineEdit;    // deliver to the combo box's edit field, where the pointer would be
    QPoint pos;       // in the receiver's coordinates; null for its centre
    bool converts;
};

void PrintTo(const DropSpot& s, std::ostream* os) {
    *os << s.name << (s.lineEdit ? " edit field" : "") << " at " << s.pos.x() << "," << s.pos.y();
}

class DropOnSpot : public WindowTest, public ::testing::WithParamInterface<DropSpot> {
protected:
    QWidget* receiver() const {
        const DropSpot& s = GetParam();
        if (QLatin1String(s.name) == QLatin1String("frmMain"))
            return window_.get();
        auto* widget = control<QWidget>(s.name);
        if (s.lineEdit)
            return qobject_cast<QComboBox*>(widget)->lineEdit();
        return widget;
    }
    QPoint spot() const {
        return GetParam().pos.isNull() ? receiver()->rect().center() : GetParam().pos;
    }
};

TEST_P(DropOnSpot, StartsOneBatchOnlyWhereFilesAreWelcome) {
    const DropSpot& s = GetParam();
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    const QStringList sources = makeSources({QStringLiteral("one.png"), QStringLiteral("two.png")});
    QStringList textsBefore;
    for (auto* box : window_->findChildren<QComboBox*>())
        textsBefore << box->currentText();

    const DropOutcome outcome = dropFiles(receiver(), spot(), sources);
    EXPECT_TRUE(outcome.enterAccepted);
    EXPECT_EQ(outcome.moveAccepted, s.converts) << "the drag must show where a drop is refused";
    EXPECT_EQ(window_->isBatchRunning(), s.converts);
    ASSERT_TRUE(waitForBatch());

    QStringList textsAfter;
    for (auto* box : window_->findChildren<QComboBox*>())
        textsAfter << box->currentText();
    EXPECT_EQ(textsAfter, textsBefore) << "a drop never inserts text";
    if (s.converts) {
        EXPECT_EQ(log_, QStringList({QStringLiteral("<beep>"),
                                     QStringLiteral(" 2ファイルを変換終了しました。")}));
        EXPECT_EQ(outputFolders().size(), 1);
        EXPECT_EQ(outputEntries(),
                  QStringList({QStringLiteral("one.jpg"), QStringLiteral("two.jpg")}));
    } else {
        EXPECT_TRUE(log_.isEmpty()) << log_.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(outputFolders().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Window, DropOnSpot,
    ::testing::Values(
        DropSpot{"frmMain", false, QPoint(200, 10), true},
        DropSpot{"frmMain", false, QPoint(250, 60), true}, DropSpot{"lbl03", false, QPoint(), true},
        DropSpot{"cobWidth", true, QPoint(), true},
        DropSpot{"cobWidth", false, QPoint(60, 10), true}, // on the arrow
        DropSpot{"cobHeight", true, QPoint(), true}, DropSpot{"cobiQuality", true, QPoint(), false},
        DropSpot{"cobiQuality", false, QPoint(45, 10), false},
        DropSpot{"cobFormat", true, QPoint(), false}, DropSpot{"Command1", false, QPoint(), false},
        DropSpot{"Command2", false, QPoint(), false}, DropSpot{"chkMode", false, QPoint(), false},
        DropSpot{"chkMode", false, QPoint(5, 7), false}),
    [](const auto& info) {
        return std::string(info.param.name) + (info.param.lineEdit ? "_edit" : "") + "_" +
               std::to_string(info.index);
    });

using Drop = WindowTest;

TEST_F(Drop, WithoutLocalFilesIsRefused) {
    QMimeData text;
    text.setText(QStringLiteral("/tmp/not-a-drop.png"));
    EXPECT_FALSE(dropOn(window_.get(), QPoint(200, 10), text).enterAccepted);

    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.org/picture.png"))});
    EXPECT_FALSE(
        dropOn(control<QComboBox>("cobWidth")->lineEdit(), QPoint(5, 5), web).enterAccepted);

    EXPECT_FALSE(window_->isBatchRunning());
    QCoreApplication::processEvents();
    EXPECT_TRUE(outputFolders().isEmpty());
    EXPECT_TRUE(log_.isEmpty());
}

TEST_F(Drop, ConvertsExactlyTheDroppedFiles) {
    makeSources({QStringLiteral("left-alone.png")});
    QDir(sources_).mkdir(QStringLiteral("sub"));
    const QStringList sources = makeSources(
        {QStringLiteral("a.png"), QStringLiteral("sub/b.png"), QStringLiteral("c.d.png")});
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : sources)
        urls << QUrl::fromLocalFile(path);
    urls.insert(1, QUrl(QStringLiteral("https://example.org/skipped.png")));
    data.setUrls(urls);
    ASSERT_TRUE(dropOn(window_.get(), QPoint(200, 10), data).moveAccepted);
    ASSERT_TRUE(waitForBatch());
    EXPECT_EQ(outputEntries(), QStringList({QStringLiteral("a.jpg"), QStringLiteral("b.jpg"),
                                            QStringLiteral("c.d.jpg")}));
    EXPECT_EQ(log_, QStringList({QStringLiteral("<beep>"),
                                 QStringLiteral(" 3ファイルを変換終了しました。")}));
}

TEST_F(Drop, ANameThatIsNotUtf8KeepsItsBytes) {
#ifdef _WIN32
    GTEST_SKIP() << "a Windows name is UTF-16: no file is named by bytes that are not UTF-8";
#else
    // A file manager sends a Latin-1 "café.png" as its bytes, percent-encoded.
    const QByteArray source = QFile::encodeName(sources_) + "/caf\xe9.png";
    const QString made = makeSources({QStringLiteral("made.png")}).first();
    ASSERT_EQ(::rename(QFile::encodeName(made).constData(), source.constData()), 0);
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), "file://" + source.toPercentEncoding("/") + "\r\n");
    ASSERT_TRUE(dropOn(window_.get(), QPoint(200, 10), data).moveAccepted);
    ASSERT_TRUE(waitForBatch());
    ASSERT_EQ(outputFolders().size(), 1);
    const QByteArray output = QFile::encodeName(QDir(desktop_).filePath(outputFolders().first()));
    EXPECT_EQ(::access((output + "/caf\xe9.jpg").constData(), F_OK), 0);
    EXPECT_EQ(log_, QStringList({QStringLiteral("<beep>"),
                                 QStringLiteral(" 1ファイルを変換終了しました。")}));
    ::unlink((output + "/caf\xe9.jpg").constData());
#endif
}

TEST_F(Drop, WhileABatchRunsWaitsItsTurnAndEndsWithItsOwnMessage) {
    const QStringList first = makeSources({QStringLiteral("first.png")});
    const QStringList second = makeSources({QStringLiteral("second.png")});
    DropOutcome during;
    QObject::connect(window_.get(), &frmMain::batchFileStarting, window_.get(), [&] {
        if (!during.moveAccepted)
            during = dropFiles(window_.get(), QPoint(200, 10), second);
    });
    ASSERT_TRUE(dropFiles(window_.get(), QPoint(200, 10), first).moveAccepted);
    // The waiting batch starts as the first one's message is answered: one wait sees both.
    ASSERT_TRUE(waitForBatch());
    EXPECT_TRUE(during.moveAccepted) << "the drag shows the drop will be taken";
    EXPECT_EQ(outputFolders().size(), 2);
    EXPECT_EQ(log_, QStringList({QStringLiteral("<beep>"), QStringLiteral(" 1ファイルを変換終了しました。"),
                                 QStringLiteral("<beep>"), QStringLiteral(" 1ファイルを変換終了しました。")}));
}

} // namespace
} // namespace quillmorph::test
