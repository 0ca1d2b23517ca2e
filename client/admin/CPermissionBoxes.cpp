#include "CPermissionBoxes.h"

#include "AdminCommon.h"
#include "CAppContext.h"
#include "DialogHelpers.h"
#include "QtText.h"
#include "RightsString.h"

#include <QCheckBox>
#include <QPushButton>

#include <algorithm>

namespace {
constexpr int kMaxBoxes = 60;
const int kCommandIds[3] = {3094, 3095, 3098};
const char* const kCommandTexts[3] = {"Add Defect", "Delete Defect", "System Management"};
}  // namespace

CPermissionBoxes::CPermissionBoxes(CAppContext& context, QWidget* parent)
    : QDialog(parent), m_fieldCount(0), m_boxHeight(19), m_boxWidth(130), m_context(context),
      m_clicked(3 + kMaxBoxes, false)
{
    for (int i = 0; i < 3; ++i) {
        m_commandBoxes[i] = WithId(new QCheckBox(QString::fromLatin1(kCommandTexts[i]), this), kCommandIds[i]);
        connect(m_commandBoxes[i], &QCheckBox::clicked, this, [this, i] { m_clicked[i] = true; });
    }
    m_checkAll = WithId(new QPushButton(QStringLiteral("Check All"), this), 3100);
    m_uncheckAll = WithId(new QPushButton(QStringLiteral("Uncheck All"), this), 3101);
    m_save = WithId(new QPushButton(QStringLiteral("Save"), this), 3099);
    connect(m_checkAll, &QPushButton::clicked, this, &CPermissionBoxes::OnCheckAll);
    connect(m_uncheckAll, &QPushButton::clicked, this, &CPermissionBoxes::OnUncheckAll);
    setMinimumSize(430, 535);
    ApplyDialogLook(this, context);
    ApplyButtonFace(context, {m_checkAll, m_uncheckAll, m_save});
}

void CPermissionBoxes::showEvent(QShowEvent* event)
{
    const int right =
        std::max(PlaceRow({m_commandBoxes[0], m_commandBoxes[1], m_commandBoxes[2]}, {5, 140, 285}, 10, m_boxHeight, 135),
                 PlaceRow({m_checkAll, m_uncheckAll, m_save}, {5, 110, 320}, 500, 26, 100));
    setMinimumWidth(std::max(minimumWidth(), right));
    QDialog::showEvent(event);
}

int CPermissionBoxes::PlaceRow(std::initializer_list<QWidget*> controls, std::initializer_list<int> xs, int y,
                                int height, int width)
{
    // Each control at its place or, when the one before it needs more room
    // for its caption, right after that one.
    int next = 0;
    auto x = xs.begin();
    for (QWidget* control : controls) {
        const int left = std::max(*x++, next);
        const int wide = std::max(width, control->sizeHint().width());
        control->setGeometry(left, y, wide, height);
        next = left + wide + 5;
    }
    return next;
}

QPoint CPermissionBoxes::BoxPosition(int index)
{
    static const int columnX[3] = {5, 140, 280};
    return QPoint(columnX[(index / 20) % 3], 68 + (index % 20) * 21);
}

bool CPermissionBoxes::CreateFieldBoxes()
{
    if (!m_fieldBoxes.empty()) return true;  // created once per dialog
    CResultSet result;
    const int rows = AdminSelect(m_context,
        QStringLiteral("select USER_LABEL,column_order,is_used from T_CFG_SYS_LIST "
                       "where TABLE_NAME='T_BUG' order by column_order"), result);
    if (rows <= 0) return false;
    m_fieldCount = rows;
    if (rows > kMaxBoxes) return true;  // more fields than the dialog has room for
    for (int i = 0; i < rows; ++i) {
        auto* box = new QCheckBox(ToQt(result.GetValue(i, "USER_LABEL")), this);
        box->setObjectName(QString::number(7000 + i));
        box->setGeometry(QRect(BoxPosition(i), QSize(m_boxWidth, m_boxHeight)));
        QFont font(QStringLiteral("Microsoft Sans Serif"));
        font.setPixelSize(16 * 3 / 4);
        box->setFont(font);
        if (ToQt(result.GetValue(i, "IS_USED")) == QLatin1String("0")) box->setEnabled(false);
        connect(box, &QCheckBox::clicked, this, [this, i] {
            m_clicked[3 + i] = true;
            OnFieldBoxClicked(i);
        });
        box->show();
        m_fieldBoxes.push_back(box);
    }
    return true;
}

void CPermissionBoxes::ShowDigits(const QString& digits, bool changeReading)
{
    std::fill(m_clicked.begin(), m_clicked.end(), false);
    for (int i = 0; i < 3; ++i)
        m_commandBoxes[i]->setChecked(i < digits.size() && digits[i] != '0');
    for (size_t i = 0; i < m_fieldBoxes.size(); ++i) {
        const int position = rights::kFirstField + static_cast<int>(i);
        const bool ticked = changeReading ? (position < digits.size() && digits[position] == '3')
                                          : rights::Granted(digits, position);
        m_fieldBoxes[i]->setChecked(ticked);
    }
}

QString CPermissionBoxes::ComposeDigits(const QString& stored) const
{
    int commands[3];
    for (int i = 0; i < 3; ++i) commands[i] = m_clicked[i] ? (m_commandBoxes[i]->isChecked() ? 1 : 0) : -1;
    std::vector<int> fields;
    for (size_t i = 0; i < m_fieldBoxes.size(); ++i)
        fields.push_back(m_clicked[3 + i] ? (m_fieldBoxes[i]->isChecked() ? 1 : 0) : -1);
    return rights::Compose(stored, commands, fields);
}

void CPermissionBoxes::SetAllFields(bool ticked)
{
    for (size_t i = 0; i < m_fieldBoxes.size(); ++i) {
        if (!m_fieldBoxes[i]->isEnabled()) continue;
        m_fieldBoxes[i]->setChecked(ticked);
        m_clicked[3 + i] = true;
    }
}

void CPermissionBoxes::OnCheckAll() { SetAllFields(true); }
void CPermissionBoxes::OnUncheckAll() { SetAllFields(false); }
