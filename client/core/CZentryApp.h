// CZentryApp: the client's application object. It owns the application
// context, takes the process from start to a logged-in main window
// (InitInstance), writes the settings back (ExitInstance) and answers the
// application-wide commands: About, the three languages and Exit.
#pragma once

#include "CAppContext.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QWidget;
class CLoadProgressDlg;

class CZentryApp : public QObject {
    Q_OBJECT
public:
    CZentryApp();
    ~CZentryApp() override;

    // The one application object (null before it is built or after it is gone).
    static CZentryApp* Instance();

    // Settings, login, metadata, version check, then the main window made by
    // createMainFrame. false ends the program.
    bool InitInstance(const std::function<QWidget*()>& createMainFrame);
    int ExitInstance();

    // Re-captions every open window after the language texts changed.
    void ApplyLanguage();

    // The program's options (Qt's own are gone from the list by then):
    //   --config-dir DIR    settings, login history and temp/ in DIR
    //   --autologin         press Login at once with the saved settings
    //   --exit-after-start  end as soon as the main window is shown
    // false with a text for an option it does not know.
    bool ParseCommandLine(const QStringList& arguments, QString& error);

    CAppContext m_context;
    QPointer<CLoadProgressDlg> m_loadProgressDlg;
    int m_starting;
    QPointer<QWidget> m_mainWnd;
    bool m_autoLogin;
    bool m_exitAfterStart;
    // A termination signal came: the program ends, also while it starts.
    bool m_endRequested = false;

public slots:
    void OnAppAbout();
    void OnLanguageChinese();
    void OnLanguageBig5();
    void OnLanguageEnglish();
    void OnAppExit();
    // A termination signal: the client ends as closing the main window ends
    // it, without a question that could hold it up.
    void OnTerminationSignal(int signalNumber);

private:
    void SwitchLanguage(const QString& code);
};
