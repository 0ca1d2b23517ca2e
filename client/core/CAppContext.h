// CAppContext: the client's process-wide state: settings and language files,
// colours, fonts, the one data client, the logged-in user, the metadata the
// loader fills after login and the lookups over it. One instance, owned by
// the application object; used from the UI thread (the login worker only
// calls Login).
#pragma once

#include "CConfigFile.h"
#include "CFontCache.h"
#include "CHttpDataClient.h"
#include "CListString.h"
#include "CResultSet.h"

#include <QBrush>
#include <QColor>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QComboBox;
class QMenu;
class QWidget;
class CSingleInstance;
class IMainFrame;

class CAppContext {
public:
    CAppContext();
    virtual ~CAppContext();

    // --- settings and language (start-up) ---
    // Settings file, titles, single-instance guard, language file, temp
    // folder. false ends the start-up; messages are shown inside.
    bool LoadSettings();
    // Saves the settings file when it was loaded (mode 0600); false otherwise.
    bool SaveSettings();
    bool LoadLanguage(const QString& code);
    QString GetTitleForLanguage(const QString& code) const;
    // The language text of an id ("" when absent).
    QString Text(int id) const;
    // The text followed by ':' (labels).
    QString Label(int id) const;
    void RestoreWindowSize(QWidget* mainWindow);
    // "RGB(r,g,b)" (either case) or "r,g,b" to a colour; any other number
    // of fields gives 12632256 (0xC0C0C0) and false.
    static bool ParseRgb(const QString& text, QColor& colour);
    // The number at the start of a text, as atol reads it ("255,0,0" is 255).
    static long LeadingNumber(const QString& text);
    // The row colour of a status text from section bug; false for statuses
    // without a colour of their own.
    bool GetStatusColour(const QString& status, QColor& colour) const;

    // --- server ---
    // Logs in with the keys of section common. Safe on a worker thread: it
    // shows nothing; the text to show comes back in error (never empty on
    // failure).
    bool Login(CListString& error);
    void SetBusy(int on);
    // Wrapped server calls: busy on, call with m_lastError, busy off; a failure
    // shows m_lastError. Return what the data client returns.
    int RunSelect(const char* sql, CResultSet& result);
    bool RunExec(const char* sql);

    // --- metadata (loader) ---
    int LoadMetadata();
    QString GetUserRights(const QString& userName);
    QString MergeRights(const QString& first, const QString& second);
    // Reads the defect field configuration (t_cfg_sys_list) into m_columns;
    // false when the query failed (shown).
    bool ReloadColumns();
    // Reads the current project's custom-field layout into m_prjCustomField
    // (empty for a project without one); after a failed read (shown) the
    // layout is empty and the result false. Every change of the current
    // project calls it.
    bool ReadProjectLayout();
    // Reads the server's user configuration reply into the members.
    void ApplyUserConfig(const QString& reply);

    // --- lookups and sequences ---
    int SelectParams(const char* listId, CResultSet& out) const;
    // Reads the lookup values again (after the workflow changed statuses)
    // and the statuses among them; false when the query failed (shown).
    bool ReloadParams();
    int IsStatusEnabled(const QString& status) const;
    int GetNextStatuses(const QString& status, QStringList& out) const;
    int FillVersionCombo(QComboBox* combo, const QString& project, int withNone) const;
    QString FormatUserWithFullName(const QString& user) const;
    QString GetColumnRefList(const QString& column, QString& editStyle) const;
    int IsColumnUsed(const QString& label) const;
    QString GetColumnNameByLabel(const QString& label) const;
    int GetColumnOrder(const QString& column) const;
    int GetColumnOrderByLabel(const QString& label) const;
    QString GetQueryColumnList(const QString& digits) const;
    QString GetAlias(const QString& name) const;
    QString GetNameByAlias(const QString& alias) const;
    // The next free defect id (never one that t_bug already holds), with the
    // sequence moved past it; 0 when the sequence cannot be read.
    int NextBugId();
    int AdvanceBugSequence(int taken);
    // Runs insert(id) with ids from NextBugId until it succeeds or fails for
    // another reason than a taken id (at most 20 tries); the id used, or 0.
    int InsertWithNewBugId(const std::function<bool(int id)>& insert);
    static void EscapeQuotes(CListString& text);
    static void EscapeQuotes(QString& text);
    static QString Quoted(const QString& text);  // EscapeQuotes of a copy
    void LocalizeMenu(QMenu* menu);

    // --- attachments ---
    // Deletes the defect's attachment files on the FTP site (host [common]
    // server, the account of the user configuration). 1 when the defect had
    // attachment rows, 0 when none or when the site or the rows cannot be
    // reached (shown). A file that cannot be deleted is logged.
    int DeleteBugAttachmentFiles(int bugId);

    // --- messages (UI thread only; from other threads they go to the log) ---
    void ShowMessage(const QString& text);
    bool AskYesNo(const QString& text);

    // --- folders ---
    QString SettingsPath() const { return m_configDir + "/korvandix.ini"; }
    QString LoginHistoryPath() const { return m_configDir + "/login.ini"; }
    QString LanguagePath(const QString& code) const { return m_exeDir + "/lang/" + code + ".ini"; }
    QString TempDir() const { return m_cacheDir + "/temp"; }

    CConfigFile m_settings;
    QString m_exeDir;
    CConfigFile m_langTexts;
    QBrush m_bgBrush;
    QString m_language;
    QString m_titles[3];  // English, Chinese, big5
    float m_clientVersion;
    float m_serverClientVersion;
    int m_clientVersionSize;
    QColor m_bgColor;
    CFontCache m_fonts;
    CHttpDataClient m_http;
    CListString m_lastError;
    QString m_currentProject;
    QString m_userName;
    CResultSet m_projects;
    QString m_rights;
    QString m_queryFields;
    CResultSet m_params;
    CResultSet m_columns;
    CResultSet m_aliases;
    CResultSet m_statuses;
    CResultSet m_severities;
    CResultSet m_priorities;
    CResultSet m_versions;
    CResultSet m_transRules;
    CResultSet m_users;
    CResultSet m_depts;
    int m_currentBugId;
    int m_fillBackground;
    QString m_ftpUser;
    QString m_ftpPass;
    int m_ftpPort;
    QString m_releasePath;
    QString m_attachPath;
    QString m_manuDownloadFile;
    QString m_mailServer;
    QString m_mailUser;
    QString m_mailPass;
    QString m_mailAuthType;
    int m_mailPort;
    QString m_prjCustomField;
    int m_menuPopupCount;
    int m_canSysManage;
    int m_canAddDefect;
    int m_canDeleteDefect;

    // Writable folders (settings and history; temp/ and cache/).
    QString m_configDir;
    QString m_cacheDir;
    bool m_settingsLoaded;
    // The last read of the current project's layout failed: m_prjCustomField
    // is empty for want of the stored one, not because there is none.
    bool m_prjLayoutFailed = false;
    // The main window once it exists: the parent of the messages.
    QPointer<QWidget> m_mainWindow;
    // The main frame while it exists (it sets and clears this itself): the
    // busy indicator, captions, the project selector.
    IMainFrame* m_mainFrame = nullptr;
    // The last message shown (kept for the log and for tests).
    QString m_lastMessage;
    // Unattended run (--exit-after-start): messages go to the log and
    // standard error instead of boxes, and questions are answered No.
    bool m_unattended;

private:
    std::unique_ptr<CSingleInstance> m_instance;
};
