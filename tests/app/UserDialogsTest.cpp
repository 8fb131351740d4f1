#include "UserDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
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

TEST(PlatformCompletionBox, OffersToOpenTheFolderWithOkStillTheDefault) {
    const UserDialogs dialogs = platformDialogs();
    QWidget owner;
    owner.show();
    const QString text = QStringLiteral(" 3ファイルを変換終了しました。");
    // Answers the box with answer(box) once it has been checked as the user sees it.
    const auto answered = [&](const std::function<void(QMessageBox*)>& answer) {
        bool inspected = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            inspected = true;
            EXPECT_EQ(box->windowTitle(), QStringLiteral("quillmorph"));
            EXPECT_EQ(box->text(), text);
            EXPECT_EQ(box->parentWidget(), &owner);
            EXPECT_EQ(box->buttons().size(), 2);
            EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Ok));
            EXPECT_EQ(box->escapeButton(), box->button(QMessageBox::Ok));
            answer(box);
        });
        const bool openFolder = dialogs.showCompletion(&owner, text);
        EXPECT_TRUE(inspected);
        return openFolder;
    };
    const auto folderButton = [](QMessageBox* box) {
        for (QAbstractButton* button : box->buttons()) {
            if (button != box->button(QMessageBox::Ok))
                return button;
        }
        return static_cast<QAbstractButton*>(nullptr);
    };
    EXPECT_TRUE(answered([&](QMessageBox* box) {
        QAbstractButton* open = folderButton(box);
        EXPECT_NE(open, nullptr);
        if (open) {
            EXPECT_EQ(open->text(), QStringLiteral("フォルダを開く"));
        }
        // Answered either way, so that a missing button fails instead of hanging.
        (open ? open : box->button(QMessageBox::Ok))->click();
    }));
    EXPECT_FALSE(answered([](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); }));
    EXPECT_FALSE(answered([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }));
    EXPECT_FALSE(answered([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }));
}

TEST(PlatformFailuresDialog, ShowsTheSummaryAndEveryFailureAsCopyableText) {
    const UserDialogs dialogs = platformDialogs();
    QWidget owner;
    owner.show();
    bool inspected = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        inspected = true;
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("quillmorph"));
        EXPECT_EQ(dialog->parentWidget(), &owner);
        auto* summary = dialog->findChild<QLabel*>(QStringLiteral("summary"));
        auto* list = dialog->findChild<QPlainTextEdit*>(QStringLiteral("failures"));
        ASSERT_NE(summary, nullptr);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(summary->text(), QStringLiteral("counts"));
        EXPECT_EQ(list->toPlainText(), QStringLiteral("one\n/a/1.png\n\ntwo\n/a/2.png"));
        EXPECT_TRUE(list->isReadOnly());
        EXPECT_TRUE(list->textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard));
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        EXPECT_EQ(buttons->standardButtons(), QDialogButtonBox::Ok);
        buttons->button(QDialogButtonBox::Ok)->click();
    });
    dialogs.showFailures(&owner, QStringLiteral("counts"),
                         {QStringLiteral("one\n/a/1.png"), QStringLiteral("two\n/a/2.png")});
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
