// Decimal ids of the client core's dialogs, controls, commands and messages.
// They key the language files (lang/<language>.ini, section common) and are
// carried by captioned widgets in their "langId" property.
#pragma once

namespace ids {

// The product's web site (About box link, login banner)
constexpr char kProductSite[] = "https://zentry.example.org/";

// About box (dialog 100)
constexpr int kAboutDlg = 100;
constexpr int kAboutLink = 161;
constexpr int kAboutTitle = 162;
constexpr int kAboutReleaseNotes = 163;
constexpr int kAboutGenLang = 3214;

// Buttons shared by many dialogs
constexpr int kOk = 3043;
constexpr int kCancel = 3178;

// Login dialog (183)
constexpr int kLoginDlg = 183;
constexpr int kLoginServer = 184;
constexpr int kLoginPort = 185;
constexpr int kLoginUser = 186;
constexpr int kLoginPassword = 187;
constexpr int kLoginProgress = 190;
constexpr int kLoginVersionText = 191;
constexpr int kLoginHistory = 3171;
constexpr int kLoginServerLabel = 3172;
constexpr int kLoginPortLabel = 3173;
constexpr int kLoginUserLabel = 3174;
constexpr int kLoginPasswordLabel = 3175;
constexpr int kLoginButton = 3176;
constexpr int kLoginVersionLabel = 3177;
constexpr int kLoginBanner = 3282;

// Start-up progress window (1048): its eight lines
constexpr int kLoadProgressDlg = 1048;
constexpr int kLoadLines[8] = {3193, 3194, 3195, 3196, 4044, 4042, 3199, 3200};

// Password change (4015)
constexpr int kPasswordDlg = 4015;
constexpr int kPasswordOld = 4012;
constexpr int kPasswordNew = 4013;
constexpr int kPasswordConfirm = 4014;
constexpr int kPasswordOldLabel = 3210;
constexpr int kPasswordNewLabel = 3211;
constexpr int kPasswordConfirmLabel = 3212;

// Prompt input (1012)
constexpr int kPromptDlg = 1012;
constexpr int kPromptEdit = 3062;

// Tool-bar customization (a dialog of this client's own)
constexpr int kCustomizeDlg = 9120;
constexpr int kCustomizeButtons = 9121;
constexpr int kCustomizeTextLabels = 9122;

// Messages
constexpr int kMsgSuccess = 4003;
constexpr int kMsgLoginFailed = 4007;
constexpr int kMsgOldPasswordWrong = 4016;
constexpr int kMsgPasswordMismatch = 4017;
constexpr int kMsgQuestion = 4025;
constexpr int kMsgUpgradeOffer = 4051;
// Texts of this client that the classic resources did not have.
constexpr int kMsgSessionEnded = 9101;       // the server ended the session
constexpr int kMsgAnotherInstance = 9102;    // unused by the guard, kept for logs
constexpr int kMsgSettingsNotLoaded = 9103;
constexpr int kMsgHomeTitle = 9104;
constexpr int kMsgUserConfigFailed = 9107;
constexpr int kMsgInvalidPort = 9108;
constexpr int kMsgUnexpectedReply = 9109;
constexpr int kMsgLayoutNotRead = 9115;      // the current project's layout

// Result grid: the group-by box's text while no column groups the rows
constexpr int kGroupByHint = 9130;

// Main frame: menu pop-ups in the order they are met
constexpr int kMenuFile = 166;
constexpr int kMenuView = 167;
constexpr int kMenuLanguage = 168;
constexpr int kMenuHelp = 169;
constexpr int kMenuDefect = 170;
constexpr int kMenuConfigure = 172;
constexpr int kMenuPStyle = 173;
constexpr int kMenuGuiStyle = 174;

// Commands
constexpr int kCmdNewBug = 2000;
constexpr int kCmdBugMgr = 2001;
constexpr int kCmdHome = 2002;
constexpr int kCmdSysManage = 2003;
constexpr int kCmdReport = 2005;
constexpr int kCmdStatistics = 2006;
constexpr int kCmdLanguageChinese = 2007;
constexpr int kCmdLanguageEnglish = 2008;
constexpr int kCmdToolbarSpare = 2011;
constexpr int kCmdPreview = 2012;
constexpr int kCmdExit = 2014;
constexpr int kCmdAbout = 2017;
constexpr int kCmdStatusBar = 2018;
constexpr int kCmdUserMgr = 2019;
constexpr int kCmdDeptMgr = 2020;
constexpr int kCmdListMgr = 2021;
constexpr int kCmdStyle2000 = 2023;
constexpr int kCmdStyleXp = 2024;
constexpr int kCmdStyleLuna = 2025;
constexpr int kCmdSetting = 2026;
constexpr int kCmdStyleSilver = 2030;
constexpr int kCmdStyleAqua = 2031;
constexpr int kCmdProjectDlg = 2032;
constexpr int kCmdFieldAttr = 2035;
constexpr int kCmdWorkflow = 2044;
constexpr int kCmdFillBackground = 2056;
constexpr int kCmdLogin = 2057;
constexpr int kCmdOptions = 2058;
constexpr int kCmdModifyPassword = 2059;
constexpr int kCmdLanguageBig5 = 2060;
constexpr int kCmdRefreshParam = 2061;
constexpr int kCmdUpgrade = 2063;
constexpr int kCmdDesignCustom = 2064;
constexpr int kCmdProjectCombo = 2067;
constexpr int kCmdInitSystem = 2071;
constexpr int kCmdCustomizeToolbar = 32770;
constexpr int kCmdToolBar = 32771;
constexpr int kCmdAboutFramework = 57664;

// Looks
constexpr int kLook2000 = 32833;
constexpr int kLookXp = 32834;
constexpr int kLookLuna = 32838;
constexpr int kLookSilver = 32840;
constexpr int kLookAqua = 32841;

// Views and frame controls
constexpr int kViewDefectList = 101;
constexpr int kViewHome = 1057;
constexpr int kViewStatistics = 1065;
constexpr int kHomeBrowser = 3251;
constexpr int kBusyProgress = 4006;

}  // namespace ids
