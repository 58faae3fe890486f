#pragma once
// The host of the rule script DataProfile.js. Each profile's data model owns
// one host with its own JavaScript engine, so two open profiles never share
// the script's globals. The script's global code runs once; afterwards the
// data items call its global functions by name with positional arguments.
//
// A first line "Option Explicit" puts the script in strict mode (that line is
// replaced by the "use strict" directive, so line numbers stay the same):
// assigning an undeclared variable is then an error.
//
// In-out arguments travel as reference boxes: an object whose property
// `value` holds the argument; the script writes its answer into `value` and
// the caller reads it back (MakeRef / RefValue).

#include <QJSEngine>
#include <QJSValue>
#include <QString>
#include <memory>

class CScriptHost
{
public:
    CScriptHost();
    ~CScriptHost();
    CScriptHost(const CScriptHost &) = delete;
    CScriptHost &operator=(const CScriptHost &) = delete;

    // Reads InstallPath/profiletemplate/DataProfile.js and runs its global
    // code. False (after message 315) when the file is missing, unreadable or
    // empty; error 137 "Fatal error: 101." when the engine fails at a step.
    bool Initialize();
    bool InitializeFromFile(const QString &path);
    bool IsInitialized() const { return m_initialized; }

    // Calls a global function of the script. ok is false when the script does
    // not define the name as a function (no message) or when the call raised a
    // script error (after the script-error message).
    QJSValue InvokeScriptFunction(const QString &name, const QJSValueList &arguments, bool *ok);

    QJSEngine *Engine() { return m_engine.get(); }
    // Stops the engine and drops every script object.
    void Shutdown()
    {
        m_engine.reset();
        m_initialized = false;
    }

    QJSValue MakeRef(const QJSValue &value);
    static QJSValue RefValue(const QJSValue &ref) { return ref.property(QStringLiteral("value")); }

    // Whether a script engine can be created and made ready for a new script.
    static bool CheckScriptEngine();

    // The text shown when the engine reports a compile or run-time error.
    static QString ScriptErrorText(const QJSValue &error);

private:
    void ReportScriptError(const QJSValue &error);

    std::unique_ptr<QJSEngine> m_engine;
    bool m_initialized = false;
};
