#include "UserDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

// Shows a box through show, checks it as the user sees it and presses its OK button.
void expectBox(const std::function<void()>& show, const QString& text, QMessageBox::Icon icon,
               const QWidget* owner) {
    bool inspected = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        inspected = true;
        EXPECT_TRUE(box->isModal());
        EXPECT_EQ(box->windowTitle(), QStringLiteral("quillmorph"));
        EXPECT_EQ(box->text(), text);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box->icon(), icon);
        EXPECT_EQ(box->parentWidget(), owner);
        box->button(QMessageBox::Ok)->click();
    });
    show();
    EXPECT_TRUE(inspected);
}

TEST(PlatformMessageBox, IsModalWithOkAndTheProgramsCaption) {
    const UserDialogs dialogs = platformDialogs();
    QWidget owner;
    owner.show();
    const QString text = QStringLiteral(" 3ファイルを変換終了しました。");
    expectBox([&] { dialogs.showMessage(&owner, text); }, text, QMessageBox::NoIcon, &owner);
}

TEST(PlatformWarningBox, IsTheMessageBoxWithTheWarningIcon) {
    const UserDialogs dialogs = platformDialogs();
    const QString text = QStringLiteral("すでに「quillmorph」は起動されています。");
    expectBox([&] { dialogs.showWarning(nullptr, text); }, text, QMessageBox::Warning, nullptr);
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
