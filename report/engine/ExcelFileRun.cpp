// The report run of ExcelFile: script, template, queued inputs, the
// script's init and report functions, placeholders, save.
#include "ExcelFile.h"

#include "BoundObject.h"
#include "CListString.h"
#include "Helpers.h"
#include "LogWriter.h"
#include "MessageSink.h"
#include "ScriptBinding.h"
#include "TableName.h"
#include "Util.h"

#include <cstdio>

namespace {

// A script may start runs of its own (ExcelFile:TaverixRun); a script that
// keeps doing so would otherwise recurse until the stack runs out.
int g_runDepth = 0;
const int kMaxRunDepth = 8;

struct DepthGuard {
    DepthGuard() { ++g_runDepth; }
    ~DepthGuard() { --g_runDepth; }
};

// Paths are taken relative to the host program's folder.
bool MakeAbsolute(CScriptHost& host, const char* global, CListString& value) {
    if (value.GetAt(0) != '/') {
        CListString path;
        path.Format("%s/%s", GetModulePathPart(0).CStr(), value.CStr());
        host.SetGlobal(global, path.CStr());
    }
    return host.GetGlobal(global, value);
}

const char kOpeningChunk[] =
    "obj = ExcelFile:new_local()\n obj:InitExcel()\n obj:Show(false)\n"
    " v = obj:Open(template_file) \t\n obj:ResetReplace()\n";

}  // namespace

bool ExcelFile::TaverixRun(const char* scriptPath) {
    if (!scriptPath) return false;
    if (g_runDepth >= kMaxRunDepth) {
        LogMessage("report runs nested too deeply: %s\n", scriptPath);
        return false;
    }
    DepthGuard depth;
    CScriptHost& host = m_host;
    // Every run starts from a fresh state: nothing of an earlier run leaks in.
    if (!host.Open()) {
        ShowMessage("无法创建脚本解释器");
        return false;
    }
    host.SetLogging(true);
    host.DisableExit();
    if (!RegisterScriptInterface(host.GetState(), tolua_Taverix_open)) {
        ShowMessage("无法注册脚本接口");
        host.Close();
        return false;
    }
    if (!host.RunFile(scriptPath)) {
        CListString message;
        message.Format("报表脚本 \"%s\" 无法执行:\n%s", scriptPath, host.GetErrorText().CStr());
        ShowMessage(message.CStr());
        host.Close();
        return false;
    }

    host.SetLogging(false);
    CListString query, dest("reportout.xls"), templatePath;
    host.GetGlobal("query", query);
    host.GetGlobal("dest_file", dest);
    host.SetLogging(true);
    if (!host.GetGlobal("template_file", templatePath)) {
        host.Close();
        return false;
    }
    MakeAbsolute(host, "template_file", templatePath);
    host.SetGlobal("dest_file", dest.CStr());
    MakeAbsolute(host, "dest_file", dest);

    host.RunString(kOpeningChunk);
    host.RunString("is_open_excel_ok = obj:Ok()");
    CListString opened;
    host.GetGlobal("is_open_excel_ok", opened);
    ExcelFile* book = GlobalExcelFile(host.GetState(), "obj");
    if (opened.CompareNoCase("1") != 0 || !book) {
        if (book) book->ReleaseExcel();
        CListString message;
        message.Format("打开报表模板失败，请确定文件 \"%s\" 存在", templatePath.CStr());
        ShowMessage(message.CStr());
        host.Close();
        return false;
    }

    bool ok = true;
    if (host.IsFunction("init") && !host.CallFunction("init")) ok = false;
    for (const auto& variable : m_variables) host.SetGlobal(variable.first.c_str(), variable.second.c_str());
    for (const std::string& script : m_scripts)
        if (!host.RunString(script.c_str())) ok = false;
    int k = 0;
    for (const auto& table : m_tables) {
        ++k;
        // The name goes into chunk text: only a plain identifier may.
        if (!IsTableName(table.first.c_str())) {
            LogMessage("表名 \"%s\" 不是合法的标识符\n", table.first.c_str());
            ok = false;
            continue;
        }
        char global[32];
        snprintf(global, sizeof global, "sinfo_%d", k);
        host.SetGlobal(global, table.second.c_str());
        CListString chunk;
        chunk.Format("%s = CTable:new()\n%s:fromString(%s)\n", table.first.c_str(),
                     table.first.c_str(), global);
        printf("%s\n", chunk.CStr());
        if (!host.RunString(chunk.CStr())) ok = false;
        // The run's own tables go with the state, not left behind by each run.
        OwnBoundGlobal(host.GetState(), table.first.c_str(), "CTable");
    }
    if (host.IsFunction("report") && !host.CallFunction("report")) ok = false;

    // The script may name its output only now (from the queued inputs).
    host.SetLogging(false);
    CListString current;
    if (host.GetGlobal("dest_file", current) && current.Compare(dest.CStr()) != 0 &&
        MakeAbsolute(host, "dest_file", current))
        dest = current;
    host.SetLogging(true);
    // The script may have replaced obj; the workbook it holds now is saved.
    book = GlobalExcelFile(host.GetState(), "obj");
    if (!book) {
        LogMessage("obj 不再是 ExcelFile，报表未保存\n");
        ok = false;
    } else {
        book->GoReplaceAll();
        if (!book->SaveAs(dest.CStr())) ok = false;
        book->ReleaseExcel();
    }

    host.SetLogging(false);
    CListString openFile("0");
    host.GetGlobal("open_file", openFile);
    host.SetLogging(true);
    host.Close();
    if (ok && openFile.CompareNoCase("1") == 0) Util().Run(SavePathFor(dest.StdString()).c_str());
    return ok;
}
