#include "DialogHelpers.h"

#include "CAppContext.h"
#include "QtText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QMessageBox>
#include <QStyle>
#include <QWidget>

namespace {

const char kNoChoice[] = "----------";

int FieldIndex(const CResultSet& result, const char* field) { return result.FindField(field); }

}  // namespace

int FillComboFromResult(CResultSet result, const char* field, QComboBox* combo, int withNone,
                        int position) {
    if (!combo) return 0;
    combo->clear();
    if (withNone && position == 0) combo->addItem(kNoChoice);
    const int index = FieldIndex(result, field);
    for (int row = 0; row < result.GetRowCount() && index >= 0; ++row)
        combo->addItem(ToQt(result.GetValueAt(row, index)));
    if (withNone && position != 0) combo->addItem(kNoChoice);
    return 1;
}

int FillListFromResult(CResultSet result, const char* field, QListWidget* list) {
    if (!list) return 0;
    list->clear();
    const int index = FieldIndex(result, field);
    for (int row = 0; row < result.GetRowCount() && index >= 0; ++row)
        list->addItem(ToQt(result.GetValueAt(row, index)));
    return 1;
}

QString GetComboText(const QComboBox* combo) {
    if (!combo || combo->currentIndex() < 0) return QString();
    return combo->currentText();
}

QString GetListText(const QListWidget* list) {
    if (!list || !list->currentItem() || !list->currentItem()->isSelected()) return QString();
    return list->currentItem()->text();
}

int SelectComboText(QComboBox* combo, const QString& text, int matchCase) {
    if (!combo) return 0;
    const Qt::CaseSensitivity cs = matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).compare(text, cs) == 0) {
            combo->setCurrentIndex(i);
            return 1;
        }
    }
    return 0;
}

int SelectListText(QListWidget* list, const QString& text, int matchCase) {
    if (!list) return 0;
    const Qt::CaseSensitivity cs = matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->text().compare(text, cs) == 0) {
            list->setCurrentRow(i);
            return 1;
        }
    }
    return 0;
}

namespace {

// Sets the text of the kinds of item a dialog holds; false for others.
bool SetItemText(QWidget* item, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(item)) edit->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(item)) label->setText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(item)) plain->setPlainText(text);
    else if (auto* rich = qobject_cast<QTextEdit*>(item)) rich->setPlainText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(item)) combo->setCurrentText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(item)) button->setText(text);
    else return false;
    return true;
}

QWidget* DialogItem(QWidget* dialog, int id) {
    return dialog ? dialog->findChild<QWidget*>(QString::number(id)) : nullptr;
}

}  // namespace

int SetDlgItemFromResult(QWidget* dialog, int id, const CResultSet& result, const char* field) {
    QWidget* item = DialogItem(dialog, id);
    if (!item) return 0;
    const QString text = result.GetRowCount() > 0 ? ToQt(result.GetValue(0, field)) : QString();
    return SetItemText(item, text) ? 1 : 0;
}

int ClearDlgItemText(QWidget* dialog, int id) {
    QWidget* item = DialogItem(dialog, id);
    if (!item) return 0;
    return SetItemText(item, QString()) ? 1 : 0;
}

QString VariantToText(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::Char:
    case QMetaType::SChar:
        return QString::number(value.toInt());
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return QString::number(value.toLongLong());
    case QMetaType::Float:
    case QMetaType::Double:
        return QString::asprintf("%f", value.toDouble());
    case QMetaType::QDate:
    case QMetaType::QDateTime: {
        const QDate date = value.toDate();
        return QLocale::c().toString(date, "dddd,MMMM,dd,yyyy");
    }
    case QMetaType::QString:
        return value.toString();
    case QMetaType::Bool:
        return value.toBool() ? "-1" : "0";
    default:
        return QString();
    }
}

QDateTime TextToDateTime(const QString& text) {
    if (text.size() > 7) {
        const QString trimmed = text.trimmed();
        for (const char* format : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd",
                                   "yyyy/MM/dd HH:mm:ss", "yyyy/MM/dd"}) {
            const QDateTime value = QDateTime::fromString(trimmed, QLatin1String(format));
            if (value.isValid()) return value;
        }
    }
    return QDateTime::currentDateTime();
}

QString DateTimeToText(const QDateTime& value, int withTime) {
    return value.toString(withTime ? "yyyy-MM-dd HH:mm:ss" : "yyyy-MM-dd");
}

qint64 GetFolderSize(const QString& folder) {
    qint64 total = 0;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System))
        total += info.size();
    return total;
}

void ShowNumber(int number) {
    QMessageBox::information(QApplication::activeWindow(), QString(), QString::number(number));
}

void ApplyDialogLook(QWidget* dialog, const CAppContext& context) {
    if (!dialog) return;
    if (context.m_fillBackground == 1) {
        QPalette palette = dialog->palette();
        palette.setColor(QPalette::Window, context.m_bgColor);
        dialog->setPalette(palette);
        dialog->setAutoFillBackground(true);
    }
}

void ApplyButtonFace(const CAppContext& context, std::initializer_list<QAbstractButton*> buttons) {
    for (QAbstractButton* button : buttons) {
        if (!button) continue;
        QPalette palette = button->palette();
        palette.setColor(QPalette::Button, context.m_fillBackground == 1
                                               ? context.m_bgColor
                                               : QApplication::palette().color(QPalette::Button));
        button->setPalette(palette);
        button->update();
    }
}

void SetOkIcon(QAbstractButton* button) {
    if (button) button->setIcon(button->style()->standardIcon(QStyle::SP_DialogOkButton));
}

void SetCancelIcon(QAbstractButton* button) {
    if (button) button->setIcon(button->style()->standardIcon(QStyle::SP_DialogCancelButton));
}
