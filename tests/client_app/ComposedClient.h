// The client as the program composes it (CClientComposition), logged in to
// a demo server, with its main frame shown.
#pragma once

#include "CClientComposition.h"
#include "CZentryApp.h"
#include "ClientFixtures.h"
#include "MainFrame.h"

#include <QApplication>

#include <memory>

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
