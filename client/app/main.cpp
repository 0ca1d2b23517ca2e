// Entry of the desktop client Zentry.
#include "CClientComposition.h"
#include "CTerminationSignals.h"
#include "CZentryApp.h"
#include "ClientFolders.h"
#include "MainFrame.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    QApplication application(argc, argv);
    QApplication::setOrganizationName("korvandix");
    QApplication::setApplicationName("Zentry");
    int code = 0;
    {
        CZentryApp app;
        // The context's folders depend on the application name set above.
        app.m_context.m_configDir = CClientFolders::ConfigDir();
        app.m_context.m_cacheDir = CClientFolders::CacheDir();
        QString error;
        if (!app.ParseCommandLine(QApplication::arguments(), error)) {
            fprintf(stderr, "Zentry: %s\n", error.toLocal8Bit().constData());
            return 2;
        }
        if (!CClientFolders::UseLogFolder(app.m_context.m_cacheDir))
            fprintf(stderr, "Zentry: cannot create %s\n", app.m_context.m_cacheDir.toLocal8Bit().constData());
        CClientComposition client(app);
        // SIGTERM and SIGINT end the program as closing its window does.
        CTerminationSignals termination;
        if (!termination.Install())
            fprintf(stderr, "Zentry: %s\n", termination.Error().toLocal8Bit().constData());
        QObject::connect(&termination, &CTerminationSignals::Requested, &app,
                         &CZentryApp::OnTerminationSignal);
        std::unique_ptr<CMainFrame> frame;
        const bool started = app.InitInstance([&]() -> QWidget* {
            frame = client.CreateMainFrame();
            return frame.get();
        });
        if (started && app.m_exitAfterStart) {
            // Ends once the shown window has been laid out and painted.
            QTimer::singleShot(0, &application, [&] {
                printf("main window shown after %lld ms\n", static_cast<long long>(clock.elapsed()));
                fflush(stdout);
                if (frame) frame->close();
                QApplication::quit();
            });
        }
        if (started && !app.m_endRequested) code = application.exec();
        else if (!started) code = 1;
        if (frame && frame->isVisible()) frame->close();
        frame.reset();
        app.ExitInstance();
    }
    return code;
}
