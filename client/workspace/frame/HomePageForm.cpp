#include "HomePageForm.h"

#include "CAppContext.h"
#include "ClientIds.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QThreadPool>
#include <QVBoxLayout>

namespace {

QByteArray DecodeQuotedPrintable(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '=') {
            out.append(c);
            continue;
        }
        if (i + 1 < text.size() && (text[i + 1] == '\n' || text[i + 1] == '\r')) {
            // Soft line break.
            ++i;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            continue;
        }
        if (i + 2 < text.size()) {
            bool ok = false;
            const int value = text.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out.append(static_cast<char>(value));
                i += 2;
                continue;
            }
        }
        out.append(c);
    }
    return out;
}

}  // namespace

CHomePageForm::CHomePageForm(CAppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_loaded(false) {
    setObjectName(QString::number(ids::kViewHome));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QString::number(ids::kHomeBrowser));
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);

    // The page is read and decoded on a worker that touches no widget; the
    // result comes back to this view on the UI thread (dropped when the view
    // is gone by then).
    const QString location = Location();
    QPointer<CHomePageForm> self(this);
    QThreadPool::globalInstance()->start([self, location] {
        QFile file(location);
        const bool found = file.open(QIODevice::ReadOnly);
        const QString html = found ? ExtractHtml(file.readAll()) : QString();
        // The pointer is looked at on the UI thread only, where views die.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, html, found] {
                if (self) self->ShowPage(html, found);
            },
            Qt::QueuedConnection);
    });
}

QString CHomePageForm::Location() const { return m_context.m_exeDir + "/main.mht"; }

void CHomePageForm::ShowPage(const QString& html, bool found) {
    if (found)
        m_browser->setHtml(html);
    else
        m_browser->setPlainText(Location());
    m_loaded = true;
    emit Loaded();
}

QString CHomePageForm::ExtractHtml(const QByteArray& document) {
    const QRegularExpression boundaryRe("boundary=\"?([^\";\\r\\n]+)\"?",
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch boundaryMatch = boundaryRe.match(QString::fromLatin1(document.left(4096)));
    if (!boundaryMatch.hasMatch()) return QString::fromUtf8(document);
    const QByteArray boundary = "--" + boundaryMatch.captured(1).toLatin1();
    int start = document.indexOf(boundary);
    while (start >= 0) {
        start += boundary.size();
        if (document.mid(start, 2) == "--") break;
        const int end = document.indexOf(boundary, start);
        const QByteArray part = document.mid(start, end < 0 ? -1 : end - start);
        int headerEnd = part.indexOf("\r\n\r\n");
        int bodyStart = headerEnd + 4;
        if (headerEnd < 0) {
            headerEnd = part.indexOf("\n\n");
            bodyStart = headerEnd + 2;
        }
        if (headerEnd >= 0) {
            const QByteArray headers = part.left(headerEnd).toLower();
            if (headers.contains("content-type: text/html")) {
                QByteArray body = part.mid(bodyStart);
                if (headers.contains("quoted-printable"))
                    body = DecodeQuotedPrintable(body);
                else if (headers.contains("base64"))
                    body = QByteArray::fromBase64(body);
                return QString::fromUtf8(body);
            }
        }
        start = end;
    }
    return QString();
}
