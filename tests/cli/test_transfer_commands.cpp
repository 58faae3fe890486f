// tarncps-cli identify, read, write and reset against the simulated radio on
// a virtual cable: whole transfers, the transfer checks' refusals, the
// password gate, faults on the line and a cable another copy is using.

#include "codeplug/RadioIdentity.h"
#include "codeplug/VirtualCP.h"
#include "model/ProfileImage.h"
#include "model/RadioDataModel.h"
#include "settings/TextFile.h"
#include "support/SimulatedRadio.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

using VC = VirtualCP;

constexpr quint32 kSettingsBlock = SimRadioMap::kSettingsBlock;
constexpr quint32 kCloneByte = SimRadioMap::kCloneCompatibility;
// Limit record byte 18: the largest code a radio of newer firmware takes.
constexpr quint32 kLargestCodeByte = SimRadioMap::kLimitRecord + 18;
// Settings byte 6, bits 6-0: the number of channels.
constexpr quint32 kNumberChannelsByte = kSettingsBlock + 6;

const char kCommunicationError[] = "Error: Communication Error.";

class TransferCommandsTest : public SimulatedRadioTest
{
protected:
    struct Result
    {
        int status = -1;
        QString out;
        QString err;
        qint64 elapsedMs = 0;
    };

    void SetUp() override
    {
        m_config.InstallMachineLevel(StagedInstallation());
        SimulatedRadioTest::SetUp();
    }

    QProcess *Start(const QStringList &arguments)
    {
        auto *process = new QProcess;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TARNCPS_VIRTUAL_CABLES"), Folder());
        process->setProcessEnvironment(environment);
        process->start(QStringLiteral(TARN_CLI_PATH), arguments);
        return process;
    }

    static Result Finish(QProcess *process, const QElapsedTimer &clock)
    {
        EXPECT_TRUE(process->waitForFinished(60000));
        Result result{process->exitCode(), QString::fromUtf8(process->readAllStandardOutput()),
                      QString::fromUtf8(process->readAllStandardError()), clock.elapsed()};
        delete process;
        return result;
    }

    Result Cli(const QStringList &arguments)
    {
        QElapsedTimer clock;
        clock.start();
        return Finish(Start(arguments), clock);
    }

    QString Path(const QString &name) const { return m_files.filePath(name); }

    // How many requests that store something in the radio it has served.
    int Writes() const
    {
        int writes = 0;
        for (const SimLogEntry &entry : sim.Log())
            if (entry.kind == SimRequestKind::WriteMemory || entry.kind == SimRequestKind::WriteFrequencyRecord ||
                entry.kind == SimRequestKind::SetFrequencyCount)
                ++writes;
        return writes;
    }

    // The radio holding what a write of the template would give it, firmware R17.
    static VirtualCP TemplateImage(const QString &path)
    {
        QString text;
        EXPECT_TRUE(LoadTextFile(path, text));
        CRadioDataModel model;
        EXPECT_TRUE(model.LoadProfile(text, false)) << path.toStdString();
        CRadioIdentity radio;
        radio.codeplugVersion = 3;
        VirtualCP image;
        GetVirtualCPData(model, image, radio);
        image.Set(VC::kFirmwarePhase, quint8('R'));
        image.SetCharacter(VC::kFirmwareVersion, quint8('1'));
        image.SetCharacter(VC::kFirmwareRevision, quint8('7'));
        return image;
    }

    // The built-in radio read into a profile file.
    QString ReadProfile(const QString &name = QStringLiteral("radio.ra9"))
    {
        const Result read = Cli({QStringLiteral("read"), QStringLiteral("-o"), Path(name)});
        EXPECT_EQ(read.status, 0) << read.err.toStdString();
        return Path(name);
    }

private:
    ScopedConfig m_config;
    QTemporaryDir m_files;
};

