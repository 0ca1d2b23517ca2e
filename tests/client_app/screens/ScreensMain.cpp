// Entry of the screens test: the offscreen platform with one screen of
// 1280x800 pixels at 96 dpi, the size the client's windows are made for,
// and the client's program folder pointed at the built installation.
#include "ServerFixture.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QTemporaryDir dir;
    const QString config = dir.filePath("screen.json");
    QFile file(config);
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly)) return 2;
    file.write(R"({"screens": [{"name": "Screen", "x": 0, "y": 0, "width": 1280, "height": 800,)"
               R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
    qputenv("ZENTRY_PROGRAM_DIR", CServerFixture::BinDir().c_str());
    // User folders of its own: nothing an earlier run left is read.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath("cache")));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
