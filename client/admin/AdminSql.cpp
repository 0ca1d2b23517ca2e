#include "AdminSql.h"

#include "QtText.h"

namespace AdminSql {

long SelectInt(CAppContext& context, const QString& sql)
{
    context.SetBusy(1);
    const long value = context.m_http.SelectInt(sql.toUtf8().constData(), context.m_lastError);
    context.SetBusy(0);
    if (value == -1) context.ShowMessage(ToQt(context.m_lastError));
    return value;
}

bool CanAdminister(const CAppContext& context)
{
    return context.m_userName.compare(QLatin1String("admin"), Qt::CaseInsensitive) == 0 ||
           context.m_canSysManage != 0;
}

}  // namespace AdminSql
