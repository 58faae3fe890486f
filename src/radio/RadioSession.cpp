#include "radio/RadioSession.h"

#include "radio/CableStatus.h"
#include "radio/RadioMemoryMap.h"
#include "radio/SystemLock.h"
#include "radio/TransferDialogs.h"

#include <QThread>

#include <algorithm>
#include <array>
#include <vector>

namespace {

using namespace RadioMemoryMap;
using VC = VirtualCP;

// Data byte 2 of the status answer, top three bits cleared.
constexpr int kStatusByte = 2;
constexpr quint8 kStatusMask = 0x1F;
// Data bytes 1-3 of the version answer.
constexpr int kFirmwareBytes = 1;

} // namespace

CRadioSession::CRadioSession(int cableIndex, QObject *parent)
    : QObject(parent)
    , m_cableIndex(cableIndex)
    , m_link(std::make_unique<CRadioLink>())
{
}

CRadioSession::~CRadioSession()
{
    ClearTarget();
}

std::mutex &CRadioSession::SessionLock()
{
    static std::mutex lock;
    return lock;
}

void CRadioSession::SetTarget(QObject *receiver, Handler handler)
{
    std::lock_guard<std::mutex> lock(m_targetMutex);
    if (m_targetConnection)
        QObject::disconnect(m_targetConnection);
    m_targetConnection = {};
    if (receiver && handler)
        m_targetConnection = connect(this, &CRadioSession::TransferMessage, receiver, std::move(handler),
                                     Qt::QueuedConnection);
}

void CRadioSession::ClearTarget()
{
    SetTarget(nullptr, {});
}

void CRadioSession::Post(TransferKind kind, int value)
{
    emit TransferMessage(int(kind), value);
}

void CRadioSession::Fail(int value)
{
    Post(TransferKind::Failed, value);
    CloseAndReport();
}

void CRadioSession::CloseAndReport()
{
    if (!m_link->Close())
        Post(TransferKind::Failed, -1);
}

bool CRadioSession::CloseAndComplete()
{
    if (!m_link->Close()) {
        Post(TransferKind::Failed, -1);
        return false;
    }
    Post(TransferKind::Completed, 0);
    return true;
}

bool CRadioSession::CheckRadioStatus()
{
    std::array<quint8, kResponseSize> response{};
    const int result = m_link->ReadStatus(response);
    if (result <= 0) {
        Fail(result);
        return false;
    }
    const int code = response[kStatusByte] & kStatusMask;
    if (code != 0) {
        Post(TransferKind::RadioWarning, code);
        CloseAndReport();
        return false;
    }
    return true;
}

bool CRadioSession::ReadBlock(quint32 address, int length, quint8 *destination)
{
    const int result = m_link->ReadBlock(length, address, std::span<quint8>(destination, size_t(length)));
    if (result <= 0) {
        Fail(result);
        return false;
    }
    return true;
}

