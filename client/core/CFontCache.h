// CFontCache: fonts shared by the client's forms and dialogs, handed out by
// face, height, weight, underline and italic; entries live for the whole run.
#pragma once

#include <QFont>
#include <QString>

#include <deque>

class QWidget;

class CFontCache {
public:
    // Makes sure the font exists and gives it to the widget.
    void SetFont(QWidget* window, const QString& face, int height, int bold, int underline,
                 int italic);
    void EnsureFont(const QString& face, int height, int bold, int underline, int italic);
    // The first matching entry's font, or null.
    const QFont* FindFont(const QString& face, int height, int bold, int underline,
                          int italic) const;
    int GetCount() const { return static_cast<int>(m_entries.size()); }

private:
    struct Entry {
        QString face;
        int height;
        int bold;
        int italic;
        int underline;
        QFont font;
    };
    std::deque<Entry> m_entries;  // stable addresses: fonts stay valid
};
