// CVisualStyle: the client's five looks (the classic Office 2000, XP and
// 2007 Luna, Silver and Aqua), as the Fusion style with a palette each.
#pragma once

#include <QColor>
#include <QPalette>

class CVisualStyle {
public:
    // Applies a look command (32833, 32834, 32838, 32840, 32841) to the whole
    // application; false for any other value (nothing changes).
    static bool Apply(int look);
    // The palette of a look; the standard Fusion palette for an unknown one.
    static QPalette PaletteFor(int look);
    // The look command of a gui_style value 0 to 4; 0 for any other value.
    static int LookForStyle(int guiStyle);
};
