#include "KeptEditsOffer.h"

#include "CAppContext.h"
#include "CDefectEditDlg.h"
#include "CDefectFieldsDlg.h"
#include "CDefectSave.h"
#include "CKeptEdits.h"
#include "WorkspaceIds.h"

#include <QDialog>
#include <QLabel>

using namespace WorkspaceIds;

void OfferKeptEdits(CAppContext& context, QWidget* parent, const CWorkspaceCommands* commands)
{
    if (context.m_unattended) return;
    CKeptEdits kept(context.m_configDir);
    const QVector<KeptDefect> defects = kept.Load();
    if (!kept.Error().isEmpty()) {
        context.ShowMessage(kept.Error());
        return;
    }
    for (const KeptDefect& defect : defects) {
        QString text = context.Text(MsgKeptEdits).arg(defect.id) + QLatin1Char('\n');
        for (const KeptField& field : defect.fields)
            text += QStringLiteral("\n%1: %2").arg(field.caption, CDefectSave::Shown(field.text));
        text += QStringLiteral("\n\n") + context.Text(MsgRestoreKept);
        if (!context.AskYesNo(text)) {
            kept.Remove(defect.id);
            continue;
        }
        context.m_currentBugId = defect.id;
        CDefectEditDlg editor(context, parent, commands);
        if (editor.FieldsPage()->IdLabel()->text().isEmpty()) {
            context.ShowMessage(context.Text(MsgDefectGone));
            kept.Remove(defect.id);
            continue;
        }
        editor.FieldsPage()->RestoreKept(defect);
        if (editor.exec() == QDialog::Accepted) kept.Remove(defect.id);
    }
}
