// The client as the program composes it (CClientComposition), logged in to
// a demo server, with its main frame shown.
#pragma once

#include "CClientComposition.h"
#include "CZentryApp.h"
#include "ClientFixtures.h"
#include "MainFrame.h"

#include <QApplication>

#include <memory>
#include <string>

class CComposedClient {
public:
    CComposedClient() : composition(app) {}
    ~CComposedClient() {
        if (frame) frame->close();
    }

    // Logs in as user (the settings file beside the server), metadata loaded.
    bool Login(CDemoServer& server, const char* user = "admin", const char* password = "admin") {
        if (!server.Login(app.m_context, user, password)) return false;
        app.m_starting = 0;
        return true;
    }
    // Logs in as admin with a settings file of its own in folder (English,
    // project Demo), as start-up does; false with what failed in why.
    bool LoginWithOwnSettings(CDemoServer& server, const QString& folder, std::string& why) {
        CSettingsValues values;
        values.port = server.Port();
        values.defaultProject = "Demo";
        CAppContext& context = Context();
        context.m_configDir = context.m_cacheDir = folder;
        if (!WriteText(context.SettingsPath(), SettingsText(values)) || !context.LoadSettings()) {
            why = "settings not written or read";
            return false;
        }
        CListString error;
        if (!context.Login(error)) {
            why = error.StdString();
            return false;
        }
        if (context.LoadMetadata() != 1) {
            why = "metadata not loaded: ";
            return false;
        }
        app.m_starting = 0;
        return true;
    }
    // The composed main frame, made and shown on the first call.
    CMainFrame& Frame() {
        if (!frame) {
            frame = composition.CreateMainFrame();
            app.m_mainWnd = frame.get();
            frame->resize(1000, 700);
            frame->show();
            QApplication::processEvents();
        }
        return *frame;
    }
    CAppContext& Context() { return app.m_context; }

    CZentryApp app;
    CClientComposition composition;
    std::unique_ptr<CMainFrame> frame;
};
