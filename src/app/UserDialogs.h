#pragma once

#include "files/FilePath.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>

class QWidget;

namespace quillmorph {

// What a box says: the message as the program words it, quieter lines under it, and whether
// it offers to open the folder a batch wrote into.
struct BoxText {
    QString text;
    QString notes; // empty: none
    bool offersFolder = false;
};

// What a typed text would do, told under the field as it is typed: ok enables the OK button.
struct TextCheck {
    bool ok = true;
    QString note;
};

// Every way the window talks to the user outside its own controls. Tests replace these so
// that nothing modal ever waits for a person. All are called on the GUI thread.
struct UserDialogs {
    // A modal box with the text, an OK button and the caption "quillmorph"; returns on OK.
    std::function<void(QWidget* parent, const QString& text)> showMessage;
    // The same box with the warning icon.
    std::function<void(QWidget* parent, const QString& text)> showWarning;
    // The same box with the notes in quieter, selectable lines under the text and, when it
    // offers the folder, a second button "フォルダを開く"; OK stays the default and Esc
    // answers OK. True when the user chose to open the folder.
    std::function<bool(QWidget* parent, const BoxText& box)> showBox;
    // The end of a batch that went on past failures: a modal dialog with the caption
    // "quillmorph", the summary box on top, every failure below in a read-only list the user
    // can select and copy, and OK (and "フォルダを開く" as showBox has it). True when the user
    // chose to open the folder.
    std::function<bool(QWidget* parent, const BoxText& summary, const QStringList& failures)>
        showFailures;
    // The system beep.
    std::function<void()> beep;
    // A modal colour choice with 16 custom-colour slots; nothing when cancelled.
    std::function<std::optional<QColor>(QWidget* parent, const QColor& initial)> chooseColour;
    // The platform's folder dialog, opened at start; nothing when cancelled. The folder comes
    // back as the bytes the file system holds, whatever its name.
    std::function<std::optional<FilePath>(QWidget* parent, const FilePath& start)> chooseFolder;
    // A modal question for the file-size limit in KB (0 for none, at most maxKB), showing
    // current; nothing when cancelled.
    std::function<std::optional<int>(QWidget* parent, int current, int maxKB)> chooseSizeLimit;
    // A modal text field under prompt, starting at initial, with check's note under it as the
    // user types; nothing when cancelled.
    std::function<std::optional<QString>(QWidget* parent, const QString& prompt,
                                         const QString& initial,
                                         const std::function<TextCheck(const QString&)>& check)>
        askText;
    // A modal yes/no question; true for yes. No is the default.
    std::function<bool(QWidget* parent, const QString& question)> confirm;
    // Shows a page in the user's web browser, or a folder (a file URL) in the file manager;
    // when nothing opened it, a box over parent says failureText and shows where it is.
    std::function<void(QWidget* parent, const QUrl& url, const QString& failureText)> openUrl;
    // Shows folder in the file manager, item inside it selected where the system can; fails
    // as openUrl does.
    std::function<void(QWidget* parent, const FilePath& folder, const FilePath& item,
                       const QString& failureText)>
        showInFolder;
};

// The dialogs of the running desktop.
UserDialogs platformDialogs();

// Closes every dialog still waiting for an answer as if it had been cancelled: for a program
// that must end with nobody there to answer. GUI thread.
void dismissOpenDialogs();

} // namespace quillmorph
