#include <QApplication>
#include <gtest/gtest.h>

// One QApplication for every test program: core tests need Gui (QImage, fonts), window tests
// need widgets. QT_QPA_PLATFORM=offscreen is set by ctest.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavimo"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
