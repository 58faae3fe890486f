#pragma once
// The program's error object: a string-table message id plus a trace that every
// layer extends with "(Class::Operation:line) detail", so the trace reads from
// the failing call outward.

#include <QString>
#include <QByteArray>
#include <exception>

class CTarnCPSException : public std::exception
{
public:
    CTarnCPSException(int messageId, const QString &detail, const char *operation, int line);

    // An error reported by a component (XML library, script engine) becomes ours
    // with the detail "ErrorMsg: %s\nDesc: %s\nSource: %s".
    static CTarnCPSException FromComponent(int messageId, const QString &errorMsg, const QString &description,
                                           const QString &source, const char *operation, int line);

    int MessageId() const { return m_messageId; }
    const QString &Trace() const { return m_trace; }

    // Appends "\n(%s:%d) %s".
    void AddTrace(const char *operation, int line, const QString &detail);
    // What a handler that catches and passes the error on appends.
    void AddCatchTrace(const char *operation, int line) { AddTrace(operation, line, QStringLiteral("Exception Catched")); }

    const char *what() const noexcept override;

private:
    int m_messageId;
    QString m_trace;
    mutable QByteArray m_what;
};

// Raise with the caller's line: TARN_RAISE(134, "create document failed", "CSettingDocuments::LoadSettingDoc");
#define TARN_RAISE(id, detail, operation) throw CTarnCPSException((id), (detail), (operation), __LINE__)
