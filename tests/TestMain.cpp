#include "ImagingEngine.h"

#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The tests assert the Japanese texts the program is written in, whatever the desktop
    // they run on; the programs they start read LANGUAGE. The English ones install their
    // translation themselves.
    qputenv("LANGUAGE", "ja");
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QApplication app(argc, argv);
    if (!quillmorph::startImagingEngine(argv[0]))
        return 2;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
