// CReleaseInstaller: puts the files of a downloaded release into the program
// folder so that a failure at any point leaves the old installation whole.
// Every file is first written beside its target under a temp name and
// compared with the download, and every replaced file is kept under a
// backup name; only when the whole set stands are the new files renamed
// over their targets, and a failed rename puts the old files back.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

class CReleaseInstaller {
public:
    CReleaseInstaller(const std::string& releaseDir, const std::string& programDir);
    ~CReleaseInstaller();
    CReleaseInstaller(const CReleaseInstaller&) = delete;
    CReleaseInstaller& operator=(const CReleaseInstaller&) = delete;

    // Check, stage and commit; false with the reason in GetErrorText, the
    // program folder as it was.
    bool Install();
    // Deletes the downloaded files of the release folder (after Install).
    void RemoveDownloads();

    // The release's file names, in the order they are installed.
    std::vector<std::string> Names() const;
    const std::string& GetErrorText() const { return m_error; }

private:
    struct Entry {
        std::string name;
        std::string source;  // the downloaded file
        std::string target;  // its place in the program folder
        std::string staged;  // the new file beside the target, until renamed
        std::string backup;  // the old file, until the set is in place
        bool existed = false;
        mode_t mode = 0644;
        bool committed = false;
    };

    // The release folder's files and what each replaces; refuses a program
    // folder or target that cannot be written.
    bool Check();
    // Every new file written and compared, every old one backed up.
    bool Stage();
    bool Commit();
    // Puts back what Commit renamed before a failure.
    void Rollback();
    // Removes the temp and backup files that are left.
    void Discard();
    bool Fail(const std::string& text);

    std::string m_releaseDir;
    std::string m_programDir;
    std::vector<Entry> m_entries;
    std::string m_error;
};
