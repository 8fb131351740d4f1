#pragma once

#include <QColor>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

class QWidget;

namespace quillmorph {

// Every way the window talks to the user outside its own controls. Tests replace these so
// that nothing modal ever waits for a person. All are called on the GUI thread.
struct UserDialogs {
    // A modal box with the text, an OK button and the caption "quillmorph"; returns on OK.
    std::function<void(QWidget* parent, const QString& text)> showMessage;
    // The same box with the warning icon.
    std::function<void(QWidget* parent, const QString& text)> showWarning;
    // The system beep.
    std::function<void()> beep;
    // A modal colour choice with 16 custom-colour slots; nothing when cancelled.
    std::function<std::optional<QColor>(QWidget* parent, const QColor& initial)> chooseColour;
    // Shows a page in the user's web browser.
    std::function<void(const QUrl& url)> openUrl;
};

// The dialogs of the running desktop.
UserDialogs platformDialogs();

} // namespace quillmorph
