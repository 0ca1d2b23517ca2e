#include "LookupLists.h"

#include "CAppContext.h"
#include "CResultGrid.h"
#include "CTreeComboBox.h"
#include "DialogHelpers.h"
#include "QtText.h"

#include <QComboBox>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace LookupLists {

void FillUserTree(const CAppContext& context, CTreeComboBox& combo, bool withNone)
{
    combo.ClearNodes();
    combo.SetImageList(1020);
    if (withNone) combo.InsertNode(QStringLiteral("----------"), {}, 0, 3);
    const CResultSet& depts = context.m_depts;
    const CResultSet& users = context.m_users;
    for (int d = 0; d < depts.GetRowCount(); ++d) {
        const QString dept = ToQt(depts.GetValue(d, "dept_name"));
        QStringList members;
        for (int u = 0; u < users.GetRowCount(); ++u) {
            if (ToQt(users.GetValue(u, "dept_name")).compare(dept, Qt::CaseInsensitive) != 0)
                continue;
            members << QStringLiteral("%1 (%2)").arg(ToQt(users.GetValue(u, "user_name")),
                                                     ToQt(users.GetValue(u, "user_fullname")));
        }
        if (!members.isEmpty()) combo.InsertNode(dept, members, 0, 3);
    }
}

QString NamePart(const QString& text)
{
    const int bracket = text.indexOf(QLatin1Char('('));
    if (bracket < 0) return text;
    return text.left(bracket).trimmed();
}

QStringList ColumnNames(const CAppContext& context)
{
    QStringList names;
    for (int i = 0; i < context.m_columns.GetRowCount(); ++i)
        names << ToQt(context.m_columns.GetValue(i, "COLUMN_NAME"));
    return names;
}

void RenameGridColumns(const CResultSet& columns, CResultGrid& grid)
{
    CResultGridModel* model = grid.Model();
    for (int c = 0; c < model->columnCount(); ++c) {
        const QString before = model->Caption(c);
        QString caption = before;
        for (int i = 0; i < columns.GetRowCount(); ++i)
            if (ToQt(columns.GetValueAt(i, 0)).compare(before, Qt::CaseInsensitive) == 0)
                caption = ToQt(columns.GetValueAt(i, 1));
        if (before.startsWith(QLatin1Char('\''))) {
            caption = before;
            while (caption.startsWith(QLatin1Char('\''))) caption.remove(0, 1);
            while (caption.endsWith(QLatin1Char('\''))) caption.chop(1);
        }
        if (caption != before) model->SetCaption(c, caption);
    }
}

void ColourRowsByStatus(const CAppContext& context, CResultGrid& grid, int first, int last)
{
    const int column = grid.FieldColumn(QStringLiteral("BG_STATUS"));
    if (column < 0) return;
    CResultGridModel* model = grid.Model();
    for (int row = qMax(0, first); row <= last && row < model->rowCount(); ++row) {
        QColor colour;
        if (context.GetStatusColour(model->Text(row, column).trimmed(), colour))
            grid.SetRowTextColor(row, colour);
    }
}

void SelectOrKeep(QComboBox* combo, const QString& value)
{
    if (SelectComboText(combo, value, 0)) return;
    if (value.isEmpty()) {
        combo->setCurrentIndex(-1);
        return;
    }
    combo->addItem(value);
    combo->setCurrentIndex(combo->count() - 1);
}

QIcon AttachmentIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(70, 70, 90), 1.4));
    QPainterPath clip;
    clip.moveTo(10, 4);
    clip.lineTo(10, 12);
    clip.arcTo(6, 10, 4, 4, 0, -180);
    clip.lineTo(6, 3);
    clip.arcTo(6, 1, 6, 4, 180, -180);
    clip.lineTo(12, 11);
    painter.drawPath(clip);
    return QIcon(pixmap);
}

}  // namespace LookupLists
