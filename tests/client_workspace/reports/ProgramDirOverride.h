// The client's program folder points elsewhere while this lives.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

class CProgramDirOverride {
public:
    explicit CProgramDirOverride(const QString& folder) : m_old(qgetenv("ZENTRY_PROGRAM_DIR")) {
        qputenv("ZENTRY_PROGRAM_DIR", QFile::encodeName(folder));
    }
    ~CProgramDirOverride() { qputenv("ZENTRY_PROGRAM_DIR", m_old); }
    CProgramDirOverride(const CProgramDirOverride&) = delete;
    CProgramDirOverride& operator=(const CProgramDirOverride&) = delete;

private:
    QByteArray m_old;
};
