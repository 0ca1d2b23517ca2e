// Helpers the client's panels and grids share over the cached metadata:
// the department/user tree, field captions of grid columns, row colours by
// status and the attachment mark.
#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

class CAppContext;
class QComboBox;
class CResultGrid;
class CResultSet;
class CTreeComboBox;

namespace LookupLists {

// Departments with their users ("name (full name)"); "----------" first
// when withNone is set. Departments without users are left out.
void FillUserTree(const CAppContext& context, CTreeComboBox& combo, bool withNone);
// The user name of a picked "name (full name)" text: the part before the
// first '(', trimmed; a text without '(' as it is.
QString NamePart(const QString& text);
// COLUMN_NAME of every configured defect column, in COLUMN_ORDER order.
QStringList ColumnNames(const CAppContext& context);
// Captions equal to a configured column name become that column's label;
// a caption in single quotes loses them.
void RenameGridColumns(const CResultSet& columns, CResultGrid& grid);
// Rows first..last coloured by their BG_STATUS value (found by name).
void ColourRowsByStatus(const CAppContext& context, CResultGrid& grid, int first, int last);
// Selects a stored value in a drop-down list (ignoring case); a value the
// list lacks is added and selected, so that a save keeps what was stored,
// and an empty one selects nothing.
void SelectOrKeep(QComboBox* combo, const QString& value);
// The 16x16 attachment mark (a paper clip).
QIcon AttachmentIcon();

}  // namespace LookupLists
