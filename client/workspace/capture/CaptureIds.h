// Decimal ids of the screen capture's window and texts (they key the
// language files).
#pragma once

namespace ids {

constexpr int kCaptureDlg = 192;
constexpr int kCaptureTip = 193;
constexpr int kMsgCaptureNameTitle = 4008;     // title of the name prompt
constexpr int kMsgCaptureColour = 4057;        // "colour under the cursor"
constexpr int kMsgCaptureHintNone = 4058;      // no selection yet
constexpr int kMsgCaptureHintDrawing = 4059;   // drawing a selection
constexpr int kMsgCaptureHintSelected = 4060;  // a selection to adjust or save
// Texts of this client that the classic resources did not have.
constexpr int kMsgCaptureBadName = 9420;
constexpr int kMsgCaptureWriteFailed = 9421;   // %1 path

}  // namespace ids
