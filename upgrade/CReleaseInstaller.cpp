#include "CReleaseInstaller.h"

#include "Helpers.h"
#include "LogWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct DirCloser {
    void operator()(DIR* dir) const {
        if (dir) closedir(dir);
    }
};

std::string Reason(const std::string& what) { return what + ": " + strerror(errno); }

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

ssize_t ReadSome(int fd, char* buffer, size_t size) {
    ssize_t got;
    while ((got = read(fd, buffer, size)) < 0 && errno == EINTR) {
    }
    return got;
}

// Fills buffer as far as the file allows; the count, -1 on an error.
ssize_t ReadFull(int fd, char* buffer, size_t size) {
    size_t total = 0;
    while (total < size) {
        const ssize_t got = ReadSome(fd, buffer + total, size - total);
        if (got < 0) return -1;
        if (got == 0) break;
        total += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(total);
}

// A new file is executable when it is a program or a script.
bool LooksExecutable(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    FdCloser closer{fd};
    char head[4] = {0, 0, 0, 0};
    const ssize_t got = ReadFull(fd, head, sizeof head);
    return (got == 4 && memcmp(head, "\x7f" "ELF", 4) == 0) || (got >= 2 && head[0] == '#' && head[1] == '!');
}

// A unique name beside path: "<folder>/.<name>.<tag>-XXXXXX", created empty
// with mode 0600 and open in fd.
bool MakeTempBeside(const std::string& folder, const std::string& name, const char* tag,
                    std::string& path, int& fd) {
    path = folder + "/." + name + "." + tag + "-XXXXXX";
    fd = mkostemp(&path[0], O_CLOEXEC);
    return fd >= 0;
}

// Copies from into the open file to, with mode, synced; false with errno.
bool CopyInto(const std::string& from, int to, mode_t mode) {
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    FdCloser closer{in};
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ReadSome(in, buffer, sizeof buffer);
        if (got < 0) return false;
        if (got == 0) break;
        if (!WriteAll(to, buffer, static_cast<size_t>(got))) return false;
    }
    return fchmod(to, mode) == 0 && fsync(to) == 0;
}

// true when both files hold the same bytes.
bool SameContent(const std::string& a, const std::string& b) {
    const int fa = open(a.c_str(), O_RDONLY | O_CLOEXEC);
    FdCloser ca{fa};
    const int fb = open(b.c_str(), O_RDONLY | O_CLOEXEC);
    FdCloser cb{fb};
    if (fa < 0 || fb < 0) return false;
    std::unique_ptr<char[]> ba(new char[1 << 16]);
    std::unique_ptr<char[]> bb(new char[1 << 16]);
    for (;;) {
        const ssize_t ga = ReadFull(fa, ba.get(), 1 << 16);
        const ssize_t gb = ReadFull(fb, bb.get(), 1 << 16);
        if (ga < 0 || gb < 0 || ga != gb) return false;
        if (ga == 0) return true;
        if (memcmp(ba.get(), bb.get(), static_cast<size_t>(ga)) != 0) return false;
    }
}

void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    FdCloser closer{fd};
    fsync(fd);
}

}  // namespace

CReleaseInstaller::CReleaseInstaller(const std::string& releaseDir, const std::string& programDir)
    : m_releaseDir(releaseDir), m_programDir(programDir) {}

CReleaseInstaller::~CReleaseInstaller() { Discard(); }

bool CReleaseInstaller::Fail(const std::string& text) {
    m_error = text;
    return false;
}

std::vector<std::string> CReleaseInstaller::Names() const {
    std::vector<std::string> names;
    for (const Entry& entry : m_entries) names.push_back(entry.name);
    return names;
}

bool CReleaseInstaller::Install() {
    m_error.clear();
    const bool done = Check() && Stage() && Commit();
    Discard();
    if (done) SyncFolder(m_programDir);
    return done;
}

