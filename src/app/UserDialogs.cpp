#include "UserDialogs.h"

#include "DesktopOpener.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <utility>

namespace quillmorph {

namespace {

// A key held down from before a box appeared (or left down by a program that pressed it for
// the user and died) repeats into the box and would answer it before anyone saw it, the next
// box as well: while the box is open, only a fresh press reaches it. An X server without
// detectable auto-repeat sends each repeat as a release and a press with the same time stamp,
// which Qt does not always mark as a repeat.
class FreshKeysOnly : public QObject {
public:
    explicit FreshKeysOnly(QWidget* box) : box_(box) { qApp->installEventFilter(this); }
    ~FreshKeysOnly() override { qApp->removeEventFilter(this); }
    FreshKeysOnly(const FreshKeysOnly&) = delete;
    FreshKeysOnly& operator=(const FreshKeysOnly&) = delete;

    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() == QEvent::KeyRelease) {
            const auto* key = static_cast<const QKeyEvent*>(event);
            lastRelease_ = {key->key(), key->timestamp()};
        } else if (event->type() == QEvent::KeyPress && isRepeat(*static_cast<QKeyEvent*>(event))) {
            const auto* widget = qobject_cast<const QWidget*>(target);
            if (widget && (widget == box_ || box_->isAncestorOf(widget)))
                return true;
        }
        return QObject::eventFilter(target, event);
    }

private:
    bool isRepeat(const QKeyEvent& press) const {
        return press.isAutoRepeat() || (lastRelease_ && lastRelease_->first == press.key() &&
                                        lastRelease_->second == press.timestamp());
    }

    const QWidget* box_;
    std::optional<std::pair<int, quint64>> lastRelease_; // key and time stamp
};

// The dialog's answer, given with the mouse or a fresh key press.
int answer(QDialog& dialog) {
    const FreshKeysOnly filter(&dialog);
    return dialog.exec();
}

// Every box shows its text as plain text: a preset's name or a path holding markup is shown as
// typed, never painted as a heading.
void showMessageBox(QMessageBox::Icon icon, QWidget* parent, const QString& text) {
    QMessageBox box(icon, QStringLiteral("quillmorph"), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    answer(box);
}

// Notes are quieter than the message they follow, and selectable: a path is there to copy.
void quieten(QLabel* notes) {
    notes->setTextFormat(Qt::PlainText);
    notes->setTextInteractionFlags(Qt::TextSelectableByMouse);
    notes->setForegroundRole(QPalette::PlaceholderText);
}

// Wide enough for a folder's path on one line, narrow enough for any screen a desktop has.
constexpr int kWidestNotes = 560;

int widestLine(const QLabel& label) {
    int widest = 0;
    for (const QString& line : label.text().split(QLatin1Char('\n')))
        widest = std::max(widest, label.fontMetrics().horizontalAdvance(line));
    return widest;
}

bool showBoxOf(QWidget* parent, const BoxText& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("quillmorph"), text.text, QMessageBox::Ok,
                    parent);
    box.setTextFormat(Qt::PlainText);
    if (!text.notes.isEmpty()) {
        box.setInformativeText(text.notes);
        if (auto* notes = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
            quieten(notes);
            // Qt wraps the notes to the width of a short message: a folder's path would break
            // at a slash. Unwrapped, the box grows to fit them; but the box stops growing at a
            // width of its own and cuts off what is wider, so a line past kWidestNotes (an
            // explanation, not a path) wraps at that width instead.
            notes->setWordWrap(false);
            if (widestLine(*notes) > kWidestNotes) {
                notes->setWordWrap(true);
                notes->setMinimumWidth(kWidestNotes);
            }
        }
    }
    QPushButton* openFolder = nullptr;
    if (text.offersFolder) {
        openFolder = box.addButton(QCoreApplication::translate("UserDialogs", "フォルダを開く"),
                                   QMessageBox::ActionRole);
        openFolder->setObjectName(QStringLiteral("openFolder"));
    }
    // Enter and Esc keep closing the message as they did when OK was its only button.
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    answer(box);
    return openFolder && box.clickedButton() == openFolder;
}

bool showFailuresDialog(QWidget* parent, const BoxText& summary, const QStringList& failures) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("quillmorph"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* heading = new QLabel(summary.text, &dialog);
    heading->setObjectName(QStringLiteral("summary"));
    heading->setTextFormat(Qt::PlainText);
    layout->addWidget(heading);
    if (!summary.notes.isEmpty()) {
        auto* notes = new QLabel(summary.notes, &dialog);
        notes->setObjectName(QStringLiteral("notes"));
        quieten(notes);
        layout->addWidget(notes);
    }
    // A text box rather than a label: hundreds of failures scroll, and the user can copy
    // the paths into a file manager or a bug report.
    auto* list = new QPlainTextEdit(&dialog);
    list->setObjectName(QStringLiteral("failures"));
    list->setReadOnly(true);
    list->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    list->setPlainText(failures.join(QStringLiteral("\n\n")));
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    bool openChosen = false;
    if (summary.offersFolder) {
        QPushButton* openFolder =
            buttons->addButton(QCoreApplication::translate("UserDialogs", "フォルダを開く"),
                               QDialogButtonBox::ActionRole);
        openFolder->setObjectName(QStringLiteral("openFolder"));
        openFolder->setAutoDefault(false);
        QObject::connect(openFolder, &QPushButton::clicked, &dialog, [&dialog, &openChosen] {
            openChosen = true;
            dialog.accept();
        });
    }
    layout->addWidget(buttons);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Ok)->setFocus();
    dialog.resize(480, 320);
    answer(dialog);
    return openChosen;
}

