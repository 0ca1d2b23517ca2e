#include "CLayoutDesignDlg.h"

#include "CAppContext.h"
#include "CLocalizer.h"
#include "ClientIds.h"
#include "CustomFieldIds.h"
#include "DialogHelpers.h"
#include "QtText.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

using namespace CustomFieldIds;
using namespace FormStyles;

namespace {

const char kSection[] = "tessaro";

QTableWidget* MakeGrid(int id, QWidget* parent) {
    auto* grid = new QTableWidget(parent);
    grid->setObjectName(QString::number(id));
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->horizontalHeader()->hide();
    grid->horizontalHeader()->setMinimumSectionSize(1);
    grid->setFixedWidth(150);
    return grid;
}

// The type and rectangle a column's edit style places it with.
void PlacedShape(const QString& editStyle, int& type, CFormRect& rect) {
    if (editStyle.compare(QLatin1String("TextBox"), Qt::CaseInsensitive) == 0) {
        type = kText;
        rect = {0, 20, 100, 40};
    } else if (editStyle.compare(QLatin1String("ComboBox"), Qt::CaseInsensitive) == 0) {
        type = kComboBox;
        rect = {0, 20, 160, 120};
    } else if (editStyle.compare(QLatin1String("ListBox"), Qt::CaseInsensitive) == 0) {
        type = kListBox;
        rect = {0, 20, 160, 120};
    } else {
        type = kStatic;
        rect = {0, 20, 100, 40};
    }
}

// Where a new field with its caption (size w by h, from the top left)
// goes on a form of that size: in the first column of fields from the
// left that has room below its lowest field, else in a new column beside
// the rightmost one; a form without room anywhere gets it in its top left
// corner.
QPoint FreePlace(const std::vector<CFormField>& fields, int w, int h, const QSize& form) {
    const int gap = 8;
    int x = 0;
    while (x + w <= form.width()) {
        int y = 0;
        int right = -1;
        for (const CFormField& field : fields) {
            // Where it shows: a combo box's rectangle keeps its list's
            // height, not its place.
            const QRect shown = field.m_control
                                    ? field.m_control->geometry()
                                    : QRect(QPoint(field.m_rect.left, field.m_rect.top),
                                            QPoint(field.m_rect.right - 1, field.m_rect.bottom - 1));
            if (shown.right() < x || shown.left() >= x + w) continue;
            y = std::max(y, shown.bottom() + 1 + gap);
            right = std::max(right, shown.right() + 1);
        }
        if (y + h <= form.height()) return QPoint(x, y);
        if (right < 0) break;
        x = right + gap;
    }
    return QPoint(0, 0);
}

}  // namespace

CLayoutDesignDlg::CLayoutDesignDlg(CAppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName(QStringLiteral("CLayoutDesignDlg"));
    CLocalizer::Tag(this, LayoutDesignDlg);
    auto button = [this](int id, const char* text) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::number(id));
        b->setAutoDefault(false);
        return b;
    };
    m_clear = button(ButtonClear, "Clear");
    m_placed = MakeGrid(GridPlaced, this);
    m_refresh = button(ButtonRefresh, "Refresh");
    m_modify = button(ButtonModify, "Modify");
    m_changeMode = button(ButtonChangeMode, "Change Mode");
    m_available = MakeGrid(GridAvailable, this);
    // The fields are drawn on their own area, left of the grids and buttons.
    m_canvas = new QWidget(this);
    m_canvas->setObjectName(QStringLiteral("canvas"));
    m_canvas->setMinimumSize(560, 440);
    m_canvas->setAutoFillBackground(true);

    auto* side = new QVBoxLayout;
    side->addWidget(m_placed, 1);
    side->addWidget(m_available, 1);
    auto* buttons = new QGridLayout;
    buttons->addWidget(m_changeMode, 0, 0);
    buttons->addWidget(m_refresh, 0, 1);
    buttons->addWidget(m_modify, 1, 0);
    buttons->addWidget(m_clear, 1, 1);
    side->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_canvas, 1);
    layout->addLayout(side);

    m_form.SetScratchFiles(context.m_configDir + "/layout.ini", context.TempDir());
    m_form.SetMessageSink([this](const QString& text) { m_context.ShowMessage(text); });
    connect(m_available, &QTableWidget::cellDoubleClicked, this, &CLayoutDesignDlg::PlaceField);
    connect(m_placed, &QTableWidget::cellDoubleClicked, this, &CLayoutDesignDlg::RemovePlacedField);
    connect(m_changeMode, &QPushButton::clicked, this, &CLayoutDesignDlg::OnChangeMode);
    connect(m_modify, &QPushButton::clicked, this, &CLayoutDesignDlg::OnSave);
    connect(m_clear, &QPushButton::clicked, this, &CLayoutDesignDlg::OnClear);
    connect(m_refresh, &QPushButton::clicked, this, [this] {
        // What could not be read is tried again.
        if (!m_columnsRead || m_context.m_prjLayoutFailed) ReadColumns();
        update();
    });
    OnInitDialog();
}

