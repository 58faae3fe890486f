// Both conversions of a full codeplug image (19 channels, 99 frequencies):
//   BM_VirtualCP2XML   image -> profile text
//   BM_XML2VirtualCP   profile text -> image
// Each reports the median of 10 repetitions (target: under 1 ms), and the
// heap in use before and after 10 000 further conversions ("heap_growth",
// bytes; it must stay at 0 apart from allocator noise).

#include "codeplug/DataAdaptor.h"
#include "codeplug/RadioIdentity.h"
#include "codeplug/VirtualCP.h"
#include "model/ProfileImage.h"
#include "model/RadioDataModel.h"
#include "settings/AppContext.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {

// A radio image with every slot in use: made from the 16-channel UHF template
// and widened to the full tables.
VirtualCP FullImage()
{
    static QTemporaryDir root;
    qputenv("XDG_CONFIG_DIRS", (root.path() + QStringLiteral("/machine")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (root.path() + QStringLiteral("/user")).toUtf8());
    {
        QSettings machine(root.path() + QStringLiteral("/machine/Velmora/Tarn QX Dealer Asia CPS.conf"), QSettings::IniFormat);
        machine.setValue(QStringLiteral("InstallPath"), QStringLiteral(TARN_STAGE_DIR));
    }
    CAppContext &app = CAppContext::Instance();
    app.Settings().LoadAll();
    app.SetRegionName(app.Settings().GetRegionName());

    CRadioDataModel model;
    VirtualCP image;
    CRadioIdentity radio;
    radio.codeplugVersion = 3;
    if (!model.LoadProfile(QStringLiteral(TARN_STAGE_DIR "/profiletemplate/ZR4480 UHF 16CH Display (ZRD51610).ra9"), true)
        || !GetVirtualCPData(model, image, radio))
        qFatal("the template did not convert");
    image.Set(VirtualCP::kMaxChannels, VirtualCP::kChannelCount);
    image.Set(VirtualCP::kMaxValidFreqs, VirtualCP::kFrequencyCount);
    for (int slot = 0; slot < VirtualCP::kChannelCount; ++slot)
        image.Set(slot, VirtualCP::Channel::kName, QByteArray("CH") + QByteArray::number(slot + 1));
    for (int slot = 0; slot < VirtualCP::kFrequencyCount; ++slot)
        image.EncodeFrequency(slot, 450000000u + 12500u * static_cast<quint32>(slot));
    return image;
}

const VirtualCP &Image()
{
    static const VirtualCP image = FullImage();
    return image;
}

size_t HeapInUse()
{
    malloc_trim(0);
    return mallinfo2().uordblks;
}

void BM_VirtualCP2XML(benchmark::State &state)
{
    QString text;
    for (auto _ : state)
        benchmark::DoNotOptimize(CDataAdaptor::VirtualCP2XML(Image(), text));
    const size_t before = HeapInUse();
    for (int i = 0; i < 10000; ++i)
        CDataAdaptor::VirtualCP2XML(Image(), text);
    state.counters["heap_growth"] = static_cast<double>(HeapInUse()) - static_cast<double>(before);
}
BENCHMARK(BM_VirtualCP2XML)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

void BM_XML2VirtualCP(benchmark::State &state)
{
    QString text;
    CDataAdaptor::VirtualCP2XML(Image(), text);
    CRadioIdentity radio;
    radio.codeplugVersion = 3;
    VirtualCP image;
    for (auto _ : state)
        benchmark::DoNotOptimize(CDataAdaptor::XML2VirtualCP(text, image, radio));
    const size_t before = HeapInUse();
    for (int i = 0; i < 10000; ++i)
        CDataAdaptor::XML2VirtualCP(text, image, radio);
    state.counters["heap_growth"] = static_cast<double>(HeapInUse()) - static_cast<double>(before);
}
BENCHMARK(BM_XML2VirtualCP)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