std::optional<QColor> chooseColourInDialog(QWidget* parent, const QColor& initial) {
    // Custom colours the user mixed are not carried over to the next click: every dialog
    // starts from the same blank slots.
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, Qt::white);
    QColorDialog dialog(initial, parent);
    // A desktop's native picker may lack the custom slots.
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedColor();
}

std::optional<FilePath> chooseFolderInDialog(QWidget* parent, const FilePath& start) {
    const QUrl startUrl = urlOfLocalFile(start);
    const QUrl chosen = QFileDialog::getExistingDirectoryUrl(
        parent, QString(), startUrl, QFileDialog::ShowDirsOnly, {QStringLiteral("file")});
    if (chosen.isEmpty() || !chosen.isLocalFile())
        return std::nullopt;
    // A desktop's own dialog hands the name over as the bytes of a URL; toLocalFile would
    // decode a name that is not UTF-8 into one that does not exist.
    return localFileOfUrl(chosen);
}

std::optional<int> chooseSizeLimitInDialog(QWidget* parent, int current, int maxKB) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("quillmorph"));
    dialog.setLabelText(
        QCoreApplication::translate("UserDialogs", "ファイルサイズの上限 (KB、0 で上限なし):"));
    dialog.setInputMode(QInputDialog::IntInput);
    dialog.setIntRange(0, maxKB);
    dialog.setIntValue(current);
    if (answer(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.intValue();
}

std::optional<QString> askTextInDialog(QWidget* parent, const QString& prompt,
                                       const QString& initial,
                                       const std::function<TextCheck(const QString&)>& check) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("quillmorph"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(prompt, &dialog);
    label->setTextFormat(Qt::PlainText);
    auto* field = new QLineEdit(initial, &dialog);
    auto* note = new QLabel(&dialog);
    note->setTextFormat(Qt::PlainText);
    note->setEnabled(false); // quieter than the prompt
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    for (QWidget* w : std::initializer_list<QWidget*>{label, field, note, buttons})
        layout->addWidget(w);
    const auto recheck = [&](const QString& text) {
        const TextCheck result = check(text);
        note->setText(result.note);
        buttons->button(QDialogButtonBox::Ok)->setEnabled(result.ok);
    };
    QObject::connect(field, &QLineEdit::textChanged, &dialog, recheck);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    recheck(initial);
    if (answer(dialog) != QDialog::Accepted)
        return std::nullopt;
    return field->text();
}

bool confirmInDialog(QWidget* parent, const QString& question) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("quillmorph"), question,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return answer(box) == QMessageBox::Yes;
}

} // namespace

UserDialogs platformDialogs() {
    UserDialogs dialogs;
    dialogs.showMessage = [](QWidget* parent, const QString& text) {
        showMessageBox(QMessageBox::NoIcon, parent, text);
    };
    dialogs.showWarning = [](QWidget* parent, const QString& text) {
        showMessageBox(QMessageBox::Warning, parent, text);
    };
    dialogs.showBox = showBoxOf;
    dialogs.showFailures = showFailuresDialog;
    dialogs.beep = [] { QApplication::beep(); };
    dialogs.chooseColour = chooseColourInDialog;
    dialogs.chooseFolder = chooseFolderInDialog;
    dialogs.chooseSizeLimit = chooseSizeLimitInDialog;
    dialogs.askText = askTextInDialog;
    dialogs.confirm = confirmInDialog;
    dialogs.openUrl = [](QWidget* parent, const QUrl& url, const QString& failureText) {
        // The opener runs as the parent's child: a window that closes takes it along, untold.
        const QPointer<QWidget> owner(parent);
        QObject* runner = parent ? static_cast<QObject*>(parent) : qApp;
        openOnDesktop(runner, url, [owner, url, failureText] {
            showBoxOf(owner, BoxText{failureText, placeOf(url), false});
        });
    };
    dialogs.showInFolder = [](QWidget* parent, const FilePath& folder, const FilePath& item,
                              const QString& failureText) {
        const QPointer<QWidget> owner(parent);
        QObject* runner = parent ? static_cast<QObject*>(parent) : qApp;
        quillmorph::showInFolder(runner, folder, item, [owner, folder, failureText] {
            showBoxOf(owner, BoxText{failureText, placeOf(urlOfFolder(folder)), false});
        });
    };
    return dialogs;
}

void dismissOpenDialogs() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
            dialog->reject();
    }
}

} // namespace quillmorph
