#include "LoginHistory.h"

#include "ClientFolders.h"

#include <QFile>
#include <QSaveFile>

namespace {

QStringList ReadLines(QFile& file) {
    QStringList lines;
    while (!file.atEnd()) {
        QByteArray raw = file.readLine(1025);
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        lines.append(line);
    }
    return lines;
}

}  // namespace

QStringList ReadLoginHistory(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    return ReadLines(file);
}

bool AddLoginHistory(const QString& path, const QString& entry) {
    QStringList lines;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
        lines = ReadLines(file);
    }
    for (const QString& line : lines)
        if (line.compare(entry, Qt::CaseInsensitive) == 0) return true;
    lines.append(entry);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    for (const QString& line : lines) out.write(line.toUtf8() + '\n');
    if (!out.commit()) return false;
    CClientFolders::MakePrivate(path);
    return true;
}
