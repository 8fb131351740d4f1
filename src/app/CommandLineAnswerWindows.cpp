#include "CommandLineAnswer.h"

#include <QApplication>
#include <QMessageBox>

namespace quillmorph::commandLine {

// A window program has no console to write to: the answer is a box, which needs the widgets.
std::unique_ptr<QCoreApplication> answeringApplication(int& argc, char** argv) {
    return std::make_unique<QApplication>(argc, argv);
}

void tell(const QString& answer, bool fault) {
    QMessageBox box(fault ? QMessageBox::Warning : QMessageBox::Information,
                    QStringLiteral("quillmorph"), answer.trimmed());
    // The help's columns line up only in a fixed font.
    if (answer.trimmed().contains(QLatin1Char('\n'))) {
        box.setTextFormat(Qt::RichText);
        box.setText(QStringLiteral("<pre>%1</pre>").arg(answer.trimmed().toHtmlEscaped()));
    }
    box.exec();
}

} // namespace quillmorph::commandLine
