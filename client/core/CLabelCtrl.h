// CLabelCtrl: a label that paints itself with its own text and background
// colours, one line per line feed, aligned in the control; disabled it
// shows the embossed system colours.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
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

    QColor m_bkColor;
    QColor m_textColor;
    int m_useSystemBk;
    QFont m_font;
    Qt::Alignment m_align;
    QString m_text;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QStringList Lines() const;
    QSize BlockSize() const;
};
