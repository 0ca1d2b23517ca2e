// The exported functions of libTaverix.so, all acting on the one engine
// object. No exception and no Lua error leaves them.
#include "Taverix.h"

#include "CListString.h"
#include "CScriptHost.h"
#include "ExcelFile.h"
#include "MessageSink.h"
#include "TableName.h"
#include "TextFile.h"

#include <cstring>

namespace {

// The engine object: built when the library loads, destroyed when it unloads.
ExcelFile theExcelFile;

// The longest prefix of text that fits in limit bytes without splitting a
// UTF-8 character.
size_t Utf8Prefix(const char* text, size_t length, size_t limit) {
    if (length <= limit) return length;
    size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return cut;
}

}  // namespace

extern "C" {

int report(const char* scriptPath) {
    try {
        return theExcelFile.TaverixRun(scriptPath) ? 0 : -1;
    } catch (...) {
        return -1;
    }
}

int get_var(const char* scriptPath, const char* name, char* buffer) {
    if (!scriptPath || !buffer) return -1;
    try {
        CScriptHost host;
        host.DisableExit();
        if (!host.RunFile(scriptPath)) return -1;
        CListString value;
        if (!name || !host.GetGlobal(name, value)) value = "";
        const size_t n = Utf8Prefix(value.CStr(), value.GetLength(), TAVERIX_VAR_BUFFER - 1);
        memcpy(buffer, value.CStr(), n);
        buffer[n] = 0;
        return 0;
    } catch (...) {
        return -1;
    }
}

int add_vars(const char* name, const char* value) {
    if (!name || !value) return -1;
    try {
        theExcelFile.QueueVariable(name, value);
        return 0;
    } catch (...) {
        return -1;
    }
}

int add_table(const char* name, const char* text) {
    if (!name || !text || !IsTableName(name)) return -1;
    try {
        theExcelFile.QueueTable(name, text);
        return 0;
    } catch (...) {
        return -1;
    }
}

int add_table_file(const char* name, const char* path) {
    if (!name || !path || !IsTableName(name)) return -1;
    try {
        theExcelFile.QueueTable(name, ReadWholeText(path).c_str());
        return 0;
    } catch (...) {
        return -1;
    }
}

int add_custom_script(const char* text) {
    if (!text) return -1;
    try {
        theExcelFile.QueueScript(text);
        return 0;
    } catch (...) {
        return -1;
    }
}

void reset(void) {
    theExcelFile.ResetQueues();
}

void set_message_handler(void (*handler)(const char* text)) {
    SetMessageHandler(handler);
}

}  // extern "C"
