#include "UserDialogs.h"
#include "batch/Messages.h"
#include "batch/StatusSentences.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
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

// Shows a box through show, checks it as the user sees it and answers it (OK unless told).
void expectBox(const std::function<void()>& show, const QString& text, QMessageBox::Icon icon,
               const QWidget* owner, const std::function<void(QMessageBox*)>& answer = {}) {
    bool inspected = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        inspected = true;
        EXPECT_TRUE(box->isModal());
        EXPECT_EQ(box->windowTitle(), QStringLiteral("quillmorph"));
        EXPECT_EQ(box->text(), text);
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box->icon(), icon);
        EXPECT_EQ(box->parentWidget(), owner);
        if (answer)
            answer(box);
        else
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

// A name the user gave (a preset's, from a file or a command line) shows as typed in every
// question: markup in it is not painted.
TEST(PlatformQuestions, ShowNamesAsPlainText) {
    const UserDialogs dialogs = platformDialogs();
    const QString name = QStringLiteral("<h1 style=\"color:#ff0000\">ALL GONE</h1>");
    expectBox([&] { dialogs.showWarning(nullptr, name); }, name, QMessageBox::Warning, nullptr);
    bool asked = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        asked = true;
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        box->button(QMessageBox::No)->click();
    });
    EXPECT_FALSE(dialogs.confirm(nullptr, name));
    EXPECT_TRUE(asked);
    bool prompted = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        prompted = true;
        for (const QLabel* label : dialog->findChildren<QLabel*>())
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
        dialog->reject();
    });
    EXPECT_FALSE(dialogs.askText(nullptr, name, name, [](const QString&) { return TextCheck{}; }));
    EXPECT_TRUE(prompted);
}

TEST(PlatformCompletionBox, OffersToOpenTheFolderWithOkStillTheDefaultForEnterAndEsc) {
    const UserDialogs dialogs = platformDialogs();
    const QString text = QStringLiteral(" 3ファイルを変換終了しました。");
    const auto opensWhen = [&](const std::function<void(QMessageBox*)>& press) {
        bool opens = false;
        const BoxText completion{text, QStringLiteral("保存先: /home/u/デスクトップ/pic1"), true};
        expectBox([&] { opens = dialogs.showBox(nullptr, completion); }, text, QMessageBox::NoIcon,
                  nullptr,
                  [&](QMessageBox* box) {
                      EXPECT_EQ(box->buttons().size(), 2);
                      EXPECT_EQ(box->informativeText(), completion.notes) << "under the text";
                      EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Ok));
                      EXPECT_EQ(box->escapeButton(), box->button(QMessageBox::Ok));
                      press(box);
                  });
        return opens;
    };
    EXPECT_TRUE(opensWhen([](QMessageBox* box) {
        auto* open = box->findChild<QPushButton*>(QStringLiteral("openFolder"));
        ASSERT_NE(open, nullptr);
        EXPECT_EQ(open->text(), QStringLiteral("フォルダを開く"));
        open->click();
    }));
    EXPECT_FALSE(opensWhen([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }));
    EXPECT_FALSE(opensWhen([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }));
    // A key held down from before the box repeats into it: as Qt marks a repeat, and as an X
    // server without detectable repeat sends one (a release and a press at the same moment).
    EXPECT_FALSE(opensWhen([](QMessageBox* box) {
        QAbstractButton* ok = box->button(QMessageBox::Ok);
        QKeyEvent marked(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"),
                         true);
        QApplication::sendEvent(ok, &marked);
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        up.setTimestamp(7000);
        QApplication::sendEvent(ok, &up);
        QKeyEvent again(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        again.setTimestamp(7000);
        QApplication::sendEvent(ok, &again);
        EXPECT_TRUE(box->isVisible()) << "a held key answered the box";
        QTest::keyClick(ok, Qt::Key_Return);
        EXPECT_FALSE(box->isVisible()) << "a fresh press did not";
    }));
}

// An explanation wider than a box may grow wraps inside it; a short path stays on one line.
TEST(PlatformCompletionBox, NotesWiderThanTheBoxWrapInsideItAndNoneIsCutOff) {
    const QString explanation = message::sentence(Failure::of(Failure::Kind::BoxSize, {}));
    const QString path = QStringLiteral("保存先: /home/u/デスクトップ/pic1");
    for (const QString& notes : {explanation, path}) {
        const BoxText box{message::boxSizeRange(), notes, false};
        expectBox([&] { platformDialogs().showBox(nullptr, box); }, box.text, QMessageBox::NoIcon,
                  nullptr,
                  [&](QMessageBox* shown) {
                      auto* label =
                          shown->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
                      ASSERT_NE(label, nullptr);
                      const int needed = label->fontMetrics().horizontalAdvance(notes);
                      EXPECT_EQ(label->wordWrap(), notes == explanation);
                      if (!label->wordWrap()) {
                          EXPECT_GE(label->width(), needed) << "cut off on the right";
                      }
                      EXPECT_GE(label->height(), label->heightForWidth(label->width()))
                          << "cut off at the bottom";
                      EXPECT_LE(label->geometry().right(), shown->rect().right());
                      shown->button(QMessageBox::Ok)->click();
                  });
    }
}

TEST(PlatformFailuresDialog, ShowsTheSummaryAndEveryFailureAsCopyableText) {
    bool inspected = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        inspected = true;
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("quillmorph"));
        EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("summary"))->text(), "counts");
        auto* list = dialog->findChild<QPlainTextEdit*>(QStringLiteral("failures"));
        EXPECT_EQ(list->toPlainText(), QStringLiteral("one\n/a/1.png\n\ntwo\n/a/2.png"));
        EXPECT_TRUE(list->isReadOnly());
        EXPECT_TRUE(list->textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard));
        EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("notes"))->text(), "保存先: /a");
        EXPECT_NE(dialog->findChild<QPushButton*>(QStringLiteral("openFolder")), nullptr);
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_FALSE(platformDialogs().showFailures(
        nullptr, BoxText{QStringLiteral("counts"), QStringLiteral("保存先: /a"), true},
        {QStringLiteral("one\n/a/1.png"), QStringLiteral("two\n/a/2.png")}));
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
