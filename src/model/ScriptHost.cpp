#include "model/ScriptHost.h"
#include "settings/ConfigStore.h"
#include "settings/MessageSink.h"
#include "settings/TarnCPSException.h"
#include "settings/TextFile.h"

#include <QRegularExpression>

namespace {

constexpr char kOperation[] = "CRadioDataModel::Initialize";

// "Option Explicit" on the first line becomes the strict-mode directive; the
// line count does not change, so reported lines match the file.
QString PrepareSource(const QString &text)
{
    static const QRegularExpression optionExplicit(QStringLiteral("^[ \\t]*Option[ \\t]+Explicit[ \\t]*(?=\\r?\\n|$)"),
                                                   QRegularExpression::CaseInsensitiveOption);
    QString source = text;
    if (source.startsWith(QChar(0xFEFF)))
        source.remove(0, 1);
    return source.replace(optionExplicit, QStringLiteral("'use strict';"));
}

} // namespace

CScriptHost::CScriptHost() = default;
CScriptHost::~CScriptHost() = default;

QString CScriptHost::ScriptErrorText(const QJSValue &error)
{
    return QStringLiteral("IActiveScriptSite::OnScriptError()\n") + QStringLiteral("Line: %1\n").arg(error.property(QStringLiteral("lineNumber")).toInt())
        + error.toString();
}

void CScriptHost::ReportScriptError(const QJSValue &error)
{
    ShowMessageText(ScriptErrorText(error), MB_OK);
}

bool CScriptHost::Initialize()
{
    return InitializeFromFile(GetInstallPath() + QStringLiteral("/profiletemplate/DataProfile.js"));
}

bool CScriptHost::InitializeFromFile(const QString &path)
{
    if (!m_engine) {
        m_engine = std::make_unique<QJSEngine>();
        if (!m_engine->globalObject().isObject())
            TARN_RAISE(137, QStringLiteral("creating the script engine failed"), kOperation);
    }

    QString text;
    if (!LoadTextFile(path, text) || text.isEmpty()) {
        ShowMessage(315); // "Some files needed by CPS are not available.\nPlease reinstall CPS."
        return false;
    }

    // Running the global code both compiles the script and starts it: a syntax
    // error is a failed parse, any other error a failed start.
    QJSValue result = m_engine->evaluate(PrepareSource(text), path, 1);
    if (m_engine->hasError() || result.isError()) {
        QJSValue error = m_engine->hasError() ? m_engine->catchError() : result;
        ReportScriptError(error);
        const bool syntax = error.errorType() == QJSValue::SyntaxError;
        TARN_RAISE(137, syntax ? QStringLiteral("ParseScriptText failed") : QStringLiteral("SetScriptState failed"),
                   kOperation);
    }
    m_initialized = true;
    return true;
}

QJSValue CScriptHost::InvokeScriptFunction(const QString &name, const QJSValueList &arguments, bool *ok)
{
    *ok = false;
    if (!m_engine)
        return QJSValue();
    // A name the script does not define reads as undefined: the call fails
    // quietly, as an unknown member does.
    QJSValue function = m_engine->globalObject().property(name);
    if (!function.isCallable())
        return QJSValue();

    QJSValue result = function.call(arguments);
    if (m_engine->hasError() || result.isError()) {
        ReportScriptError(m_engine->hasError() ? m_engine->catchError() : result);
        return QJSValue();
    }
    *ok = true;
    return result;
}

QJSValue CScriptHost::MakeRef(const QJSValue &value)
{
    QJSValue ref = m_engine->newObject();
    ref.setProperty(QStringLiteral("value"), value);
    return ref;
}

bool CScriptHost::CheckScriptEngine()
{
    QJSEngine engine;
    QJSValue result = engine.evaluate(QString());
    return !engine.hasError() && !result.isError() && engine.globalObject().isObject();
}
