#include "DesktopOpener.h"
#include "files/FilePath.h"

#include <gtest/gtest.h>

namespace quillmorph::test {
namespace {

// A drive's file, a server's, a name with '#' and a space, one with a surrogate that has no
// partner (WTF-8): each URL names the file, and gives its bytes back.
TEST(DesktopOpenerWindows, LocalFilesMakeURLsThatGiveTheirBytesBack) {
    const struct {
        QByteArray path;
        QByteArray url;
        QByteArray back;
    } rows[] = {
        {"C:/写真/a b#1.png", "file:///C:/%E5%86%99%E7%9C%9F/a%20b%231.png", "C:/写真/a b#1.png"},
        {"C:\\Users\\x", "file:///C:/Users/x", "C:/Users/x"},
        {"//server/share/b.png", "file:////server/share/b.png", "//server/share/b.png"},
        {"D:/\xed\xa0\x80.png", "file:///D:/%ED%A0%80.png", "D:/\xed\xa0\x80.png"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        const QUrl url = urlOfLocalFile(FilePath::fromNative(row.path));
        EXPECT_EQ(url.toEncoded(), row.url);
        EXPECT_EQ(localFileOfUrl(url).native(), row.back);
    }
    EXPECT_EQ(localFileOfUrl(QUrl(QStringLiteral("file://server/share/c.png"))).native(),
              "//server/share/c.png");
    EXPECT_EQ(placeOf(QUrl::fromEncoded("file:///C:/pic%E5%86%99")), QStringLiteral("C:/pic写"));
}

} // namespace
} // namespace quillmorph::test
