// Test entry: one QApplication (offscreen unless a platform is given), the
// client's program folder pointed at the built installation (<build>/bin).
#include "ServerFixture.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("ZENTRY_PROGRAM_DIR", CServerFixture::BinDir().c_str());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
