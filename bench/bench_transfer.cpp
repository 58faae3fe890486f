// A full read and a full write of the built-in 16-channel, 16-frequency radio
// through a simulator that paces every byte it sends at 16406 bit/s, 10 bits
// a byte:
//   BM_ReadRadio    CRadioSession::ReadRadio
//   BM_WriteRadio   CRadioSession::WriteRadio of the image just read
// Only the procedure itself is timed (no session start, no reset and so no
// 2000 ms restart wait). Counters:
//   bound_ms  the wire time: every byte of every request and every byte of
//             its answer (the echo of a request counted once, as the same
//             bytes on the line), at 10 bits a byte and 16406 bit/s, from the
//             simulator's log of the procedure's requests
//   ratio     measured time / bound_ms (target: at most 1.10)
//   frames    requests sent in one procedure
//   wire_bytes the bytes counted for the bound

#include "codeplug/VirtualCP.h"
#include "radio/RadioSession.h"
#include "radio/UsbCable.h"
#include "sim/RadioSimulator.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>
#include <tuple>

namespace {

struct PacedRadio
{
    QTemporaryDir folder;
    CRadioSimulator sim;
    int cableIndex = -1;

    PacedRadio()
    {
        qputenv("TARNCPS_VIRTUAL_CABLES", folder.path().toUtf8());
        QString error;
        if (!sim.Start(folder.path(), QString::fromLatin1(CRadioSimulator::kDefaultDescription), &error))
            qFatal("the simulator did not start: %s", qPrintable(error));
        sim.SetPacing(true);
        CUsbCable cable;
        if (cable.CountCables(&cableIndex) != 1)
            qFatal("the simulator's cable is not the only programming cable");
    }
};

PacedRadio &Radio()
{
    static PacedRadio radio;
    return radio;
}

// Wire bytes and frames of the requests logged since the last ClearLog.
std::pair<qint64, int> WireBytes(const CRadioSimulator &sim)
{
    qint64 bytes = 0;
    const QList<SimLogEntry> log = sim.Log();
    for (const SimLogEntry &entry : log)
        bytes += entry.request.size() + entry.answer.size();
    return {bytes, int(log.size())};
}

template<typename Procedure>
void RunPaced(benchmark::State &state, Procedure procedure)
{
    PacedRadio &radio = Radio();
    CRadioSession session(radio.cableIndex);
    double totalMs = 0;
    qint64 bytes = 0;
    int frames = 0;
    for (auto _ : state) {
        radio.sim.ClearLog();
        QElapsedTimer clock;
        clock.start();
        const bool ok = procedure(session);
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        if (!ok) {
            state.SkipWithError("the procedure failed");
            return;
        }
        state.SetIterationTime(ms / 1000.0);
        totalMs += ms;
        std::tie(bytes, frames) = WireBytes(radio.sim);
    }
    const double boundMs = double(bytes) * CRadioSimulator::kBitsPerByte * 1000.0 / CRadioSimulator::kBitsPerSecond;
    const double measuredMs = totalMs / double(state.iterations());
    state.counters["measured_ms"] = measuredMs;
    state.counters["bound_ms"] = boundMs;
    state.counters["ratio"] = measuredMs / boundMs;
    state.counters["frames"] = frames;
    state.counters["wire_bytes"] = double(bytes);
}

void BM_ReadRadio(benchmark::State &state)
{
    VirtualCP image;
    RunPaced(state, [&image](CRadioSession &session) { return session.ReadRadio(image); });
}

void BM_WriteRadio(benchmark::State &state)
{
    VirtualCP image;
    {
        CRadioSession reader(Radio().cableIndex);
        if (!reader.ReadRadio(image)) {
            state.SkipWithError("the radio could not be read");
            return;
        }
    }
    RunPaced(state, [&image](CRadioSession &session) { return session.WriteRadio(image); });
}

BENCHMARK(BM_ReadRadio)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_WriteRadio)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
