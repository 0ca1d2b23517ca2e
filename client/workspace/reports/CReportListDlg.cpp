#include "CReportListDlg.h"

#include "CDiskObject.h"
#include "CListStringList.h"
#include "ClientFolders.h"
#include "Helpers.h"
#include "QtText.h"

#include <QFile>
#include <QListWidget>

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kMaxLine = 1024;
constexpr int kMaxScriptLines = 1000;

}  // namespace

CReportListDlg::CReportListDlg(QWidget* parent) : CReportPageDlg(DialogId, parent) {
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { OnSelectReport(); });
    LoadReportList();
}

QString CReportListDlg::ScriptFolder() {
    return CClientFolders::ProgramDir() + QStringLiteral("/report/predefine");
}

QString CReportListDlg::PathOf(const QListWidgetItem* item) {
    return item ? item->data(kPathRole).toString() : QString();
}

void CReportListDlg::LoadReportList() {
    m_list->clear();
    m_pickedPath.clear();
    const QString folder = ScriptFolder();
    CDiskObject disk;
    CListStringList names;
    if (disk.ListFilesMatching("*.lua", QFile::encodeName(folder).constData(), names, 0) <= 0) return;
    for (int i = 0; i < names.GetCount(); ++i) {
        const QString path = folder + "/" + ToQt(names.GetCopyAt(i));
        auto* item = new QListWidgetItem(ReadReportName(path));
        item->setData(kPathRole, path);
        m_list->addItem(item);
    }
}

QString CReportListDlg::ReadReportName(const QString& path) {
    FilePtr file(fopen(QFile::encodeName(path).constData(), "r"));
    if (!file) return QStringLiteral("no name");
    char buffer[kMaxLine + 1];
    while (ReadLine(file.get(), buffer, kMaxLine) >= 0) {
        const QString line = QString::fromUtf8(buffer).trimmed();
        if (line.size() <= 10 || line.startsWith(QLatin1String("--"))) continue;
        const QStringList pieces = line.split('=');
        if (pieces.size() < 2 || pieces[0].compare(QLatin1String("report_name"), Qt::CaseInsensitive) != 0)
            continue;
        QString name = pieces[1];
        while (name.startsWith('"')) name.remove(0, 1);
        while (name.endsWith('"')) name.chop(1);
        return name;
    }
    return QStringLiteral("not find");
}

void CReportListDlg::OnSelectReport() {
    const QString path = PathOf(m_list->currentItem());
    if (path.isEmpty() || path == m_pickedPath) return;
    m_pickedPath = path;
    const QString text = ToQt(ReadTextLines(QFile::encodeName(path).constData(), kMaxScriptLines));
    emit ReportPicked(path, text);
}