void CLayoutDesignDlg::SetTexts() {
    for (QPushButton* b : {m_modify, m_clear, m_refresh}) {
        const QString text = m_context.Text(b->objectName().toInt());
        if (!text.isEmpty()) b->setText(text);
    }
    const QString title = m_context.Text(LayoutDesignDlg);
    if (!title.isEmpty()) setWindowTitle(title);
    const QString mode = m_context.Text(m_form.IsDesignMode() ? TextToRunMode : TextToDesignMode);
    if (!mode.isEmpty()) m_changeMode->setText(mode);
}

bool CLayoutDesignDlg::OnInitDialog() {
    SetTexts();
    ApplyDialogLook(this, m_context);
    ApplyButtonFace(m_context, {m_clear, m_refresh, m_modify, m_changeMode});
    return ReadColumns();
}

bool CLayoutDesignDlg::ReadColumns() {
    if (!m_columnsRead && m_context.RunSelect("select USER_LABEL,column_name,edit_style from t_cfg_sys_list where "
                                              "column_name like 'BG_USER_%' order by COLUMN_ORDER ",
                                              m_columns) < 0) {
        m_columns.Clear();
        m_readError = ToQt(m_context.m_lastError);
        return false;
    }
    m_columnsRead = true;
    // A project whose layout could not be read has it read now: the form
    // must never stand for a layout it does not hold.
    if (m_context.m_prjLayoutFailed && !m_context.ReadProjectLayout()) {
        m_readError = ToQt(m_context.m_lastError);
        return false;
    }
    FillFieldLists();
    m_form.LoadLayoutFile(m_context.m_prjCustomField, kSection);
    m_form.CreateControls(m_canvas);
    return true;
}

void CLayoutDesignDlg::FillFieldLists() {
    for (QTableWidget* grid : {m_placed, m_available}) {
        grid->setRowCount(0);
        grid->setColumnCount(0);
    }
    if (m_columns.GetRowCount() <= 0) return;
    for (QTableWidget* grid : {m_placed, m_available}) {
        grid->setColumnCount(3);
        grid->setColumnWidth(0, 120);
        grid->setColumnWidth(1, 1);
        grid->setColumnWidth(2, 1);
    }
    const QStringList lines = m_context.m_prjCustomField.split(QLatin1Char('\n'));
    for (int row = 0; row < m_columns.GetRowCount(); ++row) {
        const QString label = ToQt(m_columns.GetValueAt(row, 0));
        const QString column = ToQt(m_columns.GetValueAt(row, 1));
        const QString style = ToQt(m_columns.GetValueAt(row, 2));
        bool placed = false;
        for (const QString& line : lines) {
            const QStringList pieces = line.split(QLatin1Char('='));
            if (pieces.size() >= 2 && pieces[0].compare(column, Qt::CaseInsensitive) == 0) {
                placed = true;
                break;
            }
        }
        QTableWidget* grid = placed ? m_placed : m_available;
        const int at = grid->rowCount();
        grid->insertRow(at);
        grid->setItem(at, 0, new QTableWidgetItem(label));
        grid->setItem(at, 1, new QTableWidgetItem(column));
        grid->setItem(at, 2, new QTableWidgetItem(style));
    }
}

bool CLayoutDesignDlg::TakeLayoutText() {
    const QString text = m_form.GetLayoutText();
    if (text.isEmpty()) {
        m_context.ShowMessage(m_form.GetLastError());
        return false;
    }
    m_context.m_prjCustomField = text;
    return true;
}

