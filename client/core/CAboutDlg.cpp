#include "CAboutDlg.h"

#include "CAppContext.h"
#include "CLocalizer.h"
#include "ClientIds.h"
#include "DialogHelpers.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(CAppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName("CAboutDlg");
    m_title = new QLabel(this);
    m_title->setObjectName("162");
    auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(ids::kProductSite), this);
    link->setObjectName("161");
    link->setOpenExternalLinks(true);
    m_releaseNotes = CLocalizer::Tag(new QPushButton(this), ids::kAboutReleaseNotes);
    m_releaseNotes->setObjectName(QString::number(ids::kAboutReleaseNotes));
    m_ok = CLocalizer::Tag(new QPushButton(this), ids::kOk);
    m_ok->setObjectName(QString::number(ids::kOk));
    // The developer tool of the classic client; language files are assembled
    // at build time here, so it stays hidden.
    m_genLang = new QPushButton("Gen Lang", this);
    m_genLang->setObjectName(QString::number(ids::kAboutGenLang));
    m_genLang->setVisible(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_releaseNotes);
    buttons->addStretch();
    buttons->addWidget(m_ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(link);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_releaseNotes, &QPushButton::clicked, this, &CAboutDlg::OnReleaseNotes);
    ApplyButtonFace(m_context, {m_ok, m_releaseNotes});
    SetOkIcon(m_ok);
    CLocalizer::Apply(this, m_context);
}

void CAboutDlg::LocalizeCaptions() {
    const QString title = m_context.GetTitleForLanguage(m_context.m_language);
    m_title->setText(title);
    setWindowTitle(title);
}

void CAboutDlg::OnReleaseNotes() {
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_context.m_exeDir + "/releasenotes.txt"));
}
