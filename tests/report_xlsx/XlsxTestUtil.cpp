#include "XlsxTestUtil.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/wait.h>
#include <vector>

CTempDir::CTempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "zxlsx-test-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()))
        m_path = name.data();
}

CTempDir::~CTempDir()
{
    std::error_code ec;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ec);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& data)
{
    std::ofstream out(path, std::ios::binary);
    out << data;
}

namespace {
struct CPipeCloser {
    int* m_status;
    void operator()(std::FILE* f) const { *m_status = pclose(f); }
};
} // namespace

int RunPython(const std::string& script, const std::string& args, std::string& output)
{
    CTempDir dir;
    std::string file = dir.Path("script.py");
    WriteFile(file, "import sys, openpyxl\n" + script);
    std::string command = "/usr/bin/python3 " + file + " " + args + " 2>&1";
    int status = -1;
    output.clear();
    {
        std::unique_ptr<std::FILE, CPipeCloser> pipe(popen(command.c_str(), "r"), CPipeCloser{ &status });
        if (!pipe)
            return -1;
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, pipe.get())) > 0)
            output.append(buf, n);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string CheckWorkbook(const std::string& path, const std::string& body)
{
    std::string script = R"(
import traceback
failures = []
def _where():
    return traceback.extract_stack()[-3].line
def eq(actual, expected):
    if actual != expected:
        failures.append('%s -> %r, expected %r' % (_where(), actual, expected))
def near(actual, expected, tol=0.01):
    if actual is None or abs(actual - expected) > tol:
        failures.append('%s -> %r, expected about %r' % (_where(), actual, expected))
wb = openpyxl.load_workbook(sys.argv[1])
)" + body + R"(
print('\n'.join(failures) if failures else 'OK', end='')
)";
    std::string output;
    int rc = RunPython(script, "'" + path + "'", output);
    if (rc != 0)
        return "python failed (" + std::to_string(rc) + "): " + output;
    return output;
}

std::string MakeWithPython(const std::string& path, const std::string& body)
{
    std::string output;
    int rc = RunPython(body, "'" + path + "'", output);
    return rc == 0 ? "OK" : "python failed: " + output;
}

std::string MakeWithStringTable(const std::string& path, const std::string& sst,
                                int a0, int a1, int a2)
{
    const std::string script = R"(
import zipfile, io
wb = openpyxl.Workbook(); ws = wb.active
ws['A1'] = 0; ws['A2'] = 0; ws['A3'] = 0
buf = io.BytesIO(); wb.save(buf)
src = zipfile.ZipFile(buf)
items = [int(x) for x in sys.argv[3].split(',')]
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    for n in src.namelist():
        data = src.read(n)
        if n == 'xl/worksheets/sheet1.xml':
            data = data.decode()
            for r, i in zip(('A1', 'A2', 'A3'), items):
                data = data.replace('<c r="%s" t="n"><v>0</v>' % r, '<c r="%s" t="s"><v>%d</v>' % (r, i))
        if n == 'xl/_rels/workbook.xml.rels':
            data = data.decode().replace('</Relationships>', '<Relationship Id="rId9" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>')
        z.writestr(n, data)
    z.writestr('xl/sharedStrings.xml', open(sys.argv[2], encoding='utf-8').read())
)";
    const std::string sstPath = path + ".sst.xml";
    WriteFile(sstPath, sst);
    std::string output;
    const int rc = RunPython(script, "'" + path + "' '" + sstPath + "' " + std::to_string(a0) + "," +
                                         std::to_string(a1) + "," + std::to_string(a2),
                             output);
    std::remove(sstPath.c_str());
    return rc == 0 ? "OK" : "python failed: " + output;
}

std::string SameParts(const std::string& a, const std::string& b, const std::string& except)
{
    std::string script = R"(
import zipfile
a = zipfile.ZipFile(sys.argv[1]); b = zipfile.ZipFile(sys.argv[2])
skip = set(x for x in sys.argv[3].split(',') if x)
names_b = set(b.namelist())
out = []
for n in a.namelist():
    if n in skip: continue
    if n not in names_b: out.append('missing ' + n)
    elif a.read(n) != b.read(n): out.append('changed ' + n)
print('\n'.join(out) if out else 'OK', end='')
)";
    std::string output;
    int rc = RunPython(script, "'" + a + "' '" + b + "' '" + except + "'", output);
    if (rc != 0)
        return "python failed: " + output;
    return output;
}
