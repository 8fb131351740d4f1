// The window's free surface: where dropped files are taken, and where its menu opens, from
// the mouse or the keyboard.

#include "FileManagerActions.h"
#include "SurfaceMenu.h"
#include "WindowBatches.h"
#include "frmMain.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QShortcut>

namespace quillmorph {

namespace {

FilePaths localFiles(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    // The raw list keeps each name's bytes; QUrl::toLocalFile would decode them as UTF-8.
    const QString uriList = QStringLiteral("text/uri-list");
    if (data->hasFormat(uriList))
        return localFilesFromUriList(data->data(uriList));
    FilePaths files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            files << FilePath(url.toLocalFile());
    }
    return files;
}

} // namespace

void frmMain::addFileManagerItem() {
    surfaceMenu_->addSeparator();
    fileManagerItem_ = surfaceMenu_->addAction(fileManagerOptions().menuItem);
    fileManagerItem_->setObjectName(QStringLiteral("fileManagerActions"));
    fileManagerItem_->setCheckable(true);
    // The actions live outside the settings file: asked each time the menu opens.
    connect(surfaceMenu_, &QMenu::aboutToShow, this,
            [this] { fileManagerItem_->setChecked(fileManagerActionsInstalled()); });
    connect(fileManagerItem_, &QAction::triggered, this, &frmMain::setFileManagerActions);
}

void frmMain::setFileManagerActions(bool on) {
    const FileManagerChange change = changeFileManagerActions(on, currentFileManagerMenu());
    fileManagerItem_->setChecked(fileManagerActionsInstalled());
    if (!change.fault.isEmpty())
        dialogs_.showWarning(this, change.fault);
    else
        dialogs_.showMessage(this, change.done.trimmed());
}

void frmMain::presetsChanged() {
    const QString fault = refreshFileManagerActions(currentFileManagerMenu());
    if (!fault.isEmpty())
        dialogs_.showWarning(this, fault);
}

void frmMain::addSurfaceMenuKeys() {
    // Shift+F10 everywhere, and the menu key where the platform sends it only as a key (X11
    // turns it into a keyboard context menu event, which eventFilter and contextMenuEvent take).
    for (const QKeySequence& keys :
         {QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)}) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, &frmMain::openSurfaceMenuFromKeyboard);
    }
    // X11 sends the menu key's event to the box with the focus, which hands it straight to its
    // line edit, past any filter there.
    for (QComboBox* box : {cobFormat, cobWidth, cobHeight, cobiQuality}) {
        box->installEventFilter(this);
        box->lineEdit()->installEventFilter(this);
    }
}

QWidget* frmMain::controlAt(const QPoint& pos) const {
    QWidget* control = childAt(pos);
    while (control && control->parentWidget() != this)
        control = control->parentWidget();
    return control;
}

bool frmMain::isFreeSurface(const QPoint& pos) const {
    const QWidget* control = controlAt(pos);
    return !control || qobject_cast<const QLabel*>(control) || control == progress_;
}

bool frmMain::isDropTarget(const QPoint& pos) const {
    const QWidget* control = controlAt(pos);
    return isFreeSurface(pos) || control == cobWidth || control == cobHeight;
}

void frmMain::openSurfaceMenuFromKeyboard() {
    // Under the control in hand, as a keyboard's menu opens, wherever the pointer is.
    const QWidget* focus = focusWidget();
    const QPoint at = focus && isAncestorOf(focus) ? focus->mapTo(this, QPoint(0, focus->height()))
                                                   : QPoint(0, 0);
    surfaceMenu_->popup(mapToGlobal(at));
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    // A box keeps its edit menu for the mouse; the keyboard's menu key means the window's.
    if (event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
        openSurfaceMenuFromKeyboard();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Keyboard) {
        openSurfaceMenuFromKeyboard();
        event->accept();
        return;
    }
    // The boxes keep their own edit menus; a button or the check box has no business with it.
    if (!isFreeSurface(event->pos())) {
        event->ignore();
        return;
    }
    surfaceMenu_->popup(event->globalPos());
    event->accept();
}

bool frmMain::takesFiles(const QDropEvent& event) const {
    return batches_->takesFiles() && event.possibleActions().testFlag(Qt::CopyAction) &&
           !localFiles(event.mimeData()).isEmpty();
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    // Taken wherever it enters: a refused enter would hide the rest of the drag from the
    // window, and the move that always follows tells the user where a drop is welcome.
    if (takesFiles(*event)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void frmMain::dragMoveEvent(QDragMoveEvent* event) {
    if (takesFiles(*event) && isDropTarget(event->position().toPoint())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void frmMain::dropEvent(QDropEvent* event) {
    if (!takesFiles(*event) || !isDropTarget(event->position().toPoint())) {
        event->ignore();
        return;
    }
    // Copy, never move: the sources stay where they are.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    batches_->take(localFiles(event->mimeData()));
}

} // namespace quillmorph
