// CHomePageForm: the home page view (1057): the HTML part of main.mht from
// the program folder, read on a worker thread and shown in a text browser.
#pragma once

#include "IFrameView.h"

#include <QByteArray>
#include <QString>
#include <QWidget>

class QTextBrowser;
class CAppContext;

class CHomePageForm : public QWidget, public IFrameView {
    Q_OBJECT
public:
    CHomePageForm(CAppContext& context, QWidget* parent = nullptr);

    QWidget* Widget() override { return this; }

    // The location the view shows: "<program folder>/main.mht".
    QString Location() const;
    // The first text/html part of an MHTML document (quoted-printable,
    // base64 or plain), as UTF-8 text; a plain HTML file is returned whole.
    static QString ExtractHtml(const QByteArray& document);
    QTextBrowser* Browser() const { return m_browser; }
    // true once the worker's page has been shown.
    bool IsLoaded() const { return m_loaded; }

signals:
    void Loaded();

private slots:
    void ShowPage(const QString& html, bool found);

private:
    CAppContext& m_context;
    QTextBrowser* m_browser;
    bool m_loaded;
};
