// IFrameView: what the main frame asks of the view it shows (home page,
// defect list, statistics): its widget, and the frame's calls after a
// project or login change, a language switch and a change of look.
#pragma once

#include "CLocalizer.h"

class QWidget;

class IFrameView : public ILocalizable {
public:
    // The view's own widget (the view itself).
    virtual QWidget* Widget() = 0;
    // Runs the view's query again.
    virtual void OnRefresh() {}
    // Gives the view's buttons the current face colour.
    virtual void Recolour() {}
    // Writes what the view holds unsaved before it goes (another view, the
    // window's close); false when that was not written and the user keeps
    // it: the view stays.
    virtual bool SaveEdits() { return true; }
    // The tick of a frame command the view carries out: 1 ticked, 0 not,
    // -1 when the command is not the view's.
    virtual int CommandCheck(int /*commandId*/) const { return -1; }
    void LocalizeCaptions() override {}
};
