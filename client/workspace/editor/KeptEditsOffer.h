// The offer, once the main window is up, of what quick edit kept as the
// program last ended: per defect its fields with the typed text. Yes opens
// the defect editor showing the text (a save there clears it; closing the
// editor keeps it for the next start), No discards it. Nothing is offered
// to an unattended start.
#pragma once

class CAppContext;
class QWidget;
struct CWorkspaceCommands;

void OfferKeptEdits(CAppContext& context, QWidget* parent, const CWorkspaceCommands* commands);
