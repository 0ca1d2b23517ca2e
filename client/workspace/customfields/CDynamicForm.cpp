#include "CDynamicForm.h"

#include "ClientFolders.h"
#include "CConfigFile.h"
#include "CListStringList.h"
#include "DesignControls.h"
#include "DialogHelpers.h"
#include "Helpers.h"
#include "QtText.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cstdlib>

using namespace FormStyles;

namespace {

// The number at the start of a piece, as the layouts were always read
// (leading blanks and a sign allowed; no digits: 0).
int LeadingInt(const QString& text) { return atoi(text.toUtf8().constData()); }

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool WriteFile(const QString& path, const QByteArray& bytes, QString& error) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

}  // namespace

CDynamicForm::CDynamicForm()
    : m_fontFace(QLatin1String(kDefaultFace)),
      m_formFont(m_fontFace, m_fontSize),
      m_layoutScratch(CClientFolders::ConfigDir() + "/layout.ini"),
      m_tempFolder(CClientFolders::CacheDir() + "/temp") {}

CDynamicForm::~CDynamicForm() { DestroyControls(); }

void CDynamicForm::SetScratchFiles(const QString& layoutFile, const QString& tempFolder) {
    m_layoutScratch = layoutFile;
    m_tempFolder = tempFolder;
}

void CDynamicForm::Message(const QString& text) {
    m_lastError = text;
    if (m_messageSink) m_messageSink(text);
}

int CDynamicForm::LoadLayoutFile(const QString& text, const QString& section) {
    if (!WriteFile(m_layoutScratch, text.toUtf8(), m_lastError)) return 0;
    return ParseLayout(m_layoutScratch, section);
}

void CDynamicForm::SetFontFromLayout(const QString& value) {
    const QStringList pieces = value.split(QLatin1Char(','));
    if (pieces.size() >= 2) {
        m_fontFace = pieces[0];
        m_fontSize = LeadingInt(pieces[1]);
        if (m_fontSize > 800 || m_fontSize < 5) m_fontSize = 15;
    }
    m_formFont = QFont(m_fontFace, m_fontSize);
}

int CDynamicForm::ParseLayout(const QString& path, const QString& section) {
    m_layoutPath = path;
    m_section = section;
    Clear();
    CConfigFile file;
    if (!file.Load(path.toUtf8().constData())) return 1;
    const QByteArray sectionBytes = section.toUtf8();
    CListStringList keyList;
    file.GetKeys(keyList, sectionBytes.constData());
    std::vector<std::pair<QString, QString>> entries;
    for (int i = 0; i < keyList.GetCount(); ++i) {
        const CListString key = keyList.GetCopyAt(i);
        entries.emplace_back(ToQt(key), ToQt(file.GetValue(key.CStr(), sectionBytes.constData())));
    }
    for (const auto& [key, value] : entries) {
        if (SameName(key, QLatin1String("start_base"))) {
            int n = LeadingInt(value);
            if (n < 1 || n > 37999) n = 6000;
            SetStartId(n);
        } else if (SameName(key, QLatin1String("title"))) {
            m_title = value;
        } else if (SameName(key, QLatin1String("font"))) {
            SetFontFromLayout(value);
        }
    }
    // Any line of seven pieces is a field, whatever its key; a line that
    // is not (title, font, a damaged line) adds nothing and the rest stands.
    for (const auto& [key, value] : entries) {
        const QStringList pieces = value.split(QLatin1Char(','));
        if (pieces.size() < 7) continue;
        CFormField field;
        field.m_name = key;
        field.m_label = QString(pieces[0]).replace(QLatin1String("^^"), QLatin1String(","));
        field.m_type = TypeFromName(pieces[1]);
        field.m_rect.left = LeadingInt(pieces[2]);
        field.m_rect.top = LeadingInt(pieces[3]);
        field.m_rect.right = field.m_rect.left + LeadingInt(pieces[4]);
        field.m_rect.bottom = field.m_rect.top + LeadingInt(pieces[5]);
        field.m_style = StyleFromText(pieces[6], field.m_type);
        field.m_controlId = -1;
        AddField(field);
    }
    return 1;
}

