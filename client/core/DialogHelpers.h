// Helpers the client's dialogs share: filling and reading combo boxes and
// lists from result sets, date texts, folder sizes, and the common look of
// dialogs (background fill, button faces, OK and Cancel icons).
#pragma once

#include "CResultSet.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <initializer_list>

class QAbstractButton;
class QComboBox;
class QListWidget;
class QWidget;
class CAppContext;

// Empties the combo, then adds the field of every row; with withNone set
// adds "----------" first (position 0) or last (position 1). 0 without combo.
int FillComboFromResult(CResultSet result, const char* field, QComboBox* combo, int withNone,
                        int position);
int FillListFromResult(CResultSet result, const char* field, QListWidget* list);
QString GetComboText(const QComboBox* combo);
QString GetListText(const QListWidget* list);
// Selects the first entry equal to text (exact with matchCase, else ignoring
// case); 1 when found, 0 otherwise (the selection is unchanged).
int SelectComboText(QComboBox* combo, const QString& text, int matchCase);
int SelectListText(QListWidget* list, const QString& text, int matchCase);
// The item of the dialog whose object name is the id gets the field's value
// of the first row (empty without rows); 0 when there is no such item.
int SetDlgItemFromResult(QWidget* dialog, int id, const CResultSet& result, const char* field);
int ClearDlgItemText(QWidget* dialog, int id);
// A grid cell's value as text: whole numbers "%d", reals "%f", dates as
// "weekday,month,day,year", booleans -1 or 0, texts as they are; "" else.
QString VariantToText(const QVariant& value);
// Texts longer than 7 characters are read as a date (and time); shorter
// ones, and texts that are no date, give the current date and time.
QDateTime TextToDateTime(const QString& text);
QString DateTimeToText(const QDateTime& value, int withTime);
// Sum of the sizes of the folder's files (not its sub-folders); 0 when missing.
qint64 GetFolderSize(const QString& folder);
void ShowNumber(int number);

// The look every client dialog takes from the context: the background
// colour when fill_background is 1, the button face colour.
void ApplyDialogLook(QWidget* dialog, const CAppContext& context);
void ApplyButtonFace(const CAppContext& context, std::initializer_list<QAbstractButton*> buttons);
void SetOkIcon(QAbstractButton* button);
void SetCancelIcon(QAbstractButton* button);
