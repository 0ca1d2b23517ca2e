// Dialog, control and language-text ids of the custom fields: each
// captioned widget's text is the language text of its id (section common);
// controls carry their id as object name.
#pragma once

namespace CustomFieldIds {

// The editor's custom-fields page
constexpr int CustomFieldsPage = 1028;

// Layout designer
constexpr int LayoutDesignDlg = 1054;
constexpr int ButtonClear = 3154;
constexpr int GridPlaced = 3245;
constexpr int ButtonRefresh = 4036;
constexpr int ButtonModify = 4035;
constexpr int ButtonChangeMode = 3243;
constexpr int GridAvailable = 3244;
constexpr int TextToRunMode = 4054;     // Change Mode while design mode is on
constexpr int TextToDesignMode = 4053;  // ... and while it is off

// Field attribute page
constexpr int FieldAttributeDlg = 1019;
constexpr int RadioSystem = 3108;
constexpr int RadioCustom = 3109;
constexpr int ListLabels = 3107;
constexpr int EditColumn = 3110;
constexpr int EditLabel = 3111;
constexpr int ComboEditStyle = 3112;
constexpr int CheckUsed = 3117;
constexpr int ComboListId = 3113;
constexpr int CheckVerify = 3116;
constexpr int ButtonSave = 3099;
constexpr int ButtonModifyList = 3115;
constexpr int ButtonNewList = 3114;
constexpr int CheckShowUnused = 3118;
constexpr int LabelColumn = 3247;
constexpr int LabelLabel = 3248;
constexpr int LabelEditStyle = 3249;
constexpr int LabelLists = 3250;

// Messages (4970 and up: the custom fields' own)
constexpr int MsgSuccess = 4003;
constexpr int MsgQuestion = 4025;
constexpr int MsgChooseField = 4970;
constexpr int MsgLayoutNotSent = 4971;
constexpr int MsgColumnsNotRead = 4975;
constexpr int MsgNoSystemRight = 9250;  // the administration's refusal

}  // namespace CustomFieldIds
