// The rule-script host: running a script file's global code, calling its
// global functions by name, and reporting script errors.

#include "model/ScriptHost.h"
#include "settings/StringTable.h"
#include "settings/TarnCPSException.h"
#include "settings/TextFile.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString Script(const char *name)
{
    return QStringLiteral(TARN_TESTDATA_DIR "/scripts/") + QLatin1String(name);
}

QString ReadScript(const char *name)
{
    QFile file(Script(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return QString::fromUtf8(file.readAll());
}

QString ErrorHead(int line)
{
    return QStringLiteral("IActiveScriptSite::OnScriptError()\nLine: %1\n").arg(line);
}

} // namespace

TEST(ScriptHost, RunsGlobalCodeOnceAndCallsFunctionsWithPositionalArguments)
{
    CapturingSink sink;
    CScriptHost host;
    ASSERT_TRUE(host.InitializeFromFile(Script("calls.js")));
    EXPECT_TRUE(host.IsInitialized());

    bool ok = false;
    const QJSValue joined = host.InvokeScriptFunction(
        QStringLiteral("Join"), {QJSValue(QStringLiteral("a")), QJSValue(2), QJSValue(true)}, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(joined.toString(), QStringLiteral("a|2|true"));

    // The global code ran at load time and is not run again by the calls.
    host.InvokeScriptFunction(QStringLiteral("SetShared"), {QJSValue(QStringLiteral("x"))}, &ok);
    ASSERT_TRUE(ok);
    const QJSValue runs = host.InvokeScriptFunction(QStringLiteral("GlobalRuns"), {}, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(runs.toInt(), 1);
    EXPECT_TRUE(sink.texts.isEmpty()) << sink.texts.join(QLatin1Char('\n')).toStdString();
}

TEST(ScriptHost, NameTheScriptDoesNotDefineFailsWithoutMessage)
{
    CapturingSink sink;
    CScriptHost host;
    ASSERT_TRUE(host.InitializeFromFile(Script("calls.js")));
    for (const char *name : {"CanAddChild", "joi", ""}) {
        SCOPED_TRACE(name);
        bool ok = true;
        const QJSValue result = host.InvokeScriptFunction(QString::fromLatin1(name), {QJSValue(1)}, &ok);
        EXPECT_FALSE(ok);
        EXPECT_TRUE(result.isUndefined());
    }
    EXPECT_TRUE(sink.texts.isEmpty()) << sink.texts.join(QLatin1Char('\n')).toStdString();
}

// "Option Explicit" makes assigning an undeclared variable an error. The
// scrambled file and a file with CR LF line ends behave as the plain file.
TEST(ScriptHost, UndeclaredVariableInHookShowsOneMessageWithItsLineAndFailsTheCall)
{
    const QString plain = ReadScript("undeclared_in_hook.js");
    ASSERT_TRUE(plain.startsWith(QLatin1String("Option Explicit")));
    QTemporaryDir dir;
    const struct
    {
        const char *form;
        QString path;
    } forms[] = {
        {"plain", Script("undeclared_in_hook.js")},
        {"scrambled", WriteFile(dir.filePath(QStringLiteral("scrambled.js")), ScrambleText(plain))},
        {"crlf", WriteFile(dir.filePath(QStringLiteral("crlf.js")),
                           QString(plain).replace(QLatin1Char('\n'), QLatin1String("\r\n")).toUtf8())},
    };
    for (const auto &form : forms) {
        SCOPED_TRACE(form.form);
        CapturingSink sink;
        CScriptHost host;
        ASSERT_TRUE(host.InitializeFromFile(form.path));
        EXPECT_TRUE(sink.texts.isEmpty()) << "loading alone runs no hook";

        bool ok = true;
        host.InvokeScriptFunction(QStringLiteral("SetVal"), {host.MakeRef(QJSValue(5))}, &ok);
        EXPECT_FALSE(ok);
        ASSERT_EQ(sink.texts.size(), 1);
        EXPECT_TRUE(sink.texts[0].startsWith(ErrorHead(5))) << sink.texts[0].toStdString();
        EXPECT_TRUE(sink.texts[0].contains(QLatin1String("undeclaredTotal"))) << sink.texts[0].toStdString();

        // The failed call leaves the engine usable.
        const QJSValue ready = host.InvokeScriptFunction(QStringLiteral("IsReady"), {}, &ok);
        EXPECT_TRUE(ok);
        EXPECT_TRUE(ready.toBool());
        EXPECT_EQ(sink.texts.size(), 1);
    }
}

TEST(ScriptHost, ErrorsInTheFileRaise137AfterTheScriptErrorMessage)
{
    const struct
    {
        const char *file;
        int line;
        const char *detail;
    } cases[] = {
        {"syntax_error.js", 3, "ParseScriptText failed"},
        {"runtime_error_in_global_code.js", 3, "SetScriptState failed"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        CapturingSink sink;
        CScriptHost host;
        try {
            host.InitializeFromFile(Script(c.file));
            ADD_FAILURE() << "no error raised";
        } catch (const CTarnCPSException &e) {
            EXPECT_EQ(e.MessageId(), 137);
            EXPECT_TRUE(e.Trace().startsWith(QLatin1String("\n(CRadioDataModel::Initialize:"))) << e.what();
            EXPECT_TRUE(e.Trace().endsWith(QLatin1String(") ") + QLatin1String(c.detail))) << e.what();
        }
        ASSERT_EQ(sink.texts.size(), 1);
        EXPECT_TRUE(sink.texts[0].startsWith(ErrorHead(c.line))) << sink.texts[0].toStdString();
        EXPECT_FALSE(host.IsInitialized());
    }
}

TEST(ScriptHost, ScrambledScriptRunsLikeItsPlainForm)
{
    QTemporaryDir dir;
    const QString scrambled = WriteFile(dir.filePath(QStringLiteral("calls.js")), ScrambleText(ReadScript("calls.js")));
    CapturingSink sink;
    CScriptHost host;
    ASSERT_TRUE(host.InitializeFromFile(scrambled));
    bool ok = false;
    const QJSValue joined = host.InvokeScriptFunction(
        QStringLiteral("Join"), {QJSValue(QStringLiteral("\u00e4")), QJSValue(1), QJSValue(2)}, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(joined.toString(), QStringLiteral("\u00e4|1|2"));
    EXPECT_EQ(host.InvokeScriptFunction(QStringLiteral("GlobalRuns"), {}, &ok).toInt(), 1);
    EXPECT_TRUE(sink.texts.isEmpty());
}

TEST(ScriptHost, MissingOrEmptyScriptFileShowsMessage315AndReturnsFalse)
{
    QTemporaryDir dir;
    const struct
    {
        const char *name;
        QString path;
    } cases[] = {
        {"missing", dir.filePath(QStringLiteral("DataProfile.js"))},
        {"empty", WriteFile(dir.filePath(QStringLiteral("empty.js")), QByteArray())},
        {"byte-order mark only", WriteFile(dir.filePath(QStringLiteral("mark.js")), QByteArray("\xFF\xFE", 2))},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        CapturingSink sink;
        CScriptHost host;
        EXPECT_FALSE(host.InitializeFromFile(c.path));
        EXPECT_FALSE(host.IsInitialized());
        EXPECT_EQ(sink.texts, QStringList{LoadString(315)});
        bool ok = true;
        host.InvokeScriptFunction(QStringLiteral("GlobalRuns"), {}, &ok);
        EXPECT_FALSE(ok);
    }
}

TEST(ScriptHost, TwoHostsDoNotShareGlobals)
{
    CapturingSink sink;
    CScriptHost first;
    CScriptHost second;
    ASSERT_TRUE(first.InitializeFromFile(Script("calls.js")));
    ASSERT_TRUE(second.InitializeFromFile(Script("calls.js")));
    bool ok = false;
    first.InvokeScriptFunction(QStringLiteral("SetShared"), {QJSValue(QStringLiteral("first"))}, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(first.InvokeScriptFunction(QStringLiteral("GetShared"), {}, &ok).toString(), QStringLiteral("first"));
    EXPECT_EQ(second.InvokeScriptFunction(QStringLiteral("GetShared"), {}, &ok).toString(), QStringLiteral("initial"));
    EXPECT_EQ(second.InvokeScriptFunction(QStringLiteral("GlobalRuns"), {}, &ok).toInt(), 1);
}

TEST(ScriptHost, ReferenceBoxCarriesAnInOutArgumentBack)
{
    CapturingSink sink;
    CScriptHost host;
    ASSERT_TRUE(host.InitializeFromFile(Script("calls.js")));
    QJSValue box = host.MakeRef(QJSValue(0));
    EXPECT_EQ(CScriptHost::RefValue(box).toInt(), 0);
    bool ok = false;
    const QJSValue result = host.InvokeScriptFunction(QStringLiteral("DoubleInto"), {box, QJSValue(21)}, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(result.toInt(), 0);
    EXPECT_EQ(CScriptHost::RefValue(box).toInt(), 42);
}

TEST(ScriptHost, InitializeReadsTheScriptOfTheInstallation)
{
    {
        SCOPED_TRACE("a copy whose DataProfile.js is a test script");
        QTemporaryDir dir;
        const QString install = CopyInstallation(dir.path());
        QFile::remove(install + QStringLiteral("/profiletemplate/DataProfile.js"));
        ASSERT_TRUE(QFile::copy(Script("calls.js"), install + QStringLiteral("/profiletemplate/DataProfile.js")));
        ScopedConfig config;
        config.InstallMachineLevel(install);
        CapturingSink sink;
        CScriptHost host;
        ASSERT_TRUE(host.Initialize());
        bool ok = false;
        EXPECT_EQ(host.InvokeScriptFunction(QStringLiteral("GetShared"), {}, &ok).toString(), QStringLiteral("initial"));
        EXPECT_TRUE(ok);
    }
    {
        SCOPED_TRACE("the shipped DataProfile.js");
        ScopedConfig config;
        config.InstallMachineLevel(StagedInstallation());
        CapturingSink sink;
        CScriptHost host;
        EXPECT_TRUE(host.Initialize());
        EXPECT_TRUE(sink.texts.isEmpty()) << sink.texts.join(QLatin1Char('\n')).toStdString();
    }
    {
        SCOPED_TRACE("no InstallPath");
        ScopedConfig config;
        CapturingSink sink;
        CScriptHost host;
        EXPECT_FALSE(host.Initialize());
        EXPECT_EQ(sink.texts, QStringList{LoadString(315)});
    }
}
