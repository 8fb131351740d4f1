#include "frontend/PrivateTempFolder.h"
#include "frontend/ThisProcess.h"

#include "ScopedVariable.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

// Every variable the system's temporary folder is taken from names ours while it lives, a
// program started from here is given the earlier one, and the earlier one comes back.
TEST(PrivateTempFolderTest, TheSystemsVariablesNameItWhileItLives) {
    QTemporaryDir outside;
    ASSERT_TRUE(outside.isValid());
    const QByteArrayList names = thisProcess::temporaryFolderVariables();
    ASSERT_FALSE(names.isEmpty());
    std::vector<std::unique_ptr<test::ScopedVariable>> saved;
    for (const QByteArray& name : names)
        saved.push_back(std::make_unique<test::ScopedVariable>(name.constData(), outside.path()));
    {
        const PrivateTempFolder folder;
        ASSERT_TRUE(folder.isValid());
        EXPECT_EQ(QFileInfo(folder.path()).absolutePath(),
                  QFileInfo(outside.path()).absoluteFilePath());
        const QProcessEnvironment outer = PrivateTempFolder::environmentOutside();
        for (const QByteArray& name : names) {
            EXPECT_EQ(QDir(qEnvironmentVariable(name.constData())), QDir(folder.path()))
                << name.constData();
            EXPECT_EQ(QDir(outer.value(QString::fromLatin1(name))), QDir(outside.path()));
        }
    }
    for (const QByteArray& name : names)
        EXPECT_EQ(QDir(qEnvironmentVariable(name.constData())), QDir(outside.path()));
}

} // namespace
} // namespace quillmorph
