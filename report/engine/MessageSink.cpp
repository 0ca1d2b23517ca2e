#include "MessageSink.h"

#include "LogWriter.h"

#include <cstdio>

namespace {

// The one handler a host may install (the engine has no window of its own).
TaverixMessageHandler g_handler = nullptr;

}  // namespace

void SetMessageHandler(TaverixMessageHandler handler) {
    g_handler = handler;
}

void ShowMessage(const char* text) {
    if (!text) text = "";
    if (g_handler) {
        g_handler(text);
        return;
    }
    LogMessage("%s\n", text);
    fprintf(stderr, "%s\n", text);
}

void ShowScriptMessage(const char* text) {
    ShowMessage(text);
}