QString CDynamicForm::LayoutText() const {
    // Joined piece by piece: a label or title may hold "%1" itself.
    const QChar comma(QLatin1Char(','));
    QString text = QLatin1Char('[') + m_section + QLatin1String("]\ntitle=") + m_title +
                   QLatin1String("\nfont=") + m_fontFace + comma + QString::number(m_fontSize) +
                   QLatin1Char('\n');
    for (const CFormField& field : m_fields) {
        const CFormRect& r = field.m_rect;
        // A combo box's last number is its bottom, not its height.
        const int last = field.m_type == kComboBox ? r.bottom : r.bottom - r.top;
        text += field.m_name + QLatin1Char('=') +
                QString(field.m_label).replace(comma, QLatin1String("^^")) + comma +
                TypeName(field.m_type) + comma + QString::number(r.left) + comma +
                QString::number(r.top) + comma + QString::number(r.right - r.left) + comma +
                QString::number(last) + QLatin1String(",\n");
    }
    return text;
}

bool CDynamicForm::WriteLayout(const QString& path) {
    ReadBackPositions();
    return WriteFile(path.isEmpty() ? m_layoutPath : path, LayoutText().toUtf8(), m_lastError);
}

QString CDynamicForm::GetLayoutText() {
    const QString path = m_tempFolder + "/tmpstring.txt";
    if (!WriteLayout(path)) return QString();
    const CListString text = ReadTextLines(path.toUtf8().constData(), 1000);
    if (text.Compare("-1") == 0) {
        m_lastError = QStringLiteral("cannot read %1").arg(path);
        return QString();
    }
    return ToQt(text);
}

const CFormField* CDynamicForm::Find(const QString& name) const {
    for (const CFormField& field : m_fields)
        if (SameName(field.m_name, name)) return &field;
    return nullptr;
}

bool CDynamicForm::HasField(const QString& name) const { return Find(name) != nullptr; }

bool CDynamicForm::AddField(const CFormField& field) {
    if (HasField(field.m_name)) {
        Message(QStringLiteral("已经存在字段名:%1").arg(field.m_name));
        return false;
    }
    m_fields.push_back(field);
    CFormField& added = m_fields.back();
    if (added.m_controlId < 0) added.m_controlId = m_nextId++;
    if (added.m_style == 0) added.m_style = DefaultStyle(added.m_type);
    return true;
}

bool CDynamicForm::RemoveField(const QString& name) {
    const auto matches = [&name](const CFormField& field) { return SameName(field.m_name, name); };
    bool removed = false;
    for (CFormField& field : m_fields) {
        if (!matches(field)) continue;
        delete field.m_control.data();
        removed = true;
    }
    m_fields.erase(std::remove_if(m_fields.begin(), m_fields.end(), matches), m_fields.end());
    return removed;
}

QString CDynamicForm::GetFieldValue(const QString& name) const {
    const CFormField* field = Find(name);
    if (!field || !field->m_control) return QString();
    QWidget* control = field->m_control;
    switch (field->m_type) {
    case kText:
    case kStatic:
    case kButton:
        if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text();
        if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
        return QString();
    case kListBox:
        return GetListText(qobject_cast<QListWidget*>(control));
    case kComboBox:
        return GetComboText(qobject_cast<QComboBox*>(control));
    case kDateTime:
        if (auto* date = qobject_cast<QDateEdit*>(control))
            return date->date().toString(QStringLiteral("yyyy-MM-dd"));
        return QString();
    default:
        return QString();
    }
}

int CDynamicForm::SetFieldValue(const QString& name, const QString& value) {
    int type = kUnknownType;
    QWidget* control = FindControl(name, &type);
    if (!control || type == kUnknownType) return 0;
    switch (type) {
    case kText:
    case kStatic:
        if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->setText(value);
        else if (auto* label = qobject_cast<QLabel*>(control)) label->setText(value);
        break;
    case kListBox:
        SelectListText(qobject_cast<QListWidget*>(control), value, 0);
        break;
    case kComboBox:
        SelectComboText(qobject_cast<QComboBox*>(control), value, 0);
        break;
    case kDateTime: {
        // A stored date is shown, so saving the defect keeps it rather than
        // replacing it by today's date.
        const QDate date = QDate::fromString(value.left(10), QStringLiteral("yyyy-MM-dd"));
        if (date.isValid()) qobject_cast<QDateEdit*>(control)->setDate(date);
        break;
    }
    default:
        break;
    }
    return 1;
}

