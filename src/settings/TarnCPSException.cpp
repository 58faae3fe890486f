#include "settings/TarnCPSException.h"

CTarnCPSException::CTarnCPSException(int messageId, const QString &detail, const char *operation, int line)
    : m_messageId(messageId)
{
    AddTrace(operation, line, detail);
}

CTarnCPSException CTarnCPSException::FromComponent(int messageId, const QString &errorMsg,
                                                   const QString &description, const QString &source,
                                                   const char *operation, int line)
{
    return CTarnCPSException(messageId,
                             QStringLiteral("ErrorMsg: %1\nDesc: %2\nSource: %3").arg(errorMsg, description, source),
                             operation, line);
}

void CTarnCPSException::AddTrace(const char *operation, int line, const QString &detail)
{
    m_trace += QStringLiteral("\n(%1:%2) %3").arg(QString::fromLatin1(operation)).arg(line).arg(detail);
}

const char *CTarnCPSException::what() const noexcept
{
    m_what = QStringLiteral("message %1%2").arg(m_messageId).arg(m_trace).toUtf8();
    return m_what.constData();
}
