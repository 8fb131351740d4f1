#pragma once

#include "OptionsSnapshot.h"
#include "UserDialogs.h"
#include "WindowStart.h"
#include "batch/BatchInterfaces.h"
#include "settings/Presets.h"

#include <QString>
#include <QWidget>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QDropEvent;
class QLabel;
class QProgressBar;
class QPushButton;

namespace quillmorph {

class HandOffGathering;
class PresetMenu;
class SurfaceMenu;
class SurfaceNote;
struct StoredChoices;
class WindowBatches;

// The program's only window: the options of a conversion as controls, the margin colour as
// its own background, and files dropped on it converted in one batch off the GUI thread
// (WindowBatches runs, shows and ends the batches).
// The controls are the live options; the window parses them into the typed options a batch
// reads (storeOptions) on every change. All functions run on the GUI thread.
class frmMain : public QWidget {
    Q_OBJECT

public:
    // Loads the window (Form_Load) from start; dialogs are how the window talks to the user
    // beyond its controls.
    frmMain(WindowStart start, UserDialogs dialogs, QWidget* parent = nullptr);
    // Stops a running batch after its current file and waits for it.
    ~frmMain() override;

    // The quality factor text handed to every save (the design's hidden Text1).
    const QString& text1() const { return Text1; }
    // The margin colour, 0x00BBGGRR.
    quint32 backColor() const { return backColor_; }
    // Paints the window in the colour and makes it the margin of the next file converted.
    // The labels keep their colours.
    void setBackColor(quint32 bgr);
    // The options a file starting now would be converted with.
    ConversionOptions currentOptions() const { return options_.current(); }
    // True while a batch runs, or files taken are waiting a moment to join into one.
    bool isBatchRunning() const;
    // Closes the window as a user would, asking nothing: open dialogs are dismissed, a running
    // batch stops after the file in hand, the settings are saved. For a termination signal.
    void endSession();
    // The Desktop, where the dated folders go unless the menu names another folder.
    const QString& desktopPath() const { return desktopPath_; }

Q_SIGNALS:
    // A batch has come to file index (1-based) of count, and the progress bar shows it. The
    // batch does not wait for this: the file, and one per core beyond it, may be under way.
    void batchFileStarting(int index, int count);
    // A batch is over and its final message has been shown (or the window has closed).
    void batchFinished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The free surface's menu: the choices beyond the controls (SurfaceMenu). From the keyboard
    // (Shift+F10, the menu key) it opens wherever the focus is, a box too.
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void addSurfaceMenuKeys();
    void openSurfaceMenuFromKeyboard();
    void connectControls();
    void Form_Load();
    void Form_QueryUnload();
    void LoadSettings();
    // The controls and the menu set to choices.
    void showChoices(const StoredChoices& choices);
    void SaveSettings();
    // Once the window is up: what the settings file could not give (too large, a name pattern
    // or preset that cannot be used), in one box.
    void tellSettingsNotices(const QStringList& notices);
    // The controls show preset's choices, and the outputs carry its name ({preset}) while the
    // controls still show them.
    void applyPreset(const Preset& preset);
    // Files handed over by a later copy (or on the command line), joined with those arriving
    // close behind: converted as a drop, after the batch in hand if any. With a preset's
    // name, they convert with its choices over the window's, for that batch.
    void takeHandedOverFiles(const FilePaths& files, const QString& preset);
    void cobiQuality_Change(const QString& text);
    void Command1_Click();
    void Command2_Click();

    // The control under pos, or nullptr on the bare window.
    QWidget* controlAt(const QPoint& pos) const;
    // True on the bare window, a label or the progress bar.
    bool isFreeSurface(const QPoint& pos) const;
    // True where a drop converts files: the free surface, cobWidth, cobHeight.
    bool isDropTarget(const QPoint& pos) const;
    bool takesFiles(const QDropEvent& event) const;
    // What the controls and the menu hold, as the settings file stores it.
    StoredChoices choices() const;
    // The window's edge: the choices parsed into the options every file starting from now on
    // is converted with.
    void storeOptions();
    // The menu's choices changed: the options, and where the next batch makes its folder.
    void menuChanged();
    // The menu's item for the file manager's right-click actions: added (on) or taken away.
    void addFileManagerItem();
    void setFileManagerActions(bool on);
    // The right-click actions, when there, name the presets of the moment.
    void presetsChanged();

    const WindowStart start_;
    QString desktopPath_;
    UserDialogs dialogs_;
    QString Text1 = QStringLiteral("2");
    quint32 backColor_ = 0xFFFFFF;
    OptionsSnapshot options_;
    std::optional<Preset> appliedPreset_; // the preset last chosen from the menu

    QCheckBox* chkMode = nullptr;
    QLabel* lbl01 = nullptr;
    QLabel* lbl02 = nullptr;
    QLabel* lbl03 = nullptr;
    QLabel* lbl04 = nullptr;
    QLabel* lbl05 = nullptr;
    QLabel* lbl06 = nullptr;
    QComboBox* cobWidth = nullptr;
    QComboBox* cobHeight = nullptr;
    QComboBox* cobiQuality = nullptr;
    QComboBox* cobFormat = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QProgressBar* progress_ = nullptr;
    SurfaceMenu* surfaceMenu_ = nullptr;
    PresetMenu* presetMenu_ = nullptr; // a submenu of surfaceMenu_
    QAction* fileManagerItem_ = nullptr; // in surfaceMenu_
    SurfaceNote* note_ = nullptr;      // the hint, or the batch's count, on the free surface
    WindowBatches* batches_ = nullptr; // a child; stopped in ~frmMain while options_ lives
    HandOffGathering* gathering_ = nullptr; // joins the command line's files and hand-overs
};

} // namespace quillmorph
