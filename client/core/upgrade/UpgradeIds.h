// Decimal ids of the online upgrade dialog's controls and texts (they key
// the language files).
#pragma once

namespace ids {

constexpr int kUpgradeDlg = 1052;
constexpr int kUpgradeTitle = 2063;             // window title
constexpr int kUpgradeVersionLabel = 3177;
constexpr int kUpgradeClientVersion = 4045;
constexpr int kUpgradeServerVersion = 4046;      // also lists the release files
constexpr int kUpgradeServerVersionLabel = 4052;
constexpr int kUpgradeDownloadLabel = 3236;
constexpr int kUpgradeDownloaded = 3240;
constexpr int kUpgradeProgress = 3238;
constexpr int kUpgradeAuto = 4048;
constexpr int kUpgradeReleaseNotes = 4049;
constexpr int kUpgradeManual = 4050;
constexpr int kUpgradeCheck = 3043;
constexpr int kUpgradeExit = 3178;

// Texts of this client that the classic resources did not have.
constexpr int kUpgradeCheckCaption = 9400;
constexpr int kUpgradeExitCaption = 9401;
constexpr int kMsgUpgradeFolderLocked = 9402;    // %1 folder, %2 reason
constexpr int kMsgUpgradeProgramMissing = 9403;  // %1 path
constexpr int kMsgUpgradeDownloadFailed = 9404;  // followed by the reason
constexpr int kMsgUpgradeEmptyRelease = 9405;    // %1 remote folder
constexpr int kMsgUpgradeStartFailed = 9406;     // %1 path
constexpr int kMsgUpgradeNoReleaseNotes = 9407;
constexpr int kMsgUpgradeIncomplete = 9408;

}  // namespace ids
