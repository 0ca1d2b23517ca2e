#include "Helpers.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FdCloser::~FdCloser() {
    if (fd >= 0) close(fd);
}

int ReadLine(FILE* file, char* buffer, int maximum) {
    int count = 0;
    bool readAny = false;
    while (count < maximum) {
        const int c = fgetc(file);
        if (c == EOF) {
            if (ferror(file)) {
                buffer[count] = 0;
                return -2;
            }
            if (!readAny) {
                buffer[0] = 0;
                return -1;
            }
            break;
        }
        readAny = true;
        if (c == '\n' || c == 0) break;
        if (c == '\r') continue;
        buffer[count++] = static_cast<char>(c);
        if (c == 12 || c == 26) break;
    }
    buffer[count] = 0;
    return count;
}

CListString ReadTextLines(const char* path, int maxLines) {
    FilePtr file(path ? fopen(path, "r") : nullptr);
    if (!file) return CListString("-1");
    CListString text;
    std::unique_ptr<char[]> line(new char[8001]);
    for (int n = 0; n < maxLines; ++n) {
        const int length = ReadLine(file.get(), line.get(), 8000);
        if (length < 0) break;
        text.AppendText(line.get(), length);
        text.AppendChar('\n');
    }
    return text;
}

int SplitText(const char* text, std::vector<std::string>& pieces, const char* delimiters,
              bool dropEmpty, const char* filler) {
    if (!text || !*text || !delimiters || !*delimiters) return 0;
    if (!filler) filler = "";
    const char* start = text;
    for (;;) {
        const size_t n = strcspn(start, delimiters);
        if (n > 0)
            pieces.emplace_back(start, n);
        else if (!dropEmpty)
            pieces.emplace_back(filler);
        if (start[n] == 0) break;
        start += n + 1;
    }
    return static_cast<int>(pieces.size());
}

namespace {

bool LocalNow(struct tm& local) {
    const time_t now = time(nullptr);
    return localtime_r(&now, &local) != nullptr;
}

}  // namespace

CListString NowText() {
    struct tm t = {};
    LocalNow(t);
    CListString text;
    text.Format("%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

CListString TodayText() {
    struct tm t = {};
    LocalNow(t);
    CListString text;
    text.Format("%04d-%02d-%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    return text;
}

void PrevMonth(int year, int month, int& outYear, int& outMonth) {
    if (month <= 1) {
        outYear = year - 1;
        outMonth = 12;
    } else {
        outYear = year;
        outMonth = month - 1;
    }
}

char* StripChar(char* text, char c) {
    if (!text) return nullptr;
    const size_t length = strlen(text);
    size_t first = 0;
    while (first < length && text[first] == c) ++first;
    if (first == length) {
        text[0] = 0;
        return text;
    }
    size_t last = length - 1;
    while (last > first && text[last] == c) --last;
    const size_t n = last - first + 1;
    memmove(text, text + first, n);
    text[n] = 0;
    return text;
}

CListString GetModulePathPart(int part) {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return CListString();
    path[n] = 0;
    const char* slash = strrchr(path, '/');
    const char* name = slash ? slash + 1 : path;
    switch (part) {
    case 0:
        return slash ? CListString(path, static_cast<int>(slash - path)) : CListString();
    case 1:
        return CListString(path);
    case 2:
        return CListString(name);
    case 3: {
        const char* dot = strchr(name, '.');
        return dot ? CListString(name, static_cast<int>(dot - name)) : CListString(name);
    }
    default:
        return CListString();
    }
}

long long FileSizeOf(const char* path) {
    if (!path) return -1;
    struct stat st;
    if (stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    FilePtr file(fopen(path, "rb"));
    if (!file) return -1;
    return static_cast<long long>(st.st_size);
}

FILE* OpenAppendPrivate(const char* path) {
    const int fd = open(path, O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0640);
    if (fd < 0) return nullptr;
    FILE* file = fdopen(fd, "a+");
    if (!file) close(fd);
    return file;
}

std::string WriteBlocker(const char* path) {
    struct stat st;
    if (!path || stat(path, &st) != 0) return strerror(path ? errno : EINVAL);
    if (access(path, W_OK) != 0) return strerror(errno);
    if ((st.st_mode & 0222) == 0) return "read-only";
    return std::string();
}
