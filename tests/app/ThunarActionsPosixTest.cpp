#include "FileManagerActions.h"
#include "ScopedVariable.h"
#include "TestImages.h"
#include "ThunarActions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace quillmorph::test {
namespace {

const ThunarMenu kMenu{QStringLiteral("quillmorph で変換"),
                       QStringLiteral("ウィンドウの現在の設定で"),
                       {{QStringLiteral("mail"), QStringLiteral("メール用")},
                        {QStringLiteral("it's 50%"), QStringLiteral("<half> & more")}}};

// A file as Thunar writes it, with someone else's action, a comment and a closing tag that
// does not start its own line.
const QByteArray kOthers = QByteArrayLiteral(
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n<action>\n"
    "\t<icon>utilities-terminal</icon>\n\t<name>端末を開く</name>\n"
    "\t<unique-id>1681234567890123-1</unique-id>\n"
    "\t<command>exo-open --working-directory %f --launch TerminalEmulator</command>\n"
    "\t<description>Example</description>\n\t<patterns>*</patterns>\n\t<directories/>\n"
    "</action>\n<!-- mine <action> -->  <action><name>b</name><unique-id>x</unique-id>"
    "<command>b %F</command><patterns>*</patterns><image-files/></action></actions>\n");

// (name, submenu, command, matches folders and pictures) of each action, in order.
std::vector<QStringList> actionsIn(const QByteArray& bytes) {
    std::vector<QStringList> actions;
    QXmlStreamReader xml(bytes);
    while (xml.readNextStartElement()) {
        if (xml.name() == u"actions")
            continue;
        QStringList action(4);
        bool folders = false, pictures = false;
        while (xml.readNextStartElement()) {
            folders |= xml.name() == u"directories";
            pictures |= xml.name() == u"image-files";
            const int field = xml.name() == u"name"      ? 0
                              : xml.name() == u"submenu" ? 1
                              : xml.name() == u"command" ? 2
                                                         : -1;
            const QString text = xml.readElementText();
            if (field >= 0)
                action[field] = text;
        }
        action[3] = folders && pictures ? QStringLiteral("both") : QStringLiteral("not both");
        actions.push_back(action);
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return actions;
}

TEST(ThunarActionsTest, AddsOursOnceAndTakesAwayOnlyOurs) {
    for (const QByteArray& before :
         {QByteArray(), QByteArray("\n"), kOthers, QByteArray("<actions/>"),
          QByteArray("\xEF\xBB\xBF<actions>\n</actions>")}) {
        SCOPED_TRACE(before.toStdString());
        const UcaEdit added = withThunarActions(before, kMenu);
        ASSERT_TRUE(added.fault.isEmpty()) << added.fault.toStdString();
        const std::vector<QStringList> actions = actionsIn(added.bytes);
        ASSERT_GE(actions.size(), 3u);
        const std::vector<QStringList> ours(actions.end() - 3, actions.end());
        EXPECT_EQ(ours[0], QStringList({"ウィンドウの現在の設定で", "quillmorph で変換",
                                        "quillmorph %F", "both"}));
        EXPECT_EQ(ours[1], QStringList({"メール用", "quillmorph で変換",
                                        "quillmorph --preset mail %F", "both"}));
        // Thunar turns %% into % and then lets the shell split the line.
        EXPECT_EQ(ours[2], QStringList({"<half> & more", "quillmorph で変換",
                                        "quillmorph --preset 'it'\\''s 50%%' %F", "both"}));

        EXPECT_EQ(withThunarActions(added.bytes, kMenu).bytes, added.bytes);
        const UcaEdit removed = withoutThunarActions(added.bytes);
        ASSERT_TRUE(removed.fault.isEmpty());
        if (!before.trimmed().isEmpty() && before != "<actions/>") {
            EXPECT_EQ(removed.bytes, before);
        }
        EXPECT_EQ(actionsIn(removed.bytes).size(), actions.size() - 3);
        EXPECT_EQ(withoutThunarActions(removed.bytes).bytes, removed.bytes);
    }
    // A shorter preset list replaces the longer one rather than adding to it.
    const ThunarMenu fewer{kMenu.submenu, kMenu.windowChoices, {}};
    EXPECT_EQ(withThunarActions(withThunarActions(kOthers, kMenu).bytes, fewer).bytes,
              withThunarActions(kOthers, fewer).bytes);
}

TEST(ThunarActionsTest, RefusesWhatIsNotAnActionsFile) {
    for (const QByteArray& broken :
         {QByteArray("<actions>\n<action><name>a</action>\n</actions>"),
          QByteArray("<settings></settings>"), QByteArray("<actions>\n<action>\xff</action>"),
          QByteArray("<?xml version=\"1.0\"?>\n")}) {
        SCOPED_TRACE(broken.toStdString());
        EXPECT_FALSE(withThunarActions(broken, kMenu).fault.isEmpty());
        EXPECT_FALSE(withoutThunarActions(broken).fault.isEmpty());
    }
    EXPECT_TRUE(withThunarActions("<actions>\n<action><name>a</action>", kMenu)
                    .fault.startsWith(QStringLiteral("2 ")));
}

// A label XML cannot hold never makes the file one that cannot be read back; a file an earlier
// version made so with an action of ours is mended by taking ours away.
TEST(ThunarActionsTest, LabelsXmlCannotHoldKeepTheFileReadable) {
    const ThunarMenu odd{kMenu.submenu,
                         kMenu.windowChoices,
                         {{QStringLiteral("a"), QStringLiteral("No\uFFFF")},
                          {QStringLiteral("b"), QStringLiteral("Esc\x01\x1b[31m")},
                          {QStringLiteral("c"), QStringLiteral("Holiday\u2028b")}}};
    const UcaEdit added = withThunarActions(kOthers, odd);
    ASSERT_TRUE(added.fault.isEmpty()) << added.fault.toStdString();
    const std::vector<QStringList> actions = actionsIn(added.bytes);
    ASSERT_EQ(actions.size(), 6u);
    EXPECT_EQ(actions[3][0], QStringLiteral("No\uFFFD"));
    EXPECT_EQ(actions[4][0], QStringLiteral("Esc\uFFFD\uFFFD[31m"));
    EXPECT_EQ(withoutThunarActions(added.bytes).bytes, kOthers);

    QByteArray unreadable = kOthers;
    unreadable.insert(unreadable.lastIndexOf("</actions>"),
                      "<action>\n\t<name>Esc\x01</name>\n\t<unique-id>quillmorph-preset-1"
                      "</unique-id>\n\t<command>quillmorph --preset x %F</command>\n</action>\n");
    const UcaEdit mended = withoutThunarActions(unreadable);
    EXPECT_TRUE(mended.fault.isEmpty()) << mended.fault.toStdString();
    EXPECT_EQ(mended.bytes, kOthers);
}

TEST(ThunarActionsTest, WritesTheFileOnlyWhenItChangesAndNeverOverABrokenOne) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString path = home.filePath(QStringLiteral("Thunar/uca.xml"));
    const auto add = [](const QByteArray& bytes) { return withThunarActions(bytes, kMenu); };
    EXPECT_EQ(rewriteThunarActions(path, withoutThunarActions), QString());
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(rewriteThunarActions(path, add), QString());
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), add({}).bytes);

    const QByteArray broken("<actions><action>");
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(broken);
    out.close();
    EXPECT_TRUE(rewriteThunarActions(path, add).contains(path));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), broken);
}

