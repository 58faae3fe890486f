// Profile figures against the staged installation:
//   BM_OpenTemplate          read, unscramble, parse, migrate, validate and
//                            start the rule script for a 16-channel template
//   BM_StartRuleScript       a script engine with the rule script run
//   BM_SaveTemplate          the text a save writes (receive copied to
//                            transmit, sub-region reset, additions taken off)
//   BM_CliValidate           a whole `tarncps-cli validate` process
//   BM_XmllintValidate       a whole `xmllint --noout --schema` process on
//                            the same profile as plain XML
// Each reports the median of 10 repetitions; the last two are meant to be
// read side by side (target: the first at most twice the second).

#include "model/ProfileFile.h"
#include "model/ScriptHost.h"
#include "model/RadioDataModel.h"
#include "settings/AppContext.h"
#include "settings/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QString kTemplate = QStringLiteral(TARN_STAGE_DIR "/profiletemplate/ZR4480 UHF 16CH Display (ZRD51610).ra9");

struct BenchConfig
{
    QTemporaryDir root;
    QString plainProfile;
    BenchConfig()
    {
        qputenv("XDG_CONFIG_DIRS", (root.path() + QStringLiteral("/machine")).toUtf8());
        qputenv("XDG_CONFIG_HOME", (root.path() + QStringLiteral("/user")).toUtf8());
        QSettings machine(root.path() + QStringLiteral("/machine/Velmora/Tarn QX Dealer Asia CPS.conf"),
                          QSettings::IniFormat);
        machine.setValue(QStringLiteral("InstallPath"), QStringLiteral(TARN_STAGE_DIR));
        machine.setValue(QStringLiteral("DefaultLanguage"), QStringLiteral("English"));
        machine.sync();
        CAppContext &app = CAppContext::Instance();
        app.Reset();
        app.Settings().LoadAll();
        app.SetRegionName(app.Settings().GetRegionName());

        QString text;
        LoadTextFile(kTemplate, text);
        plainProfile = root.filePath(QStringLiteral("profile.xml"));
        QFile file(plainProfile);
        file.open(QIODevice::WriteOnly);
        file.write(text.toUtf8());
    }
};

BenchConfig &Config()
{
    static BenchConfig config;
    return config;
}

void BM_OpenTemplate(benchmark::State &state)
{
    Config();
    for (auto _ : state) {
        CRadioDataModel model;
        if (!model.LoadProfile(kTemplate, true)) {
            state.SkipWithError("the template did not load");
            break;
        }
    }
}
BENCHMARK(BM_OpenTemplate)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

void BM_StartRuleScript(benchmark::State &state)
{
    Config();
    for (auto _ : state) {
        CScriptHost host;
        if (!host.Initialize()) {
            state.SkipWithError("the rule script did not start");
            break;
        }
    }
}
BENCHMARK(BM_StartRuleScript)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

void BM_SaveTemplate(benchmark::State &state)
{
    Config();
    CRadioDataModel model;
    if (!model.LoadProfile(kTemplate, true)) {
        state.SkipWithError("the template did not load");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(ProfileTextForSaving(model));
}
BENCHMARK(BM_SaveTemplate)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

void RunProcess(benchmark::State &state, const QString &program, const QStringList &arguments)
{
    for (auto _ : state) {
        QProcess process;
        process.start(program, arguments);
        if (!process.waitForFinished(30000) || process.exitCode() != 0) {
            state.SkipWithError(qPrintable(program + QStringLiteral(" failed: ") + QString::fromUtf8(process.readAllStandardError())));
            break;
        }
    }
}

void BM_CliValidate(benchmark::State &state)
{
    RunProcess(state, QStringLiteral(TARN_CLI_PATH), {QStringLiteral("validate"), Config().plainProfile});
}
BENCHMARK(BM_CliValidate)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true)->Iterations(1);

void BM_XmllintValidate(benchmark::State &state)
{
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (xmllint.isEmpty()) {
        state.SkipWithError("xmllint is not installed");
        return;
    }
    RunProcess(state, xmllint,
               {QStringLiteral("--noout"), QStringLiteral("--schema"),
                QStringLiteral(TARN_STAGE_DIR "/profiletemplate/DataProfile.xsd"), Config().plainProfile});
}
BENCHMARK(BM_XmllintValidate)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