bool CRadioSession::Require(int result)
{
    if (result < 0) {
        Fail(result);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------

bool CRadioSession::Identify(CRadioIdentity &identity)
{
    std::lock_guard<std::mutex> session(SessionLock());
    identity = CRadioIdentity{};
    if (!m_link->Open(m_cableIndex)) {
        Post(TransferKind::Failed, -1);
        return false;
    }
    if (!CheckRadioStatus())
        return false;

    std::array<quint8, kHeaderIdentitySize> header{};
    if (!ReadBlock(kHeaderIdentity, kHeaderIdentitySize, header.data()))
        return false;
    std::copy_n(header.begin(), CRadioIdentity::kModelCharacterCount, identity.modelCharacters.begin());
    std::copy_n(header.begin() + CRadioIdentity::kModelCharacterCount, CRadioIdentity::kModelDigitCount,
                identity.modelDigits.begin());
    identity.codeplugPhase = header[Header::kCodeplugPhase - Header::kModelCharacters];
    identity.codeplugVersion = header[Header::kCodeplugVersion - Header::kModelCharacters];
    Post(TransferKind::Progress, 20);

    std::array<quint8, kResponseSize> response{};
    const int version = m_link->ReadVersion(response);
    if (version <= 0) {
        Fail(version);
        return false;
    }
    identity.firmwarePhase = response[kFirmwareBytes];
    identity.firmwareVersion = response[kFirmwareBytes + 1];
    identity.firmwareRevision = response[kFirmwareBytes + 2];
    Post(TransferKind::Progress, 40);

    quint8 maxCode = 0;
    if (IdentifyReadsNewerMaxCode(identity.firmwarePhase, identity.firmwareVersion, identity.firmwareRevision)) {
        if (!ReadBlock(kLimitMaxCodeNewer, 1, &maxCode))
            return false;
    } else {
        if (!ReadBlock(kLimitMaxCodeOlder, 1, &maxCode))
            return false;
        maxCode &= 0x7F;
    }
    identity.maxCode = maxCode;

    if (!ReadBlock(kPassword, kPasswordSize, identity.password.data()))
        return false;
    Post(TransferKind::Progress, 60);

    std::array<quint8, kValidFrequenciesReadSize> frequencies{};
    if (!ReadBlock(kValidFrequencies, kValidFrequenciesReadSize, frequencies.data()))
        return false;
    identity.validFrequencies = frequencies[0];
    Post(TransferKind::Progress, 80);

    if (!ReadBlock(kCloneCompatibility, 1, &identity.serialCloneCompatibility))
        return false;
    Post(TransferKind::Progress, 100);
    return CloseAndComplete();
}

bool CRadioSession::StartSession()
{
    if (!m_link->Open(m_cableIndex)) {
        Post(TransferKind::Failed, -1);
        return false;
    }
    std::array<quint8, kResponseSize> response{};
    const int result = m_link->StartSession(response);
    if (result >= 1)
        return CloseAndComplete();
    Fail(result);
    return false;
}

bool CRadioSession::ReadRadio(VirtualCP &image)
{
    std::lock_guard<std::mutex> session(SessionLock());
    image.Clear();
    if (!m_link->Open(m_cableIndex)) {
        Post(TransferKind::Failed, -1);
        return false;
    }
    if (!CheckRadioStatus())
        return false;
    Post(TransferKind::Progress, 10);

    std::array<quint8, kHeaderSize> header{};
    if (!ReadBlock(kHeader, kHeaderSize, header.data()))
        return false;
    UnpackHeader(header, image);
    Post(TransferKind::Progress, 20);

    std::array<quint8, kSynthBaseSize> synth{};
    if (!ReadBlock(kSynthBase, kSynthBaseSize, synth.data()))
        return false;
    UnpackSynthBase(synth, image);
    Post(TransferKind::Progress, 30);

    std::array<quint8, kResponseSize> response{};
    const int version = m_link->ReadVersion(response);
    if (version <= 0) {
        Fail(version);
        return false;
    }
    UnpackFirmware(response[kFirmwareBytes], response[kFirmwareBytes + 1], response[kFirmwareBytes + 2], image);
    Post(TransferKind::Progress, 40);

    std::array<quint8, kLimitRecordSize> limits{};
    if (!ReadBlock(kLimitRecord, kLimitRecordSize, limits.data()))
        return false;
    UnpackLimitRecord(limits, image);
    // These handhelds have no repeater feature to switch off.
    const quint8 digit1 = image.ModelDigit(0);
    if ((digit1 == 4 || digit1 == 5) && image.ModelCharacter(2) != 'D')
        image.Set(VC::kDisableRepeaterFeature, false);
    Post(TransferKind::Progress, 50);

    quint8 clone = 0;
    if (!ReadBlock(kCloneCompatibility, 1, &clone))
        return false;
    image.Set(VC::kSerialCloneCompatibility, clone);
    Post(TransferKind::Progress, 60);

    std::array<quint8, kSettingsBlockReadSize> block{};
    if (!ReadBlock(kSettingsBlock, kSettingsBlockReadSize, block.data()))
        return false;
    UnpackSettingsBlock(block, image);
    Post(TransferKind::Progress, 70);

    // The radio may count more frequencies than the image holds; the rest
    // is read and not kept.
    const int frequencies = image.Get(VC::kMaxValidFreqs);
    if (frequencies > 0) {
        std::vector<quint8> records(size_t(FrequencyRecord::kSize * frequencies));
        if (!ReadBlock(kFrequencyRecords, int(records.size()), records.data()))
            return false;
        const std::span<const quint8> all(records);
        for (int j = 0; j < std::min(frequencies, VC::kFrequencyCount); ++j)
            UnpackFrequencyRecord(all.subspan(size_t(FrequencyRecord::kSize * j)).first<FrequencyRecord::kSize>(), j,
                                  image);
    }
    Post(TransferKind::Progress, 80);

    std::array<quint8, kStartEndFrequencySize> band{};
    if (!ReadBlock(kStartEndFrequency, kStartEndFrequencySize, band.data()))
        return false;
    UnpackStartEndFrequency(band, image);
    Post(TransferKind::Progress, 100);
    return CloseAndComplete();
}

bool CRadioSession::WriteRadio(const VirtualCP &image)
{
    std::lock_guard<std::mutex> session(SessionLock());
    if (!m_link->Open(m_cableIndex)) {
        Post(TransferKind::Failed, -1);
        return false;
    }
    if (!CheckRadioStatus())
        return false;

    // The radio's own bytes first, as many as will be written, so that every
    // bit and byte the image does not own goes back as the radio had it.
    std::array<quint8, kWorkBufferSize> work{};
    const int length = SettingsBlockWriteLength(image.Get(VC::kMaxCodes));
    const int read = m_link->ReadBlock(length, kSettingsBlock, std::span<quint8>(work).first(size_t(length)));
    if (!Require(read))
        return false;
    Post(TransferKind::Progress, 10);

    PackSettingsBlock(image, work);
    if (!Require(m_link->WriteBlock(std::span<const quint8>(work).first(size_t(length)), kSettingsBlock)))
        return false;
    if (!Require(m_link->Control(kControlAfterSettings.p1, kControlAfterSettings.p2, kControlAfterSettings.p3)))
        return false;
    Post(TransferKind::Progress, 20);

    if (NeedsR16Correction(image)) {
        std::array<quint8, CRadioLink::kMaxChunk> chunk{};
        if (!Require(m_link->ReadBlock(1, kR16Flags, chunk)))
            return false;
        const quint8 flags = quint8(chunk[0] & ~kR16FlagsClearedBit);
        if (!Require(m_link->WriteBlock(std::span<const quint8>(&flags, 1), kR16Flags)))
            return false;
        if (!Require(m_link->Control(kControlR16.p1, kControlR16.p2, kControlR16.p3)))
            return false;
        const std::array<quint8, kR16ClearSize> zeros{};
        if (!Require(m_link->WriteBlock(zeros, kR16Clear)))
            return false;
        if (const auto *table = R16Table(image)) {
            std::array<quint8, kR16TableSize> current{};
            if (!Require(m_link->ReadBlock(kR16TableSize, kR16Table, current)))
                return false;
            if (current != *table && !Require(m_link->WriteBlock(*table, kR16Table)))
                return false;
        }
        if (!Require(m_link->Control(kControlCommit.p1, kControlCommit.p2, kControlCommit.p3)))
            return false;
    }
    Post(TransferKind::Progress, 30);
    work.fill(0);

    const int frequencies = std::min<int>(image.Get(VC::kMaxValidFreqs), VC::kFrequencyCount);
    bool companderMarked = false;
    for (int j = 0; j < frequencies; ++j) {
        const std::array<quint8, FrequencyRecord::kSize> record = PackFrequencyRecord(image, j);
        if (image.Get(j, VC::Frequency::kCompanderLleMode) == kCompanderModeMarked)
            companderMarked = true;
        if (!Require(m_link->WriteFrequencyRecord(j, record)))
            return false;
        if (j == frequencies / 4)
            Post(TransferKind::Progress, 40);
        if (j == frequencies / 2)
            Post(TransferKind::Progress, 50);
        if (j == 3 * frequencies / 4)
            Post(TransferKind::Progress, 60);
    }
    Post(TransferKind::Progress, 70);

    quint8 marker = 0;
    if (!ReadBlock(kCompanderMarker, 1, &marker))
        return false;
    Post(TransferKind::Progress, 80);
    if (marker == kCompanderMarkerPlain && companderMarked) {
        const quint8 set = kCompanderMarkerSet;
        if (!Require(m_link->WriteBlock(std::span<const quint8>(&set, 1), kCompanderMarker)))
            return false;
        if (!Require(m_link->Control(kControlCommit.p1, kControlCommit.p2, kControlCommit.p3)))
            return false;
    }
    Post(TransferKind::Progress, 90);

    if (!Require(m_link->SetFrequencyCount(image.Get(VC::kMaxValidFreqs),
                                           image.Get(VC::kProgrammingModeEnabled) ? 1 : 0)))
        return false;
    Post(TransferKind::Progress, 100);
    return CloseAndComplete();
}

bool CRadioSession::ResetRadio()
{
    std::lock_guard<std::mutex> session(SessionLock());
    if (!m_link->Open(m_cableIndex)) {
        Post(TransferKind::Failed, -1);
        return false;
    }
    const int result = m_link->Reset();
    if (result <= 0) {
        Fail(result);
        return false;
    }
    // The radio restarts; the cable stays open meanwhile.
    if (CStopEvent *stop = m_stop.load())
        stop->Wait(kResetWaitMs);
    else
        QThread::msleep(kResetWaitMs);
    Post(TransferKind::Progress, 100);
    return CloseAndComplete();
}

// ---------------------------------------------------------------------------
// workers

CSessionWorker::CSessionWorker(CRadioSession &session, CCableStatus &cableStatus)
    : m_session(session)
    , m_cableStatus(cableStatus)
{
    m_session.SetStopEvent(&m_cableStatus.StopEvent());
}

CSessionWorker::~CSessionWorker()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool CSessionWorker::IsRunning() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_running;
}

bool CSessionWorker::Wait(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_ended.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_running; });
}

