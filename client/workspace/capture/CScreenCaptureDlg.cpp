#include "CScreenCaptureDlg.h"

#include "AttachmentNames.h"
#include "CAppContext.h"
#include "CCaptureTipWnd.h"
#include "CPromptInputDlg.h"
#include "CaptureIds.h"

#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <QScreen>
#include <QStyle>
#include <QTextCursor>
#include <QTextDocument>

namespace {

constexpr char kColourMark[] = " RGB ";

QString RgbText(const QColor& c) { return QStringLiteral("(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue()); }

// A hint of the language file: its two-character "\n" and "\r" are line ends.
QString HintText(QString text) {
    text.replace(QLatin1String("\\r\\n"), QLatin1String("\n"));
    text.replace(QLatin1String("\\n"), QLatin1String("\n"));
    text.replace(QLatin1String("\\r"), QLatin1String("\n"));
    return text;
}

QRect DesktopGeometry() {
    QRect desktop;
    for (QScreen* screen : QGuiApplication::screens()) desktop = desktop.united(screen->geometry());
    return desktop;
}

}  // namespace

QImage CScreenCaptureDlg::GrabScreens() {
    const QRect desktop = DesktopGeometry();
    if (desktop.isEmpty()) return QImage();
    QImage picture(desktop.size(), QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect place = screen->geometry().translated(-desktop.topLeft());
        // Drawn at the screen's logical size whatever its pixel ratio.
        painter.drawPixmap(place, screen->grabWindow(0));
    }
    return picture;
}

CScreenCaptureDlg::CScreenCaptureDlg(CAppContext& context, QWidget* parent)
    : CScreenCaptureDlg(context, GrabScreens(), parent) {}

CScreenCaptureDlg::CScreenCaptureDlg(CAppContext& context, const QImage& frozen, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_context(context),
      m_frozen(frozen),
      m_screenWidth(frozen.width()),
      m_screenHeight(frozen.height()),
      m_tip(new CCaptureTipWnd(this)) {
    setObjectName(QString::number(ids::kCaptureDlg));
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    // The frozen picture paints every pixel.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_tip->SetScreenWidth(m_screenWidth);
    m_cursor = QPoint(-1, -1);
}

CScreenCaptureDlg::~CScreenCaptureDlg() = default;

int CScreenCaptureDlg::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CScreenCaptureDlg::OnInitDialog() {
    m_jpegPath.clear();
    m_attachName.clear();
    const QRect desktop = DesktopGeometry();
    setGeometry(QRect(desktop.isEmpty() ? QPoint(0, 0) : desktop.topLeft(), QSize(m_screenWidth, m_screenHeight)));
    m_tip->move(10, 10);
    m_cursor = mapFromGlobal(QCursor::pos());
    UpdateTip();
    setWindowIcon(style()->standardIcon(QStyle::SP_DesktopIcon));
}

QColor CScreenCaptureDlg::ColourAt(const QPoint& point) const {
    if (!m_frozen.valid(point)) return QColor(Qt::black);
    return m_frozen.pixelColor(point);
}

void CScreenCaptureDlg::UpdateTip() {
    const QColor colour = ColourAt(m_cursor);
    int hint = ids::kMsgCaptureHintNone;
    if (m_drawing) hint = ids::kMsgCaptureHintDrawing;
    else if (m_selection) hint = ids::kMsgCaptureHintSelected;
    m_lastColour = RgbText(colour);
    m_tip->setPlainText(QStringLiteral("\n\n\n ·") + m_context.Text(ids::kMsgCaptureColour) + kColourMark +
                        m_lastColour + '\n' + HintText(m_context.Text(hint)));
}

void CScreenCaptureDlg::UpdateColorText(const QPoint& point) {
    const QString text = RgbText(ColourAt(point));
    if (text == m_lastColour) return;
    // Only the numbers change, in place, so the tip is not laid out anew.
    QTextCursor cursor = m_tip->document()->find(QLatin1String(kColourMark));
    if (cursor.isNull()) {
        UpdateTip();
        return;
    }
    cursor.clearSelection();
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(text);
    m_lastColour = text;
}

void CScreenCaptureDlg::InvalidateOutsideTip() {
    update(QRegion(rect()).subtracted(QRegion(m_tip->geometry())));
}

void CScreenCaptureDlg::UpdateCursor(const QPoint& point) {
    // The cross hair except over a selection that can be moved or resized.
    const int hit = (m_selection && !m_drawing) ? m_tracker.HitTest(point) : int(CCaptureTracker::HitNothing);
    setCursor(CCaptureTracker::CursorFor(hit));
}

void CScreenCaptureDlg::DropSelection() {
    m_selection = false;
    m_drawing = false;
    m_tracker.m_rect = CCaptureRect();
}

void CScreenCaptureDlg::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), m_frozen, event->rect());
    if (m_selection) m_tracker.Draw(painter);
}