QWidget* CDynamicForm::FindControl(const QString& name, int* type) const {
    const CFormField* field = Find(name);
    if (!field || !field->m_control) return nullptr;
    if (type) *type = field->m_type;
    return field->m_control;
}

namespace {

void ApplyEditStyle(QLineEdit* edit, uint32_t style) {
    if (style & kEditReadOnly) edit->setReadOnly(true);
    if (style & kEditPassword) edit->setEchoMode(QLineEdit::Password);
    if (style & kEditCenter) edit->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
}

}  // namespace

void CDynamicForm::CreateControl(CFormField& field, QWidget* parent) {
    const CFormRect& r = field.m_rect;
    QRect geometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
    QWidget* control = nullptr;
    switch (field.m_type) {
    case kText: {
        auto* edit = new CDesignEdit(parent);
        edit->setText(field.m_label);
        ApplyEditStyle(edit, field.m_style);
        control = edit;
        break;
    }
    case kStatic:
        if (field.m_staticAsEdit) {
            auto* edit = new CDesignEdit(parent);
            edit->setText(field.m_label);
            ApplyEditStyle(edit, field.m_style | kEditReadOnly);
            control = edit;
        } else {
            auto* label = new CDesignStatic(parent);
            label->setText(field.m_label);
            control = label;
        }
        break;
    case kButton: {
        auto* button = new CDesignButton(parent);
        button->setText(field.m_label);
        control = button;
        break;
    }
    case kListBox:
        control = new CDesignListBox(parent);
        break;
    case kComboBox: {
        auto* combo = new CDesignComboBox(parent);
        combo->setEditable((field.m_style & kComboKindMask) != kComboDropDownList &&
                           (field.m_style & kComboKindMask) != 0);
        // The rectangle's height is the drop-down list's; the box itself
        // is one line high.
        const int line = combo->sizeHint().height();
        const int item = std::max(1, combo->fontMetrics().height() + 2);
        combo->setMaxVisibleItems(std::max(1, (geometry.height() - line) / item));
        geometry.setHeight(line);
        control = combo;
        break;
    }
    case kDateTime: {
        auto* date = new CDesignDateTimeCtrl(parent);
        date->setDate(QDate::currentDate());
        control = date;
        break;
    }
    default:
        return;
    }
    control->setObjectName(QString::number(field.m_controlId));
    control->setGeometry(geometry);
    if (field.m_style & kDisabled) control->setEnabled(false);
    if (CDesignGrip* grip = DesignGripOf(control)) grip->SetDesign(field.m_design);
    control->setVisible((field.m_style & kVisible) != 0);
    field.m_control = control;
}

int CDynamicForm::CreateControls(QWidget* parent) {
    if (!parent) return 0;
    DestroyControls();
    m_parent = parent;
    // The controls take the parent's font; the layout's face and size are
    // kept for the text only.
    m_formFont = parent->font();
    for (CFormField& field : m_fields) CreateControl(field, parent);
    parent->update();
    m_controlsCreated = 1;
    return 1;
}

void CDynamicForm::DestroyControls() {
    for (CFormField& field : m_fields) {
        delete field.m_control.data();
        field.m_control = nullptr;
    }
    m_controlsCreated = 0;
}

void CDynamicForm::SetDesignMode(int on) {
    for (CFormField& field : m_fields) {
        field.m_design = on;
        field.m_staticAsEdit = on;
        if (CDesignGrip* grip = DesignGripOf(field.m_control)) grip->SetDesign(on);
    }
    m_design = on;
}

int CDynamicForm::ReadBackPositions() {
    if (!m_parent) return 0;
    for (CFormField& field : m_fields) {
        if (!field.m_control) continue;
        const QRect g = field.m_control->geometry();
        field.m_rect.left = g.x();
        field.m_rect.top = g.y();
        field.m_rect.right = g.x() + g.width();
        field.m_rect.bottom = field.m_type == kComboBox ? 220 : g.y() + g.height();
    }
    return 1;
}

void CDynamicForm::Clear() {
    DestroyControls();
    m_fields.clear();
    m_fontFace = QLatin1String(kDefaultFace);
    m_fontSize = 15;
}

void CDynamicForm::SetStartId(int n) {
    m_startId = n;
    m_nextId = n + 1;
}
