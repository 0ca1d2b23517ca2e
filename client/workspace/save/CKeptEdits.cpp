#include "CKeptEdits.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

CKeptEdits::CKeptEdits(const QString& folder)
{
    // Without the user's folder there is nowhere to keep anything.
    if (!folder.isEmpty()) m_path = QDir(folder).filePath(QStringLiteral("unsaved_edits.json"));
}

QVector<KeptDefect> CKeptEdits::Load()
{
    m_error.clear();
    QVector<KeptDefect> defects;
    QFile file(m_path);
    if (m_path.isEmpty() || !file.exists()) return defects;
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = file.errorString();
        return defects;
    }
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parse);
    if (parse.error != QJsonParseError::NoError || !document.isObject()) {
        m_error = QStringLiteral("%1: %2").arg(m_path, parse.errorString());
        return defects;
    }
    for (const QJsonValue& entry : document.object().value(QStringLiteral("defects")).toArray()) {
        const QJsonObject object = entry.toObject();
        KeptDefect defect;
        defect.id = object.value(QStringLiteral("id")).toInt();
        for (const QJsonValue& value : object.value(QStringLiteral("fields")).toArray()) {
            const QJsonObject field = value.toObject();
            defect.fields << KeptField{field.value(QStringLiteral("column")).toString(),
                                       field.value(QStringLiteral("caption")).toString(),
                                       field.value(QStringLiteral("stored")).toString(),
                                       field.value(QStringLiteral("text")).toString()};
        }
        if (defect.id > 0 && !defect.fields.isEmpty()) defects << defect;
    }
    return defects;
}

bool CKeptEdits::LoadOthers(int id, QVector<KeptDefect>& defects)
{
    defects = Load();
    if (!m_error.isEmpty()) return false;  // never written over unread
    for (int i = defects.size() - 1; i >= 0; --i)
        if (defects[i].id == id) defects.remove(i);
    return true;
}

bool CKeptEdits::Add(const KeptDefect& defect)
{
    QVector<KeptDefect> defects;
    if (!LoadOthers(defect.id, defects)) return false;
    defects << defect;
    return Save(defects);
}

bool CKeptEdits::Remove(int id)
{
    QVector<KeptDefect> defects;
    if (!LoadOthers(id, defects)) return false;
    if (!defects.isEmpty()) return Save(defects);
    if (QFile::exists(m_path) && !QFile::remove(m_path)) {
        m_error = QStringLiteral("%1 cannot be removed").arg(m_path);
        return false;
    }
    return true;
}

bool CKeptEdits::Save(const QVector<KeptDefect>& defects)
{
    if (m_path.isEmpty()) {
        m_error = QStringLiteral("no user folder to keep the text in");
        return false;
    }
    QJsonArray list;
    for (const KeptDefect& defect : defects) {
        QJsonArray fields;
        for (const KeptField& f : defect.fields)
            fields.append(QJsonObject{{QStringLiteral("column"), f.column},
                                      {QStringLiteral("caption"), f.caption},
                                      {QStringLiteral("stored"), f.stored},
                                      {QStringLiteral("text"), f.text}});
        list.append(QJsonObject{{QStringLiteral("id"), defect.id}, {QStringLiteral("fields"), fields}});
    }
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    // The user's own text: readable by the user only, replaced whole.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(QJsonDocument(QJsonObject{{QStringLiteral("defects"), list}}).toJson()) < 0 ||
        !file.commit()) {
        m_error = QStringLiteral("%1: %2").arg(m_path, file.errorString());
        return false;
    }
    return true;
}