// What --install-thunar-action and --remove-thunar-action do: the user's own actions file, and
// a line that says where it is and that Thunar has to start again; a broken file stays as it is.
TEST(ThunarActionsTest, TheFileManagersActionsGoIntoTheUsersThunarFileAndSaySo) {
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const test::ScopedVariable configHome("XDG_CONFIG_HOME", config.path());
    const QString path = config.filePath(QStringLiteral("Thunar/uca.xml"));

    const FileManagerChange added = changeFileManagerActions(true, kMenu);
    EXPECT_EQ(added.done,
              QStringLiteral("Thunar の右クリックメニューに「quillmorph で変換」を加えました: ") +
                  path +
                  QStringLiteral("\nThunar を開き直すと表示されます (thunar -q で終了できます)。"));
    EXPECT_EQ(added.fault, QString());
    const QByteArray ours = withThunarActions({}, kMenu).bytes;
    EXPECT_EQ(readBytes(path), ours);

    const FileManagerChange removed = changeFileManagerActions(false, kMenu);
    EXPECT_EQ(removed.done,
              QStringLiteral("Thunar の右クリックメニューから「quillmorph で変換」を除きました: ") +
                  path +
                  QStringLiteral("\nThunar を開き直すと消えます (thunar -q で終了できます)。"));
    EXPECT_EQ(readBytes(path), withoutThunarActions(ours).bytes);

    writeBytes(path, "<actions><action>");
    const FileManagerChange refused = changeFileManagerActions(true, kMenu);
    EXPECT_EQ(refused.done, QString());
    EXPECT_TRUE(refused.fault.contains(path)) << refused.fault.toStdString();
    EXPECT_EQ(readBytes(path), "<actions><action>");
}

} // namespace
} // namespace quillmorph::test