TEST_F(TransferCommandsTest, IdentifyPrintsTheRadiosIdentityRecord)
{
    sim.WithRadio([](CSimRadio &radio) {
        radio.SetPassword("12");
        radio.SetCodeplug('D', 2);
    });
    const Result identify = Cli({QStringLiteral("identify")});
    ASSERT_EQ(identify.status, 0) << identify.err.toStdString();
    for (const char *line : {"model\tZRD41610\n", "firmware\tR17\n", "codeplug phase\tD\n", "codeplug version\t2\n",
                             "password\tset\n", "valid frequencies\t16\n", "largest code\t219\n"})
        EXPECT_TRUE(identify.out.contains(QLatin1String(line))) << line << " in:\n" << identify.out.toStdString();
    EXPECT_EQ(Writes(), 0);
}

// Each staged template in a radio: read it into a profile that opens and
// validates, then write that profile back: the radio ends as it was, except
// for the names a new document gives to channels without one.
TEST_F(TransferCommandsTest, EveryTemplateReadIntoAValidProfileAndWrittenBackLeavesTheRadioAsItWas)
{
    QDir folder(StagedInstallation() + QStringLiteral("/profiletemplate"));
    const QStringList templates = folder.entryList({QStringLiteral("*.ra9")}, QDir::Files, QDir::Name);
    ASSERT_FALSE(templates.isEmpty());
    for (const QString &name : templates) {
        SCOPED_TRACE(name.toStdString());
        const VirtualCP source = TemplateImage(folder.filePath(name));
        sim.WithRadio([&](CSimRadio &radio) { radio.LoadImage(source); });
        const QString profile = Path(QStringLiteral("read.ra9"));
        const QString image = Path(QStringLiteral("read.bin"));
        QFile::remove(profile);

        const Result read = Cli({QStringLiteral("read"), QStringLiteral("-o"), profile, QStringLiteral("--image"), image});
        ASSERT_EQ(read.status, 0) << read.err.toStdString();
        EXPECT_TRUE(read.err.contains(QStringLiteral("Read Successfully!")));
        const Result validate = Cli({QStringLiteral("validate"), profile});
        EXPECT_EQ(validate.status, 0) << validate.out.toStdString() << validate.err.toStdString();
        QFile imageFile(image);
        ASSERT_TRUE(imageFile.open(QIODevice::ReadOnly));
        VirtualCP readImage;
        ASSERT_TRUE(readImage.Load(imageFile.readAll()));
        EXPECT_EQ(readImage.Get(VC::kMaxChannels), source.Get(VC::kMaxChannels));
        EXPECT_EQ(readImage.Get(VC::kMaxValidFreqs), source.Get(VC::kMaxValidFreqs));

        // What a write of the profile may change: the names a new document
        // gives to channels without one (name and check byte), and the
        // frequency records the radio counts but the template leaves all zero:
        // such a record is no frequency, and the one it reads as does not
        // pack back into zeros.
        std::set<quint32> mayChange;
        for (int slot = 0; slot < source.Get(VC::kMaxChannels); ++slot) {
            if (!source.GetString(slot, VC::Channel::kName).isEmpty())
                continue;
            const quint32 record =
                kSettingsBlock + SimRadioMap::kChannelRecordsOffset + quint32(SimRadioMap::kChannelRecordSize * slot);
            for (int k = 5; k < SimRadioMap::kChannelRecordSize; ++k)
                mayChange.insert(record + quint32(k));
        }
        for (int slot = 0; slot < source.Get(VC::kMaxValidFreqs); ++slot) {
            const auto record = source.Bytes().begin() + VC::kFrequencyTableOffset + VC::kFrequencyRecordSize * slot;
            if (std::any_of(record, record + VC::kFrequencyRecordSize, [](quint8 byte) { return byte != 0; }))
                continue;
            for (int k = 0; k < SimRadioMap::kFrequencyRecordSize; ++k)
                mayChange.insert(SimRadioMap::kFrequencyRecords + quint32(SimRadioMap::kFrequencyRecordSize * slot + k));
        }
        const CSimMemory before = sim.Memory();
        sim.ClearLog();
        const Result write = Cli({QStringLiteral("write"), profile});
        ASSERT_EQ(write.status, 0) << write.err.toStdString();
        EXPECT_TRUE(write.err.contains(QStringLiteral("Write Successfully!")));
        EXPECT_GT(Writes(), 0);
        const CSimMemory after = sim.Memory();
        for (quint32 address : Changed(before, after))
            EXPECT_TRUE(mayChange.count(address)) << "radio byte 0x" << std::hex << address << " changed from "
                                                  << int(before.At(address)) << " to " << int(after.At(address));
    }
}

