// The administration commands of the main frame, as the composition
// (client/app) binds them to their command ids. Each needs the
// administrator or the system-management right: anyone else gets a message
// and nothing opens.
#pragma once

#include "ISheetPage.h"

class QWidget;
class CAppContext;
class CFlowDefineDlg;

// 2003 and 2058: the system management sheet with the pages given.
void OpenSysSheet(QWidget* parent, CAppContext& context, const CSheetPages& pages);
// 2019: the users page alone in a dialog.
void OpenUserManager(QWidget* parent, CAppContext& context);
// 2020: the departments.
void OpenDepartments(QWidget* parent, CAppContext& context);
// 2021: the lookup lists.
void OpenLookupLists(QWidget* parent, CAppContext& context);
// 2032: the simple project list; the cached projects are read again after it.
void OpenProjectList(QWidget* parent, CAppContext& context);
// 2044: the workflow; the cached statuses and rules follow its changes.
void OpenWorkflow(QWidget* parent, CAppContext& context);

// The workflow command's work after its page closed: the cached statuses
// and rules are read again when the page changed them. false when a reload
// failed (shown).
bool ApplyWorkflowChanges(CAppContext& context, const CFlowDefineDlg& page);
