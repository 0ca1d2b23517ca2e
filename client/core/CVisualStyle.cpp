#include "CVisualStyle.h"

#include "ClientIds.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

#include <memory>

namespace {

QPalette FusionPalette() {
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
    return fusion ? fusion->standardPalette() : QApplication::palette();
}

QPalette Tinted(const QColor& window, const QColor& button, const QColor& highlight) {
    QPalette palette = FusionPalette();
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::AlternateBase, window.lighter(112));
    return palette;
}

}  // namespace

QPalette CVisualStyle::PaletteFor(int look) {
    switch (look) {
    case ids::kLook2000:
        return Tinted(QColor(212, 208, 200), QColor(212, 208, 200), QColor(10, 36, 106));
    case ids::kLookXp:
        return Tinted(QColor(236, 233, 216), QColor(236, 233, 216), QColor(49, 106, 197));
    case ids::kLookLuna:
        return Tinted(QColor(192, 219, 255), QColor(220, 234, 252), QColor(51, 94, 168));
    case ids::kLookSilver:
        return Tinted(QColor(208, 212, 221), QColor(226, 229, 236), QColor(96, 104, 124));
    case ids::kLookAqua:
        return Tinted(QColor(196, 202, 217), QColor(218, 223, 234), QColor(70, 110, 170));
    default:
        return FusionPalette();
    }
}

bool CVisualStyle::Apply(int look) {
    switch (look) {
    case ids::kLook2000:
    case ids::kLookXp:
    case ids::kLookLuna:
    case ids::kLookSilver:
    case ids::kLookAqua:
        break;
    default:
        return false;
    }
    if (QApplication::style()->name().compare("fusion", Qt::CaseInsensitive) != 0)
        QApplication::setStyle("Fusion");  // the application owns the style
    QApplication::setPalette(PaletteFor(look));
    return true;
}

int CVisualStyle::LookForStyle(int guiStyle) {
    switch (guiStyle) {
    case 0: return ids::kLook2000;
    case 1: return ids::kLookXp;
    case 2: return ids::kLookLuna;
    case 3: return ids::kLookSilver;
    case 4: return ids::kLookAqua;
    default: return 0;
    }
}
