// CControlToolTip: a small pop-up that shows a text over its owner control
// while the cursor rests on the owner (and, when asked, a mouse button is
// held), placed at, below or above the owner.
#pragma once

#include <QBasicTimer>
#include <QColor>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

class CControlToolTip : public QWidget {
    Q_OBJECT
public:
    enum Placement { AtOwner = 0, BelowOwner = 1, AboveOwner = 2 };

    CControlToolTip();
    ~CControlToolTip() override;

    // Starts the tick that shows or hides the tip; no owner stops it.
    void SetOwner(QWidget* owner);
    QWidget* Owner() const { return m_owner; }
    void SetText(const QString& text);
    const QString& Text() const { return m_text; }
    // The size the tip takes when shown.
    void SetRect(const QRect& rect) { m_rect = rect; }
    void SetPlacement(int mode) { m_placement = mode; }

    // Whether the tip belongs on screen for this cursor, these held buttons
    // and this focused widget.
    bool ShouldShow(const QPoint& globalCursor, Qt::MouseButtons buttons,
                    const QWidget* focus) const;
    // Where the tip goes, in screen coordinates.
    QRect PlacedRect() const;
    // One tick: shown or hidden by the cursor, the buttons and the focus now.
    void Tick();

    QColor m_textColor;
    QColor m_bkColor;
    int m_fill = 0;
    int m_needsButton = 1;
    int m_leftButton = 1;

protected:
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QWidget> m_owner;
    QString m_text;
    QRect m_rect;
    int m_placement = AtOwner;
    QBasicTimer m_timer;
};
