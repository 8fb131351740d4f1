#pragma once

#include "BatchEndText.h"
#include "LauncherEntry.h"
#include "UserDialogs.h"
#include "batch/BatchInterfaces.h"
#include "batch/BatchResult.h"
#include "files/FilePath.h"

#include <QList>
#include <QObject>
#include <QString>

class QProgressBar;
class QShortcut;
class QWidget;

namespace quillmorph {

class BatchRunner;
class SurfaceNote;

// The window's batches, one at a time: started by a drop or by files a later copy handed over
// (which wait for the batch in hand and for the user's answer to its end), shown while they
// run (the window's bar, the count and file in hand on its note, the task bar's progress, a
// busy cursor, Esc to stop after the file in hand) and told when they end (a beep and the
// completion message, the message that ended the batch, or the failures dialog, each with the
// folder to open once files were written). Lives on the GUI thread, as a child of window.
class WindowBatches : public QObject {
    Q_OBJECT

public:
    // window: the parent of the messages, closed once a batch the user left has stopped;
    // progress: the window's bar; note: its note on the free surface; dialogs and options must
    // outlive this.
    WindowBatches(QWidget* window, QProgressBar* progress, SurfaceNote* note,
                  const UserDialogs& dialogs, const OptionsSource& options);

    // The folder every batch makes its dated folder in; made when missing only if makeIt.
    void setOutputParent(const FilePath& parent, bool makeIt) {
        outputParent_ = parent;
        makeOutputParent_ = makeIt;
    }
    // Starts a batch of files (with fixed options when given, else the window's); nothing while
    // one runs.
    void start(const FilePaths& files, const std::optional<ConversionOptions>& fixed = {});
    bool isRunning() const;
    // False once the window is on its way out: nothing more is started.
    bool takesFiles() const { return !closeAfterBatch_ && !ending_; }
    // Files dropped, or handed over by a later copy: started now, or once the batch in hand
    // (and every one waiting before them) has ended and the user has answered its end.
    void take(const FilePaths& files, const std::optional<ConversionOptions>& fixed = {});
    // The user closes the window during a batch: it stops after the file in hand, only its
    // failures are told, and the window is closed again.
    void closeWindowAfterBatch();
    // The session is ending: nothing more is told or started.
    void endSession() { ending_ = true; }
    // Stops a running batch after the file in hand and waits for it, telling nothing: for a
    // window that is going away (its options with it).
    void stopAndWait();

Q_SIGNALS:
    // The bar shows file index (1-based) of count; the batch does not wait for this.
    void fileStarting(int index, int count);
    // A batch is over and its end has been told (or the window has closed).
    void finished();

private:
    void onFileStarting(int index, int count, const QString& name);
    void onFileDone(int index, int count);
    void onFinished(const BatchResult& result);
    // Tells the user how a batch ended: its failures, or its final message after a beep when
    // it completed. When the user is leaving, only failures are told.
    void tellEnd(const BatchResult& result, bool leaving);
    // The counts and every failure of a batch that went on past them.
    void showFailures(const BatchResult& result, const BatchAfterwards& afterwards);
    // The batch's dated folder, its first output selected where the system can.
    void openFolder(const BatchResult& result);

    QWidget* const window_;
    QProgressBar* const progress_;
    SurfaceNote* const note_;
    const UserDialogs& dialogs_;
    BatchRunner* runner_ = nullptr;  // a child
    QShortcut* cancelKey_ = nullptr; // a child of window_
    FilePath outputParent_;
    bool makeOutputParent_ = true;
    struct Waiting {
        FilePaths files;
        std::optional<ConversionOptions> fixed;
    };
    QList<Waiting> waiting_; // for the batch in hand
    bool closeAfterBatch_ = false;
    bool answering_ = false; // the end of a batch is on screen, waiting for the user
    bool ending_ = false;    // closing without asking anything
    LauncherEntry launcher_;
};

} // namespace quillmorph
