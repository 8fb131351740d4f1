#pragma once

#include "UserDialogs.h"
#include "files/FilePath.h"
#include "settings/StoredChoices.h"

#include <QMenu>

class QAction;

namespace quillmorph {

// The right-click menu of the window's free surface: the choices beyond the window's controls
// (keep going, how a picture meets its box, never enlarge, photo information, file dates,
// where the dated folders go, a file-size limit). Its items are the live state of these choices, as
// the controls are of theirs. Lives on the GUI thread, as a child of the window.
class SurfaceMenu : public QMenu {
    Q_OBJECT

public:
    // dialogs must outlive the menu; window is its parent and the folder dialog's.
    SurfaceMenu(const UserDialogs& dialogs, QWidget* window);

    // Where the dated folders go when nothing is chosen.
    void setDesktop(const FilePath& desktop);
    // Sets the items from the stored choices.
    void load(const StoredChoices& stored);
    // Writes the items into choices.
    void save(StoredChoices& choices) const;
    // The folder chosen for the dated folders; empty for the Desktop.
    const FilePath& outputFolder() const { return folder_; }

Q_SIGNALS:
    // The user changed a choice (or load did).
    void changed();

private:
    void addFitModes();
    void addOutputPlace();
    void addSizeLimit();
    void addNamePattern();
    void chooseNamePattern();
    void setNamePattern(const QString& pattern);
    void chooseSizeLimit();
    void setSizeLimit(int kb);
    void chooseFolder();
    void setFolder(const FilePath& folder);
    QAction* addCheckable(QMenu* menu, const QString& text, const char* name);

    const UserDialogs& dialogs_;
    QWidget* const window_;
    FilePath desktop_;
    FilePath folder_;
    QAction* keepGoing_ = nullptr;
    QAction* pad_ = nullptr;
    QAction* fit_ = nullptr;
    QAction* fill_ = nullptr;
    QAction* attention_ = nullptr;
    QAction* noEnlarge_ = nullptr;
    QAction* keepExif_ = nullptr;
    QAction* keepDates_ = nullptr;
    QAction* place_ = nullptr; // shows where the dated folders go; never chosen
    QAction* desktopOn_ = nullptr;
    QAction* sizeLimitShown_ = nullptr; // shows the file-size limit; never chosen
    int sizeLimitKB_ = 0;
    QAction* namePatternShown_ = nullptr; // shows the output name pattern; never chosen
    QString namePattern_;
};

} // namespace quillmorph
