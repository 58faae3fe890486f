// Start-up figures, run on the offscreen platform against the staged
// installation:
//   BM_StartToMainWindowShown  every start-up step up to the main window being
//                              shown, without the splash wait (target <= 250 ms)
//   BM_ProcessStartToMainWindowShown
//                              the same measured from outside, in a fresh
//                              process: process start, Qt's own start-up, the
//                              steps, the window shown, and exit
//   BM_LoadSettingDocuments    reading and parsing the five setting documents
//                              (target <= 20 ms)
// Each reports the median of 10 repetitions.

#include "app/MainFrame.h"
#include "app/TarnCPSApp.h"
#include "settings/AppContext.h"
#include "settings/StringTable.h"

#include <QApplication>
#include <QProcess>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A configuration store in a temporary folder whose machine level points at
// the staged installation; the user level is made by the first start.
struct BenchConfig
{
    QTemporaryDir root;
    BenchConfig()
    {
        qputenv("XDG_CONFIG_DIRS", (root.path() + QStringLiteral("/machine")).toUtf8());
        qputenv("XDG_CONFIG_HOME", (root.path() + QStringLiteral("/user")).toUtf8());
        QSettings machine(root.path() + QStringLiteral("/machine/Velmora/Tarn QX Dealer Asia CPS.conf"),
                          QSettings::IniFormat);
        machine.setValue(QStringLiteral("InstallPath"), QStringLiteral(TARN_STAGE_DIR));
        machine.setValue(QStringLiteral("DefaultLanguage"), QStringLiteral("English"));
        machine.setValue(QStringLiteral("ShowContextHelp"), 1);
        machine.setValue(QStringLiteral("Language/English/HelpFileName"), QStringLiteral("help/English"));
    }
};

void BM_StartToMainWindowShown(benchmark::State &state)
{
    BenchConfig config;
    for (auto _ : state) {
        CAppContext::Instance().Reset();
        CTarnCPSApp::Options options;
        options.splashMilliseconds = 0;
        CTarnCPSApp app(options);
        if (!app.InitInstance(QStringList{QStringLiteral("tarncps")})) {
            state.SkipWithError("start-up failed");
            break;
        }
        while (!app.MainFrame()->isVisible())
            QApplication::processEvents();
        QApplication::processEvents();
        state.PauseTiming();
        app.ExitInstance();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToMainWindowShown)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true)->Iterations(1);

// The child: one start-up, then quit as soon as the main window shows.
int RunStartupChild()
{
    CTarnCPSApp::Options options;
    options.splashMilliseconds = 0;
    CTarnCPSApp app(options);
    if (!app.InitInstance(QStringList{QStringLiteral("tarncps")}))
        return 1;
    while (!app.MainFrame()->isVisible())
        QApplication::processEvents();
    QApplication::processEvents();
    app.ExitInstance();
    return 0;
}

void BM_ProcessStartToMainWindowShown(benchmark::State &state)
{
    BenchConfig config;
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--startup-child")});
        if (!child.waitForFinished(30000) || child.exitCode() != 0) {
            state.SkipWithError("the start-up child failed");
            break;
        }
    }
}
BENCHMARK(BM_ProcessStartToMainWindowShown)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true)->Iterations(1);

void BM_LoadSettingDocuments(benchmark::State &state)
{
    BenchConfig config;
    for (auto _ : state) {
        CSettingDocuments documents;
        if (!documents.LoadAll()) {
            state.SkipWithError("loading failed");
            break;
        }
        benchmark::DoNotOptimize(documents.Region());
    }
}
BENCHMARK(BM_LoadSettingDocuments)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--startup-child") == 0)
        return RunStartupChild();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
