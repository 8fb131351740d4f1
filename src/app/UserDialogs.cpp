#include "UserDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QMessageBox>

namespace quillmorph {

namespace {

void showMessageBox(QMessageBox::Icon icon, QWidget* parent, const QString& text) {
    QMessageBox box(icon, QStringLiteral("quillmorph"), text, QMessageBox::Ok, parent);
    box.exec();
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

} // namespace

UserDialogs platformDialogs() {
    UserDialogs dialogs;
    dialogs.showMessage = [](QWidget* parent, const QString& text) {
        showMessageBox(QMessageBox::NoIcon, parent, text);
    };
    dialogs.showWarning = [](QWidget* parent, const QString& text) {
        showMessageBox(QMessageBox::Warning, parent, text);
    };
    dialogs.beep = [] { QApplication::beep(); };
    dialogs.chooseColour = chooseColourInDialog;
    dialogs.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    return dialogs;
}

} // namespace quillmorph
