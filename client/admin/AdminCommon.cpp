#include "AdminCommon.h"

#include "CAppContext.h"
#include "QtText.h"

bool CanAdminister(const CAppContext& context)
{
    return context.m_userName.compare(QLatin1String("admin"), Qt::CaseInsensitive) == 0 ||
           context.m_canSysManage != 0;
}

bool CheckAdminister(CAppContext& context)
{
    if (CanAdminister(context)) return true;
    QString text = context.Text(9250);
    if (text.isEmpty()) text = QStringLiteral("You have no right to administer the system");
    context.ShowMessage(text);
    return false;
}

QString SqlText(const QString& value)
{
    return CAppContext::Quoted(value);
}

int AdminSelect(CAppContext& context, const QString& sql, CResultSet& result)
{
    return context.RunSelect(sql.toUtf8().constData(), result);
}

bool AdminExec(CAppContext& context, const QString& sql)
{
    return context.RunExec(sql.toUtf8().constData());
}

bool RunCascade(CAppContext& context, const QStringList& statements)
{
    for (const QString& sql : statements)
        if (!AdminExec(context, sql)) return false;
    return true;
}

QString NamePart(const QString& text)
{
    const int cut = text.indexOf('(');
    return (cut < 0 ? text : text.left(cut)).trimmed();
}
