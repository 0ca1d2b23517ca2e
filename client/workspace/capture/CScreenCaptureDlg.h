// CScreenCaptureDlg: cuts a part of the screen out as a JPEG for a defect.
// It freezes the screen as it was before it appeared, covers every screen
// with that picture, lets the user draw and adjust a selection, shows the
// colour under the cursor and what to do next in a tip, and on a double
// click inside the selection asks for a name and saves the selection as
// "<temp>/<defect id>_<name>.jpg". Right button or Escape drop the
// selection, and without one cancel.
#pragma once

#include "CCaptureTracker.h"

#include <QDialog>
#include <QImage>
#include <QString>

class CAppContext;
class CCaptureTipWnd;

class CScreenCaptureDlg : public QDialog {
    Q_OBJECT
public:
    // The picture of every screen now, placed as the screens are on the
    // desktop (its top-left is the desktop's).
    static QImage GrabScreens();

    // Freezes the screens now.
    explicit CScreenCaptureDlg(CAppContext& context, QWidget* parent = nullptr);
    // With a picture to show in their place.
    CScreenCaptureDlg(CAppContext& context, const QImage& frozen, QWidget* parent = nullptr);
    ~CScreenCaptureDlg() override;

    int exec() override;
    // Full screen, top-most, the tip in its corner; exec() runs it.
    void OnInitDialog();

    // The results: set only when a name was given and the JPEG written.
    QString m_jpegPath;
    QString m_attachName;

    // Copies the rectangle, clipped to the screen, out of the frozen
    // picture; with save, asks for a name and writes the JPEG. A null image
    // for an empty rectangle.
    QImage SaveSelection(const CCaptureRect& rect, bool save);
    // Writes the picture as "<temp>/<id>_<name>.jpg" (quality 100; a grey
    // picture stays grey) and sets the results; false with a message.
    bool SaveJpeg(const QImage& picture, const QString& name);

    bool HasSelection() const { return m_selection; }
    bool IsDrawing() const { return m_drawing; }
    const CCaptureTracker& Tracker() const { return m_tracker; }
    CCaptureTipWnd* Tip() const { return m_tip; }
    const QImage& Frozen() const { return m_frozen; }
    void UpdateTip();
    void UpdateColorText(const QPoint& point);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

public slots:
    // Escape: drops the selection, or cancels without one.
    void reject() override;
    // Enter does nothing: only a double click saves.
    void accept() override;

private:
    void DropSelection();
    void InvalidateOutsideTip();
    void UpdateCursor(const QPoint& point);
    QColor ColourAt(const QPoint& point) const;
    QString ColourText(const QPoint& point) const;

    CAppContext& m_context;
    QImage m_frozen;
    int m_screenWidth;
    int m_screenHeight;
    bool m_pressed = false;
    bool m_drawing = false;
    bool m_selection = false;
    // A right press that cancelled tracking; its release does nothing more.
    bool m_rightCancelled = false;
    QPoint m_anchor;
    QPoint m_cursor;
    CCaptureTracker m_tracker;
    CCaptureTipWnd* m_tip;
    QString m_lastColour;
};