void CScreenCaptureDlg::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    m_cursor = point;
    if (event->button() == Qt::RightButton) {
        // The right button cancels a move or resize under way.
        if (m_tracker.IsTracking()) {
            m_tracker.CancelTrack();
            m_rightCancelled = true;
            InvalidateOutsideTip();
        }
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    const int hit = m_tracker.HitTest(point);
    if (hit != CCaptureTracker::HitNothing) {
        m_pressed = true;
        if (m_selection) m_tracker.BeginTrack(hit, point);
        InvalidateOutsideTip();
    } else if (!m_selection) {
        m_anchor = point;
        m_drawing = true;
        m_selection = true;
        m_tracker.m_rect = CCaptureRect(point.x(), point.y(), point.x() + 4, point.y() + 4);
        m_pressed = true;
        UpdateTip();
        InvalidateOutsideTip();
    }
}

void CScreenCaptureDlg::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    m_cursor = point;
    if (m_drawing) {
        m_tracker.m_rect = CCaptureRect(m_anchor.x() + 4, m_anchor.y() + 4, point.x(), point.y());
        InvalidateOutsideTip();
    } else if (m_tracker.IsTracking() && m_tracker.TrackTo(point)) {
        InvalidateOutsideTip();
    }
    // While the mouse is held it stays ours; the tip still gets out of the way.
    if (m_tip->geometry().contains(point)) m_tip->Jump();
    UpdateColorText(point);
    UpdateCursor(point);
}

void CScreenCaptureDlg::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    m_cursor = point;
    if (event->button() == Qt::RightButton) {
        // Like Escape: the selection goes, and without one the capture.
        if (!m_rightCancelled) reject();
        m_rightCancelled = false;
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    m_tracker.EndTrack();
    if (m_drawing) {
        m_tracker.m_rect = m_tracker.m_rect.Normalized();
        // A selection without area could never be hit again.
        if (m_tracker.m_rect.IsEmpty()) DropSelection();
    }
    m_pressed = false;
    m_drawing = false;
    UpdateTip();
    InvalidateOutsideTip();
    UpdateCursor(point);
}

void CScreenCaptureDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint point = event->position().toPoint();
    if (!m_selection || m_tracker.HitTest(point) != CCaptureTracker::HitMiddle) return;
    m_tracker.EndTrack();
    SaveSelection(m_tracker.m_rect, true);
    // OK whatever the naming did; the results tell the caller.
    QDialog::done(QDialog::Accepted);
}

void CScreenCaptureDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && m_tracker.IsTracking()) {
        m_tracker.CancelTrack();
        InvalidateOutsideTip();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CScreenCaptureDlg::reject() {
    if (!m_selection) {
        QDialog::reject();
        return;
    }
    DropSelection();
    UpdateTip();
    InvalidateOutsideTip();
}

void CScreenCaptureDlg::accept() {}

QImage CScreenCaptureDlg::SaveSelection(const CCaptureRect& rect, bool save) {
    if (rect.IsEmpty()) return QImage();
    const CCaptureRect clipped = rect.Clipped(m_screenWidth, m_screenHeight);
    if (clipped.IsEmpty()) return QImage();
    const QImage picture = m_frozen.copy(clipped.ToQRect());
    if (!save) return picture;
    CPromptInputDlg prompt(m_context, this);
    prompt.m_title = m_context.Text(ids::kMsgCaptureNameTitle);
    prompt.m_initialText.clear();
    if (prompt.exec() != QDialog::Accepted || prompt.m_value.isEmpty()) return picture;
    const QString name = QString::fromStdString(PlainFileName(prompt.m_value.toStdString()));
    if (name.isEmpty()) {
        m_context.ShowMessage(m_context.Text(ids::kMsgCaptureBadName));
        return picture;
    }
    SaveJpeg(picture, name);
    return picture;
}

bool CScreenCaptureDlg::SaveJpeg(const QImage& picture, const QString& name) {
    QDir().mkpath(m_context.TempDir());
    const QString path = QStringLiteral("%1/%2_%3.jpg").arg(m_context.TempDir()).arg(m_context.m_currentBugId).arg(name);
    // Colour pictures go as 24 bits; a grey one keeps its one channel.
    const QImage out = picture.convertToFormat(picture.isGrayscale() ? QImage::Format_Grayscale8
                                                                      : QImage::Format_RGB888);
    QImageWriter writer(path, "jpeg");
    writer.setQuality(100);
    if (out.isNull() || !writer.write(out)) {
        QFile::remove(path);
        m_context.ShowMessage(m_context.Text(ids::kMsgCaptureWriteFailed).arg(path) + ' ' + writer.errorString());
        return false;
    }
    m_jpegPath = path;
    m_attachName = name + ".jpg";
    return true;
}
