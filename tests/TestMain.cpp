#include "engine/ImagingEngine.h"

#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

#ifdef QUILLMORPH_TEST_ORC_GUARD
#include "OrcGuard.h"
#endif

namespace {

quillmorph::VectorCode vectorCode() {
#ifdef QUILLMORPH_TEST_ORC_GUARD
    return quillmorph::orcVectorCodeSafe() ? quillmorph::VectorCode::On
                                           : quillmorph::VectorCode::Off;
#else
    return quillmorph::VectorCode::Off; // no guard linked in
#endif
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The tests assert the Japanese texts the program is written in, whatever the desktop
    // they run on; the programs they start read LANGUAGE. The English ones install their
    // translation themselves.
    qputenv("LANGUAGE", "ja");
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QApplication app(argc, argv);
    if (!quillmorph::startImagingEngine(argv[0], vectorCode()))
        return 2;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
