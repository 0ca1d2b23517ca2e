#include "CLoadProgressDlg.h"

#include "CFontCache.h"
#include "ClientIds.h"

#include <QLabel>
#include <QLayout>
#include <QVBoxLayout>

CLoadProgressDlg::CLoadProgressDlg(CFontCache& fonts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_fonts(fonts) {
    setObjectName("CLoadProgressDlg");
    setProperty("langId", ids::kLoadProgressDlg);
    setWindowTitle("Zentry");
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < 8; ++i) {
        m_lines[i] = new QLabel(this);
        m_lines[i]->setObjectName(QString::number(ids::kLoadLines[i]));
        m_lines[i]->setMinimumWidth(260);
        layout->addWidget(m_lines[i]);
    }
    setModal(false);
}

void CLoadProgressDlg::SetLine(const QString& text, int line) {
    for (QLabel* label : m_lines) m_fonts.SetFont(label, "Microsoft Sans Serif", 14, 0, 0, 0);
    if (line >= 1 && line <= 8) {
        m_lines[line - 1]->setText(text);
        m_fonts.SetFont(m_lines[line - 1], "Microsoft Sans Serif", 14, 1, 0, 0);
    }
    // The loader runs no events between its lines: the lines (and the
    // window, when they need more room) take their sizes now.
    layout()->activate();
    repaint();
}

QString CLoadProgressDlg::GetLineText(int line) const {
    return line >= 1 && line <= 8 ? m_lines[line - 1]->text() : QString();
}
