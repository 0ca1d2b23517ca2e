#include "ClientFolders.h"

#include "LogWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString FromEnv(const char* name) {
    const QByteArray value = qgetenv(name);
    return value.isEmpty() ? QString() : QDir::cleanPath(QString::fromLocal8Bit(value));
}

}  // namespace

QString CClientFolders::ProgramDir() {
    const QString forced = FromEnv("ZENTRY_PROGRAM_DIR");
    if (!forced.isEmpty()) return forced;
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n > 0) {
        buffer[n] = 0;
        return QFileInfo(QString::fromLocal8Bit(buffer)).absolutePath();
    }
    return QCoreApplication::applicationDirPath();
}

QString CClientFolders::ConfigDir() {
    const QString forced = FromEnv("ZENTRY_CONFIG_DIR");
    if (!forced.isEmpty()) return forced;
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

QString CClientFolders::CacheDir() {
    const QString forced = FromEnv("ZENTRY_CACHE_DIR");
    if (!forced.isEmpty()) return forced;
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
}

bool CClientFolders::UseLogFolder(const QString& cacheDir) {
    SetLogFileName(QFile::encodeName(cacheDir + QStringLiteral("/Zentry.log")).constData());
    return QDir().mkpath(cacheDir);
}

bool CClientFolders::MakePrivate(const QString& path) {
    return chmod(QFile::encodeName(path).constData(), 0600) == 0;
}

bool CClientFolders::Seed(const QString& programDir, const QString& configDir, QString& error) {
    if (!QDir().mkpath(configDir)) {
        error = QStringLiteral("cannot create %1").arg(configDir);
        return false;
    }
    for (const char* name : {"korvandix.ini", "login.ini"}) {
        const QString target = configDir + '/' + QLatin1String(name);
        const QString source = programDir + '/' + QLatin1String(name);
        if (!QFile::exists(target) && QFile::exists(source) && !QFile::copy(source, target)) {
            error = QStringLiteral("cannot copy %1 to %2").arg(source, target);
            return false;
        }
        if (QFile::exists(target)) MakePrivate(target);
    }
    return true;
}
