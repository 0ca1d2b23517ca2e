#include "TextFile.h"

#include "Helpers.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

const int kChunk = 9000;

// Closes a descriptor and unlinks the temp file unless released.
class TempFile {
public:
    explicit TempFile(std::string path) : m_path(std::move(path)) {
        m_fd = mkstemp(&m_path[0]);
        m_created = m_fd >= 0;
    }
    ~TempFile() {
        if (m_fd >= 0) close(m_fd);
        if (m_created && !m_kept) unlink(m_path.c_str());
    }
    bool Valid() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    const std::string& Path() const { return m_path; }
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return close(fd) == 0;
    }
    void Keep() { m_kept = true; }

private:
    std::string m_path;
    int m_fd = -1;
    bool m_created = false;
    bool m_kept = false;
};

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

mode_t DefaultMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

CListString ReadTextFile(const char* path, int maxLines) {
    FilePtr file(path ? fopen(path, "r") : nullptr);
    if (!file) return CListString("-1");
    std::unique_ptr<char[]> buffer(new char[kChunk + 1]);
    CListString text;
    bool lineOpen = false;  // part of a line already taken
    int lines = 0;
    while (maxLines <= 0 || lines < maxLines) {
        const int length = ReadLine(file.get(), buffer.get(), kChunk);
        if (length == -2) return CListString("-1");
        if (length == -1) {
            if (lineOpen) text.AppendChar('\n');  // the last line had no line end
            break;
        }
        text.AppendText(buffer.get(), length);
        // A full chunk is a piece of a longer line; a form feed or Ctrl-Z
        // ends a read but not the line in the file.
        const char last = length > 0 ? buffer[length - 1] : 0;
        if (length == kChunk || last == 12 || last == 26) {
            lineOpen = true;
            continue;
        }
        text.AppendChar('\n');
        lineOpen = false;
        ++lines;
    }
    return text;
}

bool ReplaceFileContent(const char* path, const std::string& bytes, std::string& error) {
    std::string target(path ? path : "");
    if (target.empty()) {
        error = "no file name";
        return false;
    }
    TempFile temp(target + ".XXXXXX");
    if (!temp.Valid()) {
        error = "cannot create a file beside " + target + ": " + strerror(errno);
        return false;
    }
    struct stat st;
    const mode_t mode = stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : DefaultMode();
    if (fchmod(temp.Fd(), mode) != 0 || !WriteAll(temp.Fd(), bytes) || fsync(temp.Fd()) != 0) {
        error = "cannot write " + temp.Path() + ": " + strerror(errno);
        return false;
    }
    if (!temp.Close()) {
        error = "cannot write " + temp.Path() + ": " + strerror(errno);
        return false;
    }
    if (rename(temp.Path().c_str(), target.c_str()) != 0) {
        error = "cannot replace " + target + ": " + strerror(errno);
        return false;
    }
    temp.Keep();
    return true;
}
