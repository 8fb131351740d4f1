#include "MeetingPlaceWindows.h"
#include "MeetingPlace.h"
#include "RealCopies.h"

#include <QLocalSocket>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

// The meeting place on Windows: a pipe named for the user and the session, closed to everyone
// else, and folders of the user's alone.
namespace quillmorph::test {
namespace {

using MeetingPlaceWindowsTest = SingleInstanceTest;

TEST_F(MeetingPlaceWindowsTest, ThePipesNameCarriesTheUsersSidAndTheSession) {
    const QString sid = meeting::thisUserSid();
    ASSERT_TRUE(sid.startsWith(QLatin1String("S-1-"))) << sid.toStdString();
    const QString tag = QStringLiteral("%1-%2").arg(sid).arg(meeting::thisSession());
    EXPECT_EQ(SingleInstance(folder()).serverName(),
              QStringLiteral("quillmorph-%1.socket").arg(tag));
    EXPECT_EQ(SingleInstance(root_.filePath(QStringLiteral("elsewhere"))).serverName(),
              SingleInstance(folder()).serverName())
        << "one name for one user, wherever the lock is";
    EXPECT_NE(meeting::userTagOf(QStringLiteral("S-1-5-21-1-2-3-1001"), meeting::thisSession()),
              tag);
    EXPECT_NE(meeting::userTagOf(sid, meeting::thisSession() + 1), tag);
}

// The allowed entries of the pipe's access list, as SID texts.
QStringList grantedTo(HANDLE pipe) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(pipe, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                          &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return {QStringLiteral("<unreadable>")};
    QStringList sids;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        ::GetAce(dacl, i, &entry);
        if (static_cast<ACE_HEADER*>(entry)->AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        LPWSTR text = nullptr;
        ::ConvertSidToStringSidW(&static_cast<ACCESS_ALLOWED_ACE*>(entry)->SidStart, &text);
        sids << QString::fromWCharArray(text);
        ::LocalFree(text);
    }
    ::LocalFree(descriptor);
    return dacl ? sids : QStringList{QStringLiteral("<everyone>")};
}

// Wine keeps a pipe's access list but hardly enforces it: what is asserted is the list itself.
TEST_F(MeetingPlaceWindowsTest, OnlyThisUserMayOpenThePipeAndEachEndSeesTheOtherAsThisUser) {
    SingleInstance first(folder());
    ASSERT_TRUE(first.claim());
    QLocalSocket socket;
    socket.connectToServer(first.serverName());
    ASSERT_TRUE(socket.waitForConnected(5000));
    const QStringList granted = grantedTo(reinterpret_cast<HANDLE>(socket.socketDescriptor()));
    EXPECT_TRUE(granted.contains(meeting::thisUserSid())) << granted.join(' ').toStdString();
    for (const QString& sid : granted)
        EXPECT_TRUE(sid == meeting::thisUserSid() || sid == QLatin1String("S-1-5-18"))
            << sid.toStdString() << " may open it";
    EXPECT_TRUE(meeting::peerIsThisUser(socket)) << "the client's view of the server";
    EXPECT_FALSE(meeting::peerIsThisUser(QLocalSocket())) << "no pipe, no peer";
    const FilePaths files =
        paths({QStringLiteral("C:/p/写真①.png"), QStringLiteral("//server/share/b.png")});
    QList<FilePaths> received;
    QObject::connect(&first, &SingleInstance::filesReceived,
                     [&](const FilePaths& got) { received << got; });
    EXPECT_EQ(sendToCopy(first.serverName(), handOverFrame(files), 5000), 6)
        << "the server's view of the client";
    EXPECT_EQ(received, QList<FilePaths>({files}));
    EXPECT_EQ(
        sendToCopy(first.serverName(), handOverFrame(paths({QStringLiteral("/p/a.png")})), 5000),
        -1)
        << "a path without its drive is no full path";
}

// What a hand-over may name: a drive's path or a server's, never one that depends on the
// current drive or folder of the copy that sent it.
TEST(MeetingPlaceWindows, AFullPathHasItsDriveOrServer) {
    const struct {
        QByteArray path;
        bool full;
    } rows[] = {{"C:\\p\\a.png", true},     {"d:/p/a.png", true},  {"\\\\server\\s\\a.png", true},
                {"//server/s/a.png", true}, {"\\p\\a.png", false}, {"/p/a.png", false},
                {"C:a.png", false},         {"1:/a.png", false},   {"\xc3:/a.png", false}};
    for (const auto& row : rows)
        EXPECT_EQ(meeting::isFullPath(row.path), row.full) << row.path.toStdString();
}

TEST_F(MeetingPlaceWindowsTest, CopiesMeetInAFolderOfTheUsersAlone) {
    const QString fallback = root_.filePath(QStringLiteral("local/quillmorph"));
    EXPECT_FALSE(meeting::isPrivateFolder(fallback));
    EXPECT_EQ(SingleInstance::meetingFolder({}, {QStringLiteral("relative"), fallback}), fallback);
    EXPECT_TRUE(meeting::isPrivateFolder(fallback));
    const QString open = root_.filePath(QStringLiteral("open"));
    ASSERT_TRUE(QDir().mkpath(open));
    std::wstring name = QDir::toNativeSeparators(open).toStdWString();
    PSECURITY_DESCRIPTOR everyone = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:P(A;OICI;FA;;;WD)", SDDL_REVISION_1, &everyone, nullptr));
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ::GetSecurityDescriptorDacl(everyone, &present, &dacl, &defaulted);
    ASSERT_EQ(
        ::SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                nullptr, nullptr, dacl, nullptr),
        DWORD(ERROR_SUCCESS));
    ::LocalFree(everyone);
    EXPECT_FALSE(meeting::isPrivateFolder(open)) << "everyone may enter";
    EXPECT_EQ(SingleInstance::meetingFolder(open, {open}), open) << "ours, closed now";
    EXPECT_TRUE(meeting::isPrivateFolder(open));
}

} // namespace
} // namespace quillmorph::test
