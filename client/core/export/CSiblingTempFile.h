// CSiblingTempFile: an empty file made beside a target under a hidden,
// unique name, for writing a replacement that is renamed over the target
// only when it is whole. Removed on destruction unless it was moved.
#pragma once

#include <QByteArray>
#include <QString>

class CSiblingTempFile {
public:
    explicit CSiblingTempFile(const QString& target);
    ~CSiblingTempFile();
    CSiblingTempFile(const CSiblingTempFile&) = delete;
    CSiblingTempFile& operator=(const CSiblingTempFile&) = delete;

    bool IsOpen() const { return !m_path.isEmpty(); }
    // The local path, for libraries that open files by name.
    const QByteArray& Path() const { return m_path; }
    // Renames the file over the target; afterwards it is not removed.
    bool MoveOverTarget();
    const QString& LastError() const { return m_lastError; }

private:
    QString m_target;
    QByteArray m_path;
    QString m_lastError;
};
