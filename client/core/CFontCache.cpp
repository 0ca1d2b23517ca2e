#include "CFontCache.h"

#include <QWidget>

namespace {

bool Matches(const QString& face, int height, int bold, int underline, int italic,
             const QString& entryFace, int entryHeight, int entryBold, int entryUnderline,
             int entryItalic) {
    return entryFace.compare(face, Qt::CaseInsensitive) == 0 && entryHeight == height &&
           entryBold == bold && entryUnderline == underline && entryItalic == italic;
}

}  // namespace

void CFontCache::EnsureFont(const QString& face, int height, int bold, int underline,
                            int italic) {
    if (FindFont(face, height, bold, underline, italic)) return;
    QFont font(face);
    // Heights are character heights in pixels, as the classic font call took them.
    font.setPixelSize(height > 0 ? height : (height < 0 ? -height : 12));
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(italic != 0);
    font.setUnderline(underline != 0);
    m_entries.push_back(Entry{face, height, bold, italic, underline, font});
}

const QFont* CFontCache::FindFont(const QString& face, int height, int bold, int underline,
                                  int italic) const {
    for (const Entry& entry : m_entries) {
        if (Matches(face, height, bold, underline, italic, entry.face, entry.height, entry.bold,
                    entry.underline, entry.italic))
            return &entry.font;
    }
    return nullptr;
}

void CFontCache::SetFont(QWidget* window, const QString& face, int height, int bold,
                         int underline, int italic) {
    EnsureFont(face, height, bold, underline, italic);
    const QFont* font = FindFont(face, height, bold, underline, italic);
    if (window && font) {
        window->setFont(*font);
        window->update();
    }
}
