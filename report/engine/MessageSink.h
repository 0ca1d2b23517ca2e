// Where the engine's message boxes go: a handler the host program sets, or
// else the log and standard error. Nothing here waits for a user.
#pragma once

extern "C" {
typedef void (*TaverixMessageHandler)(const char* text);
}

void SetMessageHandler(TaverixMessageHandler handler);
void ShowMessage(const char* text);
// The script's MessageBox.
void ShowScriptMessage(const char* text);
