// Decimal ids of the project, lookup-list and workflow dialogs: dialogs,
// controls, captions and messages (keys of the language files).
#pragma once

namespace ProjectAdminIds {

// Shared controls
constexpr int Grid = 165;
constexpr int ButtonAdd = 3048;
constexpr int ButtonNew = 3083;
constexpr int ButtonRename = 3084;
constexpr int ButtonClose = 4004;
constexpr int ButtonDelete = 4034;
constexpr int ButtonSave = 4035;
constexpr int ButtonVersions = 3231;
constexpr int MenuGridPopup = 1013;
constexpr int CmdDeleteRow = 2033;
constexpr int MoveRight = 3069;     // ">"
constexpr int MoveAllRight = 3070;  // ">>"
constexpr int MoveLeft = 3071;      // "<"
constexpr int MoveAllLeft = 3072;   // "<<"

// Projects page and the project form
constexpr int ProjectsPage = 1047;
constexpr int ProjectEditDlg = 1066;
constexpr int EditProjectName = 3124;
constexpr int EditContractNo = 3259;
constexpr int ComboProjectType = 3220;
constexpr int EditProjectEnglish = 3222;
constexpr int EditCustomer = 3224;
constexpr int TreeManager = 3133;
constexpr int EditDevEnv = 3261;
constexpr int EditProjectDesc = 3079;
constexpr int ButtonProjectUsers = 3260;
// Labels of the project form (texts of this client)
constexpr int LabelProjectName = 9351;
constexpr int LabelContractNo = 9352;
constexpr int LabelProjectType = 9353;
constexpr int LabelProjectEnglish = 9354;
constexpr int LabelCustomer = 9355;
constexpr int LabelManager = 9356;
constexpr int LabelDevEnv = 9357;
constexpr int LabelProjectDesc = 9358;

// Versions
constexpr int VersionsDlg = 1051;
constexpr int ListVersions = 3232;
constexpr int EditVersion = 3234;

// A user's projects
constexpr int UserProjectsDlg = 1024;
constexpr int ListInProjects = 3126;
constexpr int ListOutProjects = 3127;
constexpr int LabelInProjects = 9359;
constexpr int LabelOutProjects = 9360;

// Plain project list
constexpr int ProjectSettingDlg = 1009;
constexpr int ListProjects = 3125;

// Lookup lists
constexpr int ParamSettingDlg = 1011;
constexpr int ListTypes = 4038;
constexpr int EditValue = 3053;
constexpr int LabelValue = 3052;
constexpr int ButtonDel = 4039;
constexpr int ButtonNewList = 3060;
constexpr int ButtonDeleteList = 3062;

// Workflow
constexpr int FlowDefineDlg = 1038;
constexpr int ListCannotChange = 3186;
constexpr int ListCanChange = 3185;
constexpr int LabelStatus = 3159;
constexpr int LabelCanChange = 3183;
constexpr int LabelCannotChange = 3184;
constexpr int ColumnEnabled = 4010;
constexpr int ButtonDisable = 3194;
constexpr int ButtonEnable = 3195;

// Messages (texts of this client)
constexpr int MsgNoAdminRight = 9361;     // a command the user has no right to
constexpr int MsgProjectExists = 9362;    // a new project name already taken
constexpr int MsgReservedValue = 9363;    // the placeholder as a value
constexpr int MsgListExists = 9364;       // a new list named like an existing one

}  // namespace ProjectAdminIds
