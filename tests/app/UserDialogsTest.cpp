#include "UserDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

TEST(PlatformMessageBox, IsModalWithOkAndTheProgramsCaption) {
    const UserDialogs dialogs = platformDialogs();
    QWidget owner;
    owner.show();
    bool inspected = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        inspected = true;
        EXPECT_TRUE(box->isModal());
        EXPECT_EQ(box->windowTitle(), QStringLiteral("quillmorph"));
        EXPECT_EQ(box->text(), QStringLiteral(" 3ファイルを変換終了しました。"));
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box->parentWidget(), &owner);
        box->button(QMessageBox::Ok)->click();
    });
    dialogs.showMessage(&owner, QStringLiteral(" 3ファイルを変換終了しました。"));
    EXPECT_TRUE(inspected);
}

TEST(PlatformWarningBox, IsTheMessageBoxWithTheWarningIcon) {
    const UserDialogs dialogs = platformDialogs();
    bool inspected = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        inspected = true;
        EXPECT_TRUE(box->isModal());
        EXPECT_EQ(box->windowTitle(), QStringLiteral("quillmorph"));
        EXPECT_EQ(box->text(), QStringLiteral("すでに「quillmorph」は起動されています。"));
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        box->button(QMessageBox::Ok)->click();
    });
    dialogs.showWarning(nullptr, QStringLiteral("すでに「quillmorph」は起動されています。"));
    EXPECT_TRUE(inspected);
}

TEST(PlatformColourDialog, IsModalWithSixteenCustomSlotsAndReturnsTheChoice) {
    const UserDialogs dialogs = platformDialogs();
    QWidget owner;
    owner.show();
    bool inspected = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        inspected = true;
        EXPECT_TRUE(dialog->isModal());
        EXPECT_TRUE(dialog->testOption(QColorDialog::DontUseNativeDialog));
        EXPECT_EQ(QColorDialog::customCount(), 16);
        EXPECT_EQ(dialog->currentColor(), QColor(10, 20, 30));
        dialog->setCurrentColor(QColor(255, 0, 0));
        dialog->accept();
    });
    const std::optional<QColor> chosen = dialogs.chooseColour(&owner, QColor(10, 20, 30));
    EXPECT_TRUE(inspected);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, QColor(255, 0, 0));

    QColorDialog::setCustomColor(3, QColor(1, 2, 3));
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(QColorDialog::customColor(3), QColor(Qt::white))
            << "custom colours are not carried from one click to the next";
        dialog->reject();
    });
    EXPECT_FALSE(dialogs.chooseColour(&owner, QColor(Qt::white)).has_value());
}

} // namespace
} // namespace quillmorph