bool CReleaseInstaller::Check() {
    m_entries.clear();
    struct stat folder;
    if (stat(m_programDir.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode))
        return Fail(Reason("cannot find the program folder " + m_programDir));
    const std::string folderBlocker = WriteBlocker(m_programDir.c_str());
    if (!folderBlocker.empty())
        return Fail("the program folder " + m_programDir + " cannot be written: " + folderBlocker);
    std::unique_ptr<DIR, DirCloser> dir(opendir(m_releaseDir.c_str()));
    if (!dir) return Fail(Reason("cannot read the release folder " + m_releaseDir));
    for (;;) {
        errno = 0;
        const dirent* item = readdir(dir.get());
        if (!item) break;
        const std::string name = item->d_name;
        if (name == "." || name == "..") continue;
        Entry entry;
        entry.name = name;
        entry.source = m_releaseDir + "/" + name;
        entry.target = m_programDir + "/" + name;
        struct stat st;
        if (lstat(entry.source.c_str(), &st) != 0) return Fail(Reason("cannot read " + entry.source));
        if (!S_ISREG(st.st_mode)) {
            LogMessage("%s upgrade: %s is not a file, left out\n", NowText().CStr(), entry.source.c_str());
            continue;
        }
        m_entries.push_back(entry);
    }
    if (errno != 0) return Fail(Reason("cannot read the release folder " + m_releaseDir));
    if (m_entries.empty()) return Fail("the release folder " + m_releaseDir + " holds no files");
    std::sort(m_entries.begin(), m_entries.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });

    for (Entry& entry : m_entries) {
        struct stat st;
        if (lstat(entry.target.c_str(), &st) != 0) {
            if (errno != ENOENT) return Fail(Reason("cannot read " + entry.target));
            entry.mode = LooksExecutable(entry.source) ? 0755 : 0644;
            continue;
        }
        if (S_ISLNK(st.st_mode) && stat(entry.target.c_str(), &st) != 0)
            return Fail(Reason("cannot read " + entry.target));
        if (!S_ISREG(st.st_mode)) return Fail(entry.target + " is not a file");
        // A protected file is not replaced behind its owner's back.
        const std::string blocker = WriteBlocker(entry.target.c_str());
        if (!blocker.empty()) return Fail(entry.target + " cannot be replaced: " + blocker);
        entry.existed = true;
        entry.mode = st.st_mode & 07777;
    }
    return true;
}

bool CReleaseInstaller::Stage() {
    for (Entry& entry : m_entries) {
        int fd = -1;
        if (!MakeTempBeside(m_programDir, entry.name, "upgrade", entry.staged, fd)) {
            entry.staged.clear();
            return Fail(Reason("cannot write beside " + entry.target));
        }
        FdCloser closer{fd};
        if (!CopyInto(entry.source, fd, entry.mode)) return Fail(Reason("cannot write " + entry.staged));
        if (!SameContent(entry.source, entry.staged))
            return Fail(entry.staged + " differs from the downloaded " + entry.source);
        if (!entry.existed) continue;
        // The old file stays reachable under a backup name until the end.
        int backupFd = -1;
        if (!MakeTempBeside(m_programDir, entry.name, "old", entry.backup, backupFd)) {
            entry.backup.clear();
            return Fail(Reason("cannot write beside " + entry.target));
        }
        FdCloser backupCloser{backupFd};
        if (!CopyInto(entry.target, backupFd, entry.mode) || !SameContent(entry.target, entry.backup))
            return Fail(Reason("cannot keep a copy of " + entry.target));
    }
    return true;
}

bool CReleaseInstaller::Commit() {
    for (Entry& entry : m_entries) {
        if (rename(entry.staged.c_str(), entry.target.c_str()) != 0) {
            const std::string reason = Reason("cannot replace " + entry.target);
            Rollback();
            return Fail(reason);
        }
        entry.staged.clear();
        entry.committed = true;
        LogMessage("%s upgrade: installed %s\n", NowText().CStr(), entry.name.c_str());
    }
    return true;
}

void CReleaseInstaller::Rollback() {
    for (Entry& entry : m_entries) {
        if (!entry.committed) continue;
        bool restored;
        if (entry.existed) {
            restored = rename(entry.backup.c_str(), entry.target.c_str()) == 0;
            if (restored) entry.backup.clear();
        } else {
            restored = unlink(entry.target.c_str()) == 0;
        }
        LogMessage("%s upgrade: %s %s\n", NowText().CStr(), restored ? "put back" : "COULD NOT PUT BACK",
                   entry.target.c_str());
        entry.committed = !restored;
    }
}

void CReleaseInstaller::Discard() {
    const bool failed = !m_error.empty();
    for (Entry& entry : m_entries) {
        if (!entry.staged.empty()) unlink(entry.staged.c_str());
        entry.staged.clear();
        // A backup whose file could not be put back stays for the user.
        const bool keep = failed && entry.existed && entry.committed;
        if (!entry.backup.empty() && !keep) {
            unlink(entry.backup.c_str());
            entry.backup.clear();
        }
    }
}

void CReleaseInstaller::RemoveDownloads() {
    for (const Entry& entry : m_entries)
        if (unlink(entry.source.c_str()) != 0 && errno != ENOENT)
            LogMessage("%s upgrade: %s\n", NowText().CStr(), Reason("cannot remove " + entry.source).c_str());
}
