// CLabelCtrl: a label that paints itself with its own text and background
// colours, one line per line feed, aligned in the control; disabled it
// shows the embossed system colours. The first mouse move over it asks to
// be told when the pointer rests (50 ms) and when it leaves.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QTimer>
#include <QWidget>

class CLabelCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CLabelCtrl(const QString& text = QString(), QWidget* parent = nullptr,
                        Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop);

    CLabelCtrl* SetBkColor(const QColor& colour);
    CLabelCtrl* SetTextColor(const QColor& colour);
    void SetText(const QString& text);
    QString GetText() const { return m_text; }
    // Where the text block lands in the control (for layout checks).
    QRect TextBlockRect() const;
    QSize sizeHint() const override;
    // A label never shows less than its text.
    QSize minimumSizeHint() const override { return sizeHint(); }

    QColor m_bkColor;
    QColor m_textColor;
    int m_useSystemBk;
    QFont m_font;
    Qt::Alignment m_align;
    QString m_text;
    // Hover and leave notices have been asked for.
    int m_tracking;

signals:
    // The pointer rested on the label; it left the label.
    void Hovered();
    void Left();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QStringList Lines() const;
    QSize BlockSize() const;

    QTimer m_hoverTimer;
};