void CLayoutDesignDlg::PlaceField() {
    m_form.ReadBackPositions();
    const int row = m_available->currentRow();
    if (row < 0 || m_available->columnCount() < 3) return;
    const QString label = m_available->item(row, 0)->text();
    const QString column = m_available->item(row, 1)->text();
    const QString editStyle = m_available->item(row, 2)->text();
    if (m_form.HasField(column)) return;
    CFormField field;
    field.m_name = column;
    field.m_label = label;
    PlacedShape(editStyle, field.m_type, field.m_rect);
    CFormField caption(column + QLatin1String("_ST"), label + QLatin1Char(':'), kStatic,
                       {0, 0, field.m_rect.right, 20});
    // Below (or beside) the fields already there, never on top of them.
    const QPoint at = FreePlace(m_form.Fields(), field.m_rect.right, field.m_rect.bottom,
                                m_canvas->size().expandedTo(m_canvas->minimumSize()));
    for (CFormRect* rect : {&field.m_rect, &caption.m_rect}) {
        rect->left += at.x();
        rect->right += at.x();
        rect->top += at.y();
        rect->bottom += at.y();
    }
    m_form.AddField(field);
    m_form.AddField(caption);
    m_form.DestroyControls();
    m_form.CreateControls(m_canvas);
    TakeLayoutText();
    update();
    FillFieldLists();
}

void CLayoutDesignDlg::RemovePlacedField() {
    m_form.ReadBackPositions();
    const int row = m_placed->currentRow();
    if (row < 0 || m_placed->columnCount() < 3) return;
    const QString column = m_placed->item(row, 1)->text();
    if (!m_form.HasField(column)) return;
    m_form.RemoveField(column);
    m_form.RemoveField(column + QLatin1String("_ST"));
    TakeLayoutText();
    update();
    FillFieldLists();
}

void CLayoutDesignDlg::OnChangeMode() {
    m_form.SetDesignMode(m_form.IsDesignMode() ? 0 : 1);
    const QString mode = m_context.Text(m_form.IsDesignMode() ? TextToRunMode : TextToDesignMode);
    if (!mode.isEmpty()) m_changeMode->setText(mode);
    update();
}

bool CLayoutDesignDlg::RefusedUnread() {
    if (m_columnsRead && !m_context.m_prjLayoutFailed) return false;
    // The form does not hold the project's layout: storing it would wipe it.
    const int reason = m_columnsRead ? ids::kMsgLayoutNotRead : MsgColumnsNotRead;
    m_context.ShowMessage(m_context.Text(reason) + QLatin1Char('\n') + m_readError);
    return true;
}

bool CLayoutDesignDlg::OnSave() {
    if (RefusedUnread()) return false;
    const QString text = m_form.GetLayoutText();
    if (text.isEmpty()) {
        m_context.ShowMessage(m_form.GetLastError());
        return false;
    }
    const QString sql = QStringLiteral("update t_prj set PRJ_CUSTOM_FIELD=:clCustom<varchar_long> "
                                       "where prj_name='%1'")
                            .arg(CAppContext::Quoted(m_context.m_currentProject));
    m_context.SetBusy(1);
    // A layout sent in part is never stored: the update runs only after
    // every piece arrived.
    const bool sent = m_context.m_http.UploadLongParam(text.toUtf8().constData(), "clCustom", 1, 3000);
    const bool stored = sent && m_context.m_http.ExecSqlGo(sql.toUtf8().constData(), m_context.m_lastError);
    m_context.SetBusy(0);
    if (!sent) {
        m_context.ShowMessage(m_context.Text(MsgLayoutNotSent) + QLatin1Char(' ') +
                              ToQt(m_context.m_http.GetErrorText()));
        return false;
    }
    if (!stored) {
        m_context.ShowMessage(ToQt(m_context.m_lastError));
        return false;
    }
    m_context.m_prjCustomField = text;
    return true;
}

void CLayoutDesignDlg::OnClear() {
    if (RefusedUnread()) return;
    if (!m_context.AskYesNo(m_context.Text(MsgQuestion))) return;
    m_form.DestroyControls();
    m_form.Clear();
    OnSave();
}