TEST_F(TransferCommandsTest, WriteChecksRefuseWithTheirTextsAndWriteNothing)
{
    // A profile whose first channel uses code 150, read from the radio.
    const VirtualCP builtIn = [this] {
        const Result read = Cli({QStringLiteral("read"), QStringLiteral("-o"), Path(QStringLiteral("plain.ra9")),
                                 QStringLiteral("--image"), Path(QStringLiteral("plain.bin"))});
        EXPECT_EQ(read.status, 0) << read.err.toStdString();
        QFile file(Path(QStringLiteral("plain.bin")));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        VirtualCP image;
        EXPECT_TRUE(image.Load(file.readAll()));
        return image;
    }();
    VirtualCP highCode = builtIn;
    highCode.Set(0, VC::Channel::kRxCode, 150);
    sim.WithRadio([&](CSimRadio &radio) { radio.LoadImage(highCode); });
    const QString highCodeProfile = ReadProfile(QStringLiteral("code150.ra9"));
    const CSimMemory radioMemory = sim.Memory();

    struct Case
    {
        const char *name;
        std::function<void(CRadioSimulator &)> radio;
        const char *text;
    };
    const Case cases[] = {
        {"unsupported region", [](CRadioSimulator &s) { s.WithRadio([](CSimRadio &r) { r.SetModel("ZRD41630"); }); },
         "The CPS does not support this radio model."},
        {"another region", [](CRadioSimulator &s) { s.WithRadio([](CSimRadio &r) { r.SetModel("ZRD41620"); }); },
         "The radio being programmed does not match the model in the current profile."},
        {"newer codeplug", [](CRadioSimulator &s) { s.WithRadio([](CSimRadio &r) { r.SetCodeplug('P', 4); }); },
         "Codeplug version of CPS and radio are incompatible! Please update your CPS."},
        {"clone class",
         [](CRadioSimulator &s) { s.WriteMemory(kCloneByte, QByteArray(1, char(s.ReadMemory(kCloneByte, 1)[0] + 1))); },
         "The current profile is not compatible with the radio."},
        {"codes beyond range", [](CRadioSimulator &s) { s.WriteMemory(kLargestCodeByte, QByteArray(1, char(122))); },
         "Some profile information is not supported by the host radio and therefore will not be transferred(PL/DPL "
         "Code)."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        sim.WithRadio([&](CSimRadio &radio) { radio.Memory() = radioMemory; });
        c.radio(sim);
        const CSimMemory before = sim.Memory();
        sim.ClearLog();
        const Result write = Cli({QStringLiteral("write"), highCodeProfile, QStringLiteral("--yes")});
        EXPECT_EQ(write.status, 1);
        EXPECT_TRUE(write.err.contains(QLatin1String(c.text))) << write.err.toStdString();
        EXPECT_EQ(Writes(), 0);
        EXPECT_TRUE(sim.Memory() == before);
    }
}

TEST_F(TransferCommandsTest, TierQuestionWritesOnlyWhenAnsweredYes)
{
    const QString profile = ReadProfile();
    sim.WithRadio([](CSimRadio &radio) { radio.SetModel("ZRD40410"); });
    const QString question = QStringLiteral("When converting from high-tier radio to low-tier radio");

    sim.ClearLog();
    const Result no = Cli({QStringLiteral("write"), profile});
    EXPECT_EQ(no.status, 1);
    EXPECT_TRUE(no.err.contains(question + QStringLiteral(", some data may be lost. Do you want to continue? [no]")))
        << no.err.toStdString();
    EXPECT_EQ(Writes(), 0);

    const Result yes = Cli({QStringLiteral("write"), profile, QStringLiteral("--yes")});
    EXPECT_EQ(yes.status, 0) << yes.err.toStdString();
    EXPECT_TRUE(yes.err.contains(QStringLiteral("[yes]")));
    EXPECT_GT(Writes(), 0);
    EXPECT_EQ(sim.Memory().At(kNumberChannelsByte) & 0x7F, 4);
}

TEST_F(TransferCommandsTest, PasswordGateLetsOnlyTheRightPasswordThrough)
{
    sim.WithRadio([](CSimRadio &radio) { radio.SetPassword("4711"); });
    struct Case
    {
        QStringList password;
        int status;
        const char *text;
    };
    const Case cases[] = {
        {{}, 1, "The radio has a password: give it with --password."},
        {{QStringLiteral("--password"), QStringLiteral("4712")}, 1, "The password is not correct. Please check it!"},
        {{QStringLiteral("--password"), QStringLiteral("4711")}, 0, "Read Successfully!"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const QString profile = Path(QStringLiteral("locked.ra9"));
        const Result read = Cli(QStringList{QStringLiteral("read"), QStringLiteral("-o"), profile} + c.password);
        EXPECT_EQ(read.status, c.status);
        EXPECT_TRUE(read.err.contains(QLatin1String(c.text))) << read.err.toStdString();
        EXPECT_EQ(QFileInfo::exists(profile), c.status == 0);
        if (c.status != 0) {
            // Refused at the gate: nothing beyond the identify step was asked.
            for (const SimLogEntry &entry : sim.Log())
                EXPECT_NE(entry.kind, SimRequestKind::SessionStart);
        }
    }
    // The write asks at the same gate.
    const QString profile = Path(QStringLiteral("locked.ra9"));
    sim.ClearLog();
    EXPECT_EQ(Cli({QStringLiteral("write"), profile}).status, 1);
    EXPECT_EQ(Writes(), 0);
    EXPECT_EQ(Cli({QStringLiteral("write"), profile, QStringLiteral("--password"), QStringLiteral("4711")}).status, 0);
    EXPECT_GT(Writes(), 0);
}

// Faults on the line end in the failure message within the link's time-outs
// (a byte gets at most 20 tries of 120 ms, a request two attempts), with
// exit status 1 and no profile file.
TEST_F(TransferCommandsTest, FaultsEndInTheFailureMessageWithoutAProfileFile)
{
    struct Case
    {
        const char *name;
        QStringList command;
        std::function<void(SimFaults &, int served)> fault;
        const char *transfer; // the end of a transfer that began, or nullptr
    };
    const QString profile = ReadProfile(QStringLiteral("good.ra9"));
    const QString output = Path(QStringLiteral("faulty.ra9"));
    const Case cases[] = {
        {"no acknowledge", {QStringLiteral("read"), QStringLiteral("-o"), output},
         [](SimFaults &f, int) { f.noAcknowledge = CSimTrigger::All(); }, nullptr},
        {"cable pulled during the read", {QStringLiteral("read"), QStringLiteral("-o"), output},
         [](SimFaults &f, int served) { f.silentAfter = served + 12; }, "Read Failed!"},
        {"cable pulled during the write", {QStringLiteral("write"), profile},
         [](SimFaults &f, int served) { f.silentAfter = served + 20; }, "Write Failed!"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SimFaults faults;
        c.fault(faults, sim.RequestCount());
        sim.SetFaults(faults);
        const Result run = Cli(c.command);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(QLatin1String(kCommunicationError))) << run.err.toStdString();
        if (c.transfer) {
            EXPECT_TRUE(run.err.contains(QLatin1String(c.transfer))) << run.err.toStdString();
        }
        EXPECT_FALSE(QFileInfo::exists(output));
        EXPECT_LT(run.elapsedMs, 20000);
    }
}

TEST_F(TransferCommandsTest, TraceHasEveryFrameSentAndReceived)
{
    const QString trace = Path(QStringLiteral("trace.txt"));
    const Result read = Cli({QStringLiteral("read"), QStringLiteral("-o"), Path(QStringLiteral("traced.ra9")),
                             QStringLiteral("--trace"), trace});
    ASSERT_EQ(read.status, 0) << read.err.toStdString();
    QFile file(trace);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    int sent = 0;
    int received = 0;
    for (const QString &line : lines) {
        sent += line.contains(QStringLiteral(" ms  >  ")) ? 1 : 0;
        received += line.contains(QStringLiteral(" ms  <  ")) ? 1 : 0;
    }
    // Identify, session start, read and reset: every request the radio served.
    EXPECT_EQ(sent, sim.RequestCount());
    EXPECT_EQ(received, sim.RequestCount());
    const QList<SimLogEntry> log = sim.Log();
    ASSERT_FALSE(log.isEmpty());
    EXPECT_TRUE(lines.first().endsWith(QString::fromLatin1(log.first().request.toHex(' ').toUpper())))
        << lines.first().toStdString();
    EXPECT_EQ(Cli({QStringLiteral("reset"), QStringLiteral("--trace"), Path(QStringLiteral("no/such/dir/t.txt"))}).status, 1);
}

// A reset holds the cable for the radio's 2 s restart; another copy that
// wants the cable meanwhile is told it is busy and waits for it, or gives up
// after --wait seconds without sending anything.
TEST_F(TransferCommandsTest, SecondCopyWaitsForTheBusyCableOrGivesUp)
{
    QElapsedTimer clock;
    clock.start();
    QProcess *reset = Start({QStringLiteral("reset")});
    ASSERT_TRUE(sim.WaitForRequests(1, 10000));
    const int served = sim.RequestCount();

    const Result givesUp = Cli({QStringLiteral("identify"), QStringLiteral("--wait"), QStringLiteral("0")});
    EXPECT_EQ(givesUp.status, 1);
    EXPECT_TRUE(givesUp.err.contains(QStringLiteral("The cable is busy: another copy of the program is using it.")))
        << givesUp.err.toStdString();
    EXPECT_EQ(sim.RequestCount(), served);

    const Result waits = Cli({QStringLiteral("identify")});
    EXPECT_EQ(waits.status, 0) << waits.err.toStdString();
    EXPECT_TRUE(waits.err.contains(QStringLiteral("waiting up to 30 s")));
    const Result first = Finish(reset, clock);
    EXPECT_EQ(first.status, 0) << first.err.toStdString();
    // The identify ran after the reset's restart wait.
    const QList<SimLogEntry> log = sim.Log();
    ASSERT_GE(log.size(), 2);
    EXPECT_EQ(log.first().kind, SimRequestKind::Reset);
    EXPECT_GE(log[1].elapsedMs - log.first().elapsedMs, 1900);
}

TEST_F(TransferCommandsTest, WrongUsageExitsWithTwo)
{
    const QStringList cases[] = {
        {QStringLiteral("read")},
        {QStringLiteral("read"), QStringLiteral("-o"), Path(QStringLiteral("x.ra9")), QStringLiteral("extra")},
        {QStringLiteral("write")},
        {QStringLiteral("write"), QStringLiteral("a.ra9"), QStringLiteral("b.ra9")},
        {QStringLiteral("identify"), QStringLiteral("--wait"), QStringLiteral("soon")},
        {QStringLiteral("reset"), QStringLiteral("--bogus")},
    };
    for (const QStringList &arguments : cases) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(Cli(arguments).status, 2);
    }
    EXPECT_EQ(sim.RequestCount(), 0);
}

TEST_F(TransferCommandsTest, NoCableNoTransfer)
{
    sim.Stop();
    const Result identify = Cli({QStringLiteral("identify")});
    EXPECT_EQ(identify.status, 1);
    EXPECT_TRUE(identify.err.contains(QStringLiteral("No programming cable is attached.")));
}

} // namespace