bool CSessionWorker::Launch(std::function<void()> body)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_running)
            return false;
        m_running = true;
    }
    if (m_thread.joinable())
        m_thread.join();
    m_thread = std::thread([this, body = std::move(body)] {
        body();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_running = false;
        m_ended.notify_all();
    });
    return true;
}

bool CSessionWorker::TakeCable()
{
    if (m_cableStatus.CableMutex().Lock(m_cableStatus.StopEvent()))
        return true;
    m_cableStatus.SetBusy(false);
    return false;
}

void CSessionWorker::ReleaseCable()
{
    m_cableStatus.CableMutex().Unlock();
}

bool CSessionWorker::StartIdentify(CRadioIdentity &identity, Target target)
{
    return Launch([this, &identity, target] {
        if (!TakeCable())
            return;
        m_session.SetTarget(target.receiver, target.handler);
        m_session.Identify(identity);
        ReleaseCable();
    });
}

bool CSessionWorker::StartRead(VirtualCP &image, Target target, const std::atomic<bool> *transferRunning)
{
    return Launch([this, &image, target, transferRunning] {
        if (!TakeCable())
            return;
        m_session.SetTarget(target.receiver, target.handler);
        if (m_session.StartSession() && (!transferRunning || transferRunning->load())) {
            m_session.ReadRadio(image);
            m_session.ResetRadio();
        }
        ReleaseCable();
        m_cableStatus.SetBusy(false);
    });
}

bool CSessionWorker::StartWrite(const VirtualCP &image, Target target, CRememberedPassword *remembered,
                                const std::atomic<bool> *transferRunning)
{
    return Launch([this, &image, target, remembered, transferRunning] {
        if (!TakeCable())
            return;
        m_session.SetTarget(target.receiver, target.handler);
        if (m_session.StartSession() && (!transferRunning || transferRunning->load())) {
            m_session.WriteRadio(image);
            m_session.ResetRadio();
            ReleaseCable();
            m_cableStatus.SetBusy(false);
            if (remembered)
                remembered->RememberWritten(image);
        } else {
            ReleaseCable();
            m_cableStatus.SetBusy(false);
        }
    });
}

bool CSessionWorker::StartReset(Target target)
{
    return Launch([this, target] {
        if (!TakeCable())
            return;
        m_session.SetTarget(target.receiver, target.handler);
        m_session.ResetRadio();
        ReleaseCable();
    });
}
