// Control, command and language-text ids of the defect workspace: each
// captioned widget's text is the language text of its id (section common).
#pragma once

namespace WorkspaceIds {

// Views and side-panel tabs
constexpr int DefectListView = 101;
constexpr int TabQuickFilter = 175;
constexpr int TabQueryCondition = 176;
constexpr int TabQueryFields = 177;
constexpr int PopupCaption = 166;

// Context-menu and view commands
constexpr int CmdNewDefect = 2000;  // the main frame's New defect
constexpr int CmdView = 2043;
constexpr int CmdRefresh = 2038;
constexpr int CmdAdd = 2039;
constexpr int CmdDelete = 2033;
constexpr int CmdCopyDefect = 2040;
constexpr int CmdPasteDefect = 2041;
constexpr int CmdAutoSize = 2042;
constexpr int CmdPreview = 2012;
constexpr int CmdExport = 2066;
constexpr int CmdMail = 2070;
constexpr int CmdFillBackground = 2056;

// The attachments page's tool bar
constexpr int CmdAttachUpload = 2045;
constexpr int CmdAttachCapture = 2047;
constexpr int CmdAttachSysInfo = 2048;
constexpr int CmdAttachClipboard = 2053;
constexpr int CmdAttachOpen = 2049;
constexpr int CmdAttachSaveAs = 2050;
constexpr int CmdAttachDeleteSelected = 2051;
constexpr int CmdAttachDeleteAll = 2054;

// Field labels (shared by the panels and the editor)
constexpr int LabelStatus = 3159;
constexpr int LabelId = 3160;
constexpr int LabelResponsible = 3161;
constexpr int LabelDetectedBy = 3162;
constexpr int LabelSeverity = 3163;
constexpr int LabelSummary = 3164;
constexpr int LabelDescription = 3165;
constexpr int LabelPriority = 3166;
constexpr int LabelDetectionDate = 3167;
constexpr int LabelDetectionVersion = 3168;
constexpr int LabelClosingDate = 3169;
constexpr int LabelComment = 3170;
constexpr int LabelClosingVersion = 3150;

// Query-condition panel
constexpr int LabelSearchText = 3020;
constexpr int CheckAttachment = 3023;
constexpr int CheckGroup = 3157;
constexpr int ButtonQuery = 3015;
constexpr int ButtonClear = 3154;
constexpr int ButtonMoreCustom = 3027;

// Quick filter panel
constexpr int FilterNew = 3044;
constexpr int FilterOpen = 3046;
constexpr int FilterFixed = 4037;
constexpr int FilterClosed = 3038;
constexpr int FilterReOpen = 4009;
constexpr int FilterAll = 3039;
constexpr int FilterNotClosed = 3037;
constexpr int FilterLastWeekCreate = 3041;
constexpr int FilterLastWeekClose = 3042;
constexpr int LabelFilterStatus = 3036;
constexpr int LabelFilterDate = 3040;

// Query fields panel
constexpr int LabelQueryFields = 3106;

// Quick edit panel and editor buttons
constexpr int ButtonClose = 4004;
constexpr int ButtonNew = 3083;
constexpr int ButtonModify = 4035;

// Editor titles and tabs
constexpr int TitleNewDefect = 2000;
constexpr int TitleModifyDefect = 4035;
constexpr int TabFields = 4000;
constexpr int TabCustomFields = 4001;
constexpr int TabAttachments = 4002;
constexpr int TabStatusHistory = 1037;

// Messages (4901 and up: the workspace's own refusals)
constexpr int MsgSuccess = 4003;
constexpr int MsgRequired = 4005;
constexpr int MsgQuestion = 4025;
constexpr int MsgNoAddRight = 4901;
constexpr int MsgNoDeleteRight = 4902;
constexpr int MsgNewerSave = 4903;
constexpr int MsgIdTaken = 4904;
// A save refused because another save changed the same fields
constexpr int MsgYourValue = 4920;
constexpr int MsgStoredValue = 4921;
constexpr int MsgTakeStored = 4922;
constexpr int MsgDefectGone = 4923;
constexpr int MsgDiscardEdits = 4924;
// Quick-edit text kept as the program ended, offered at the next start
constexpr int MsgKeptEdits = 4935;
constexpr int MsgRestoreKept = 4936;

}  // namespace WorkspaceIds
