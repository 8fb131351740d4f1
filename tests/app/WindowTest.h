#pragma once

#include "UserDialogs.h"
#include "frmMain.h"

#include <QColor>
#include <QDir>
#include <QMimeData>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace quillmorph::test {

// What a synthesised drag over a widget brought back.
struct DropOutcome {
    bool enterAccepted = false;
    bool moveAccepted = false;
};

// A window on a temporary Desktop, with its settings file in a temporary windir, whose dialogs
// only record what they were asked to show.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // False for a fixture that prepares files before it calls openWindow itself.
    virtual bool createsWindowInSetUp() const { return true; }
    // Creates window_ (which loads the settings); an empty desktopPath means desktop_.
    void openWindow(WindowStart start = {});
    // The settings file the window reads and writes.
    QString settingsPath() const;

    template <typename T> T* control(const char* name) const {
        return window_->findChild<T*>(QLatin1String(name));
    }

    // The dialogs given to the window: messages and beeps go to log_ (a box as its text, its
    // notes to notes_; one that offers the folder answered with openFolder_ once
    // whileCompletionShown_ has run; a failures dialog as "<failures>" + its summary, then each
    // failure), colour choices come from nextColour_,
    // folder choices come from nextFolder_ (the folder offered goes to folderOffered_), opened
    // pages go to openedUrls_.
    UserDialogs recordingDialogs();

    // Writes width × height PNG files of one colour named names into the sources folder.
    QStringList makeSources(const QStringList& names, int width = 40, int height = 30);

    // Runs a platform's sequence for a drop of data at pos of target (coordinates of target):
    // enter, move, then drop when the move was taken, else leave.
    DropOutcome dropOn(QWidget* target, const QPoint& pos, const QMimeData& data);
    // Same, with file URLs for paths.
    DropOutcome dropFiles(QWidget* target, const QPoint& pos, const QStringList& paths);

    // Shows the window as the active one with the keyboard focus in box, as a user typing
    // into it would have it; false when the window never became active.
    bool focusForTyping(QWidget* box);

    // Lets events run until the window's batch is over; false on timeout.
    bool waitForBatch(int timeoutMs = 60000);
    // Lets events run until done() holds; false on timeout.
    static bool waitUntil(const std::function<bool()>& done, int timeoutMs = 60000);

    // The folders created under the Desktop.
    QStringList outputFolders() const;
    // Every entry (hidden ones too) of the only output folder, sorted.
    QStringList outputEntries() const;
    QString outputPath(const QString& name) const;

    QTemporaryDir root_;
    QString desktop_; // inside root_; loading the window creates it
    QString sources_;
    QString windir_;
    QByteArray savedWindir_;
    QByteArray savedAppData_;
    bool hadWindir_ = false;
    QStringList log_;
    QStringList notes_; // the quieter lines of each box in log_, in turn
    std::optional<QColor> nextColour_;
    int colourRequests_ = 0;
    QColor colourOffered_;
    std::optional<FilePath> nextFolder_;
    std::optional<int> nextSizeLimit_; // the file-size limit dialog's answer
    std::optional<QString> nextText_;  // a text field's answer; its note goes to log_
    QString textPrompt_;               // what the last text field asked
    FilePath folderOffered_;
    QList<QUrl> openedUrls_;
    FilePaths selectedItems_; // the item each folder opened was to show selected
    bool openFolder_ = false;
    std::function<void()> whileCompletionShown_; // runs inside each completion message
    std::function<void()> whileWarningShown_;    // runs inside each warning, after it is logged

    std::unique_ptr<frmMain> window_;
};

} // namespace quillmorph::test
