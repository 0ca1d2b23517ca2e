#include "CReportRunner.h"

#include "BoundObject.h"
#include "CListString.h"
#include "COdbcConnection.h"
#include "CScriptHost.h"
#include "ExcelFile.h"
#include "Helpers.h"
#include "LogWriter.h"
#include "ReportQuery.h"
#include "ScriptBinding.h"
#include "TextFile.h"

#include <cstdio>
#include <unistd.h>

namespace {

bool MakeAbsolute(CScriptHost& host, const char* global, CListString& value) {
    if (value.GetAt(0) != '/') {
        CListString path;
        path.Format("%s/%s", GetModulePathPart(0).CStr(), value.CStr());
        host.SetGlobal(global, path.CStr());
    }
    return host.GetGlobal(global, value);
}

}  // namespace

bool CReportRunner::Fail(const std::string& message) {
    m_lastError = message;
    LogMessage("%s\n", message.c_str());
    return false;
}

bool CReportRunner::ExportQuery(const char* user, const char* password, const char* dataSource,
                                const char* sql, const char* outputPath) {
    if (!IsSelectText(sql)) return Fail("the query is not a select statement");
    COdbcConnection db;
    db.SetConnectParams(user ? user : "", password ? password : "", dataSource ? dataSource : "", "");
    if (!db.Logon()) return Fail("logon failed: " + db.GetErrorText().StdString());
    std::string text, error;
    const int rows = QueryToTextLimited(db, sql, "\x01", "\x02", text, error);
    if (rows <= 0) {
        printf("%s\n", error.c_str());
        return Fail(rows < 0 ? "query failed: " + error : "the query returned no row");
    }
    FilePtr file(outputPath ? fopen(outputPath, "w") : nullptr);
    if (!file) return Fail(std::string("cannot write ") + (outputPath ? outputPath : "(null)"));
    const bool written = fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    if (fclose(file.release()) != 0 || !written) {
        unlink(outputPath);
        return Fail(std::string("cannot write ") + outputPath);
    }
    return true;
}

bool CReportRunner::RunReportScript(const char* scriptPath, const char* dataPath) {
    CScriptHost host;
    if (!host.IsOpen()) return Fail("cannot create a Lua state");
    host.SetLogging(true);
    // The older profile: the script's top level runs before the classes are
    // registered, and a failure there does not stop the run.
    host.RunFile(scriptPath);
    if (!RegisterScriptInterface(host.GetState(), tolua_Runner_open)) return Fail("cannot register the script interface");

    host.SetLogging(false);
    CListString query, dest("reportout.xls"), templatePath;
    host.GetGlobal("query", query);
    host.GetGlobal("dest_file", dest);
    host.SetLogging(true);
    if (!host.GetGlobal("template_file", templatePath))
        return Fail(std::string("no template_file in ") + (scriptPath ? scriptPath : "(null)"));
    MakeAbsolute(host, "template_file", templatePath);
    host.SetGlobal("dest_file", dest.CStr());
    MakeAbsolute(host, "dest_file", dest);

    host.RunString(
        "obj = ExcelFile:new()\n obj:InitExcel()\n obj:ShowInExcel(0)\n"
        " v = obj:Open(template_file) \t\n obj:ResetReplace()\n");
    // The run's own objects go with the state when it closes.
    OwnBoundGlobal(host.GetState(), "obj", "ExcelFile");
    ExcelFile* book = GlobalExcelFile(host.GetState(), "obj");
    const bool opened = book && book->Ok() == 1;

    // The data file is taken whole, however long.
    host.SetGlobal("sinfo", ReadWholeText(dataPath).c_str());
    host.SetGlobal("sep", "\x01");
    host.SetGlobal("slinesep", "\x02");
    host.RunString("table = CTable:new() \n table:SetSeps(sep,slinesep)\n table:fromString(sinfo)\n");
    OwnBoundGlobal(host.GetState(), "table", "CTable");
    host.CallFunction("report");

    // The script may name its output only in its report function.
    host.SetLogging(false);
    CListString current;
    if (host.GetGlobal("dest_file", current) && current.Compare(dest.CStr()) != 0 &&
        MakeAbsolute(host, "dest_file", current))
        dest = current;
    host.SetLogging(true);
    bool saved = false;
    book = GlobalExcelFile(host.GetState(), "obj");
    if (book) {
        book->GoReplaceAll();
        saved = book->SaveAs(dest.CStr());
        book->ReleaseExcel();
    }
    host.RunString("table:reset()\n");
    host.Close();
    if (!opened) return Fail(std::string("the template did not open: ") + templatePath.CStr());
    if (!saved) return Fail(std::string("the report was not saved: ") + dest.CStr());
    return true;
}
