// Where the client's files live: the installation beside the program (read
// only: lang/, main.mht, the default settings) and the user's writable
// folders (settings, login history, layout scratch, temp/, cache/).
#pragma once

#include <QString>

class CClientFolders {
public:
    // The program's folder without a trailing '/'. ZENTRY_PROGRAM_DIR
    // overrides it (tests run from another folder than the installation).
    static QString ProgramDir();
    // ZENTRY_CONFIG_DIR, else QStandardPaths::AppConfigLocation.
    static QString ConfigDir();
    // ZENTRY_CACHE_DIR, else QStandardPaths::CacheLocation; holds temp/ and cache/.
    static QString CacheDir();

    // Creates configDir and copies the defaults of programDir that are missing
    // there (korvandix.ini, login.ini); the two files get mode 0600 since they
    // hold a password. false with a text when a folder or copy fails.
    static bool Seed(const QString& programDir, const QString& configDir, QString& error);
    // Sends the log to "<cacheDir>/Zentry.log", beside upgrade.log: the
    // program's folder may be read-only. Creates the folder; false when it
    // cannot.
    static bool UseLogFolder(const QString& cacheDir);
    // Mode 0600 for a file that holds secrets; false when chmod fails.
    static bool MakePrivate(const QString& path);
};
