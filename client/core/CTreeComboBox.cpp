#include "CTreeComboBox.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>
#include <QTextBlock>

#include <algorithm>

namespace {

constexpr int kArrowWidth = 16;
constexpr int kTreeHeight = 220;
constexpr int kMaxLines = 256;

// Lines of a text split at CR and LF, empty ones dropped.
QStringList SplitLines(const QString& text)
{
    QStringList lines;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("[\r\n]")),
                                          Qt::SkipEmptyParts))
        lines << line;
    return lines;
}

}  // namespace

// ---------------------------------------------------------------- edit part

CTreeComboEdit::CTreeComboEdit(CTreeComboBox* combo, bool multiLine)
    : QPlainTextEdit(combo), m_combo(combo)
{
    setFrameShape(QFrame::NoFrame);
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setTabChangesFocus(true);
    if (!multiLine) {
        setLineWrapMode(QPlainTextEdit::NoWrap);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        document()->setDocumentMargin(1);
    } else {
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    connect(this, &QPlainTextEdit::textChanged, this, [this]() {
        setToolTip(toPlainText());
    });
}

void CTreeComboEdit::SetEditable(bool editable)
{
    m_editable = editable;
    setReadOnly(!editable);
    setTextInteractionFlags(editable ? Qt::TextEditorInteraction
                                     : Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void CTreeComboEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier)) {
        m_combo->ToggleTree();
        return;
    }
    m_combo->CloseTree();
    // A single-line edit keeps one line: Enter goes to the dialog.
    if (!m_combo->IsMultiLine() && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CTreeComboEdit::mousePressEvent(QMouseEvent* event)
{
    m_combo->CloseTree();
    QPlainTextEdit::mousePressEvent(event);
}

// ---------------------------------------------------------------- tree part

CTreeComboTree::CTreeComboTree(CTreeComboBox* combo) : QTreeWidget(combo), m_combo(combo)
{
    setWindowFlags(Qt::Popup);
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setMouseTracking(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    hide();
}

void CTreeComboTree::mouseMoveEvent(QMouseEvent* event)
{
    // Hot tracking: the node under the cursor is the selected one.
    if (QTreeWidgetItem* item = itemAt(event->pos())) setCurrentItem(item);
    QTreeWidget::mouseMoveEvent(event);
}

void CTreeComboTree::mousePressEvent(QMouseEvent* event)
{
    if (!rect().contains(event->pos())) {
        m_combo->CloseTree();
        return;
    }
    QTreeWidgetItem* item = itemAt(event->pos());
    if (!item) return;
    if (item->childCount() > 0) {
        // Only the expand button of a group reacts; its name picks nothing.
        if (event->pos().x() < visualItemRect(item).left()) QTreeWidget::mousePressEvent(event);
        return;
    }
    setCurrentItem(item);
    m_combo->PickSelected();
}

void CTreeComboTree::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape: m_combo->CloseTree(); return;
    case Qt::Key_Return:
    case Qt::Key_Enter: m_combo->PickSelected(); return;
    default: QTreeWidget::keyPressEvent(event);
    }
}

// ---------------------------------------------------------------- combo

CTreeComboBox::CTreeComboBox(QWidget* parent, int height)
    : QWidget(parent), m_multiLine(height > 32)
{
    setFocusPolicy(Qt::StrongFocus);
    setFixedHeight(height);
    setMinimumWidth(60);
    m_edit = new CTreeComboEdit(this, m_multiLine);
    QFont font = m_edit->font();
    font.setPointSize(8);
    m_edit->setFont(font);
    m_tree = new CTreeComboTree(this);
    connect(m_tree, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { OnExpandChanged(item, true); });
    connect(m_tree, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { OnExpandChanged(item, false); });
    connect(m_edit, &QPlainTextEdit::textChanged, this, [this]() {
        if (!m_icon.isNull()) {
            m_icon = QIcon();
            update();
        }
    });
    SetImageList(1020);
}

void CTreeComboBox::SetImageList(int /*bitmapId*/)
{
    // The strip of group and user images, from the style's own icons.
    QStyle* s = style();
    m_images = {s->standardIcon(QStyle::SP_DirClosedIcon), s->standardIcon(QStyle::SP_DirOpenIcon),
                s->standardIcon(QStyle::SP_FileIcon), s->standardIcon(QStyle::SP_FileDialogInfoView)};
    m_tree->setIconSize(QSize(16, 16));
}

QIcon CTreeComboBox::Image(int index) const
{
    return index >= 0 && index < m_images.size() ? m_images[index] : QIcon();
}

QTreeWidgetItem* CTreeComboBox::InsertNode(const QString& parentText, const QStringList& children,
                                           int parentImage, int childImage)
{
    auto* parentItem = new QTreeWidgetItem(m_tree, QStringList(parentText));
    parentItem->setIcon(0, Image(parentImage));
    parentItem->setData(0, Qt::UserRole, parentImage);
    for (const QString& child : children) {
        auto* item = new QTreeWidgetItem(parentItem, QStringList(child));
        item->setIcon(0, Image(childImage));
        item->setData(0, Qt::UserRole, childImage);
    }
    return parentItem;
}

void CTreeComboBox::ClearNodes()
{
    m_tree->clear();
}

QString CTreeComboBox::GetText() const
{
    QString text = m_edit->toPlainText();
    if (m_multiLine) text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

void CTreeComboBox::ShowText(const QString& text)
{
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_edit->setPlainText(plain);
    setToolTip(plain);
}

void CTreeComboBox::SelectText(const QString& text, int image)
{
    ShowText(text);
    m_icon = Image(image);
    CloseTree();
    m_edit->setFocus();
    update();
}

void CTreeComboBox::SetCaption(const QString& caption)
{
    QString text = caption;
    text.replace(QLatin1String(", "), QLatin1String("\r\n"));
    ShowText(text);
}

void CTreeComboBox::SetEditable(bool editable)
{
    m_edit->SetEditable(editable);
}

bool CTreeComboBox::IsTreeOpen() const
{
    return m_tree->isVisible();
}

void CTreeComboBox::ToggleTree()
{
    if (IsTreeOpen()) {
        CloseTree();
        m_edit->setFocus();
        return;
    }
    const QPoint below = mapToGlobal(QPoint(0, height()));
    m_tree->setGeometry(below.x(), below.y(), width(), kTreeHeight);
    m_tree->show();
    m_tree->raise();
    m_tree->setFocus();
}

void CTreeComboBox::CloseTree()
{
    if (m_tree->isVisible()) m_tree->hide();
    update();
}

void CTreeComboBox::PickSelected()
{
    QTreeWidgetItem* node = m_tree->currentItem();
    if (!node || node->childCount() > 0) return;
    const QString nodeText = node->text(0);
    QString text;
    if (!m_multiLine) {
        text = nodeText;
    } else {
        text = GetText();
        if (!text.contains(nodeText)) {
            while (!text.isEmpty() && QStringLiteral("\r\n ").contains(text.back())) text.chop(1);
            text += QLatin1String("\r\n") + nodeText;
            while (!text.isEmpty() && (text.front() == QLatin1Char('\r') || text.front() == QLatin1Char('\n')))
                text.remove(0, 1);
            if (m_sort) {
                QStringList lines = SplitLines(text).mid(0, kMaxLines);
                std::stable_sort(lines.begin(), lines.end(), [](const QString& a, const QString& b) {
                    return a.compare(b, Qt::CaseInsensitive) < 0;
                });
                text = lines.join(QLatin1String("\r\n"));
            }
        }
    }
    ShowText(text);
    const QIcon icon = Image(node->data(0, Qt::UserRole).toInt());
    m_icon = icon;
    CloseTree();
    QTextCursor cursor = m_edit->textCursor();
    if (m_multiLine) {
        const QString plain = m_edit->toPlainText();
        const int at = plain.indexOf(nodeText);
        if (at >= 0) {
            cursor.setPosition(at);
            cursor.setPosition(at + nodeText.size(), QTextCursor::KeepAnchor);
        }
    } else {
        cursor.select(QTextCursor::Document);
    }
    m_edit->setTextCursor(cursor);
    m_edit->ensureCursorVisible();
    m_edit->setFocus();
    update();
    emit TextPicked(GetText());
}

void CTreeComboBox::OnExpandChanged(QTreeWidgetItem* item, bool expanded)
{
    item->setIcon(0, Image(expanded ? 1 : 0));
}

void CTreeComboBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const QRect r = rect();
    if (m_multiLine)
        m_edit->setGeometry(r.adjusted(2, 2, -(kArrowWidth + 2), -2));
    else
        m_edit->setGeometry(r.adjusted(22, 2, -(kArrowWidth + 2), -2));
}

void CTreeComboBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.lineWidth = 1;
    frame.state |= QStyle::State_Sunken;
    painter.fillRect(rect(), palette().base());
    style()->drawPrimitive(QStyle::PE_FrameLineEdit, &frame, &painter, this);

    const QRect inner = rect().adjusted(2, 2, -2, -2);
    if (!m_multiLine && !m_icon.isNull())
        m_icon.paint(&painter, QRect(inner.left(), inner.top() + (inner.height() - 16) / 2, 16, 16));

    QStyleOptionButton button;
    button.initFrom(this);
    button.rect = QRect(inner.right() - kArrowWidth + 1, inner.top(), kArrowWidth, inner.height());
    const bool down = m_pressed && IsTreeOpen();
    button.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &painter, this);

    // The arrow: 7, 5, 3 and 1 pixel lines forming a downward triangle.
    painter.setPen(Qt::black);
    const int cx = button.rect.center().x() + (down ? 1 : 0);
    const int cy = button.rect.center().y() - 1 + (down ? 1 : 0);
    for (int i = 0; i < 4; ++i) painter.drawLine(cx - 3 + i, cy + i, cx + 3 - i, cy + i);
}

void CTreeComboBox::mousePressEvent(QMouseEvent* event)
{
    m_pressed = true;
    ToggleTree();
    event->accept();
}

void CTreeComboBox::mouseReleaseEvent(QMouseEvent* event)
{
    m_pressed = false;
    if (IsTreeOpen()) update();
    event->accept();
}

void CTreeComboBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        ToggleTree();
        return;
    }
    if (event->key() == Qt::Key_Space) return;
    QWidget::keyPressEvent(event);
}

void CTreeComboBox::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    if (!m_pressed) m_edit->setFocus();
}
