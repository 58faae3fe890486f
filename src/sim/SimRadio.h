#pragma once
// The radio's side of the programming conversation: one request frame in,
// the answer out (the acknowledge byte 0x50, then a response frame; the
// reset request is answered by the acknowledge byte alone). No cable and no
// time here: CRadioSimulator carries the bytes.
//
// Answers, with their data bytes numbered from 0:
//   session start          F3 22 16 01 CS                    2 data bytes
//   read version           F5 23 03 c1 c2 c3 CS              c1-c3: the firmware characters (data bytes 1-3)
//   read status            F4 23 09 00 s CS                  s: the status byte (data byte 2)
//   read memory N at A     FF 80 00 N+4 A2 A1 A0 D1..DN CS   the address echoed, N bytes of memory
//   write memory at A      FF 84 00 04 A2 A1 A0 CS           the data stored;
//                          FF 85 00 04 A2 A1 A0 CS           when writes are refused, nothing stored
//   control P1 P2 P3       F2 38 P1 CS
//   write frequency rec. i F2 9A i CS                        the 6 bytes stored at 0x10800 + 6 i
//   set frequency count n  F2 9A n CS                        n stored at 0x10A92, the flag as bit 5 of 0x10A93
//   reset                  50 only
// A request with a wrong checksum, of a length that does not fit its
// command, or unknown, is not answered at all.
//
// Where the radio keeps what the programming software asks for:
//   model             header 0x10E18 bytes 10-12 (three characters) and 13-17
//                     (five digits as numbers 0-9), i.e. 0x10E22-0x10E29
//   serial            header bytes 0-9 (0x10E18)
//   codeplug phase    header byte 18 (0x10E2A), a character
//   codeplug version  header byte 19 (0x10E2B); dev version byte 20 (0x10E2C)
//   password          0x10009-0x1000C (settings bytes 9-12), zero bytes when none
//   firmware          not in memory: the read-version answer
//   status            not in memory: the read-status answer
// and the rest of the map the sessions read and write: the settings and
// channel block at 0x10000 (410 bytes), frequency records at 0x10800,
// start and end frequency at 0x10A80, the limit record at 0x10A8C (20
// bytes), the clone byte 0x10C01, the compander marker 0x10C8E, the fixed
// table at 0x10C9C (196 bytes), the synthesiser base at 0x10D80 and the
// header at 0x10E18 (32 bytes).

#include "sim/SimMemory.h"

class VirtualCP;

#include <QByteArray>
#include <QString>

namespace SimRadioMap {
inline constexpr quint32 kSettingsBlock = 0x10000; // settings record, channel records, code words
inline constexpr int kSettingsBlockSize = 410;
inline constexpr int kChannelRecordsOffset = 36;   // in the settings block
inline constexpr int kChannelRecordSize = 14;
inline constexpr quint32 kPassword = 0x10009;
inline constexpr int kPasswordSize = 4;
inline constexpr quint32 kFrequencyRecords = 0x10800;
inline constexpr int kFrequencyRecordSize = 6;
inline constexpr quint32 kStartEndFrequency = 0x10A80;
inline constexpr quint32 kLimitRecord = 0x10A8C;
inline constexpr int kLimitRecordSize = 20;
inline constexpr quint32 kFrequencyCount = kLimitRecord + 6;       // 0x10A92
inline constexpr quint32 kProgrammingModeByte = kLimitRecord + 7;  // 0x10A93, bit 5
inline constexpr quint32 kCloneCompatibility = 0x10C01;
inline constexpr quint32 kCompanderMarker = 0x10C8E;
inline constexpr quint32 kFixedTable = 0x10C9C;
inline constexpr int kFixedTableSize = 196;
inline constexpr quint32 kSynthBase = 0x10D80;
inline constexpr quint32 kHeader = 0x10E18;
inline constexpr int kHeaderSize = 32;
inline constexpr quint32 kModelCharacters = kHeader + 10;
inline constexpr quint32 kModelDigits = kHeader + 13;
inline constexpr quint32 kCodeplugPhase = kHeader + 18;
inline constexpr quint32 kCodeplugVersion = kHeader + 19;
inline constexpr quint32 kCodeplugDevVersion = kHeader + 20;
} // namespace SimRadioMap

// What a request was, for the simulator's log.
enum class SimRequestKind {
    Reset,
    SessionStart,
    ReadVersion,
    ReadStatus,
    ReadMemory,
    WriteMemory,
    Control,
    WriteFrequencyRecord,
    SetFrequencyCount,
    BadChecksum, // not answered
    Unknown,     // not answered
};

class CSimRadio
{
public:
    // The built-in radio: a 16-channel display handheld "ZRD41610", firmware
    // "R17", codeplug phase "P" version 3, no password, status 0, 16
    // frequencies from 462.5625 MHz in 25 kHz steps, the largest code number
    // 219 (limit record byte 18; byte 5 says 122 for older firmware).
    static constexpr char kDefaultModel[] = "ZRD41610";
    static constexpr char kDefaultFirmware[] = "R17";
    static constexpr quint8 kDefaultCodeplugPhase = 'P';
    static constexpr quint8 kDefaultCodeplugVersion = 3;

    struct Served
    {
        SimRequestKind kind = SimRequestKind::Unknown;
        // The acknowledge byte and the response frame; empty when the request
        // is not answered.
        QByteArray answer;
        // Where the response frame starts in answer (1), or -1 when there is
        // none (reset).
        int frameStart = -1;
        quint8 command = 0; // of the request
        quint32 address = 0;
        int count = 0; // bytes read or written, the record index, the frequency count
        QString summary;
    };

    CSimRadio();

    CSimMemory &Memory() { return m_memory; }
    const CSimMemory &Memory() const { return m_memory; }
    // The built-in radio's memory.
    static CSimMemory DefaultMemory();

    // A radio that holds the configuration of a codeplug image: the built-in
    // radio's memory with every region the image describes laid over it as
    // the radio keeps it (header, synthesiser base, limit record in the
    // layout of the image's firmware, clone byte, settings and channel
    // records with the code words, frequency records, start and end
    // frequency). What the image does not describe (the rest of the settings
    // block, the compander marker, the fixed table) stays the built-in
    // radio's.
    static CSimMemory MemoryFromImage(const VirtualCP &image);
    // Takes MemoryFromImage and the image's firmware characters (when the
    // image has them; else the firmware stays as it is).
    void LoadImage(const VirtualCP &image);

    // Three characters.
    bool SetFirmware(const QByteArray &characters);
    QByteArray Firmware() const { return m_firmware; }
    void SetStatus(quint8 status) { m_status = status; }
    quint8 Status() const { return m_status; }

    // These write the radio's memory (see above). A model is three characters
    // and five digits; a password up to four characters.
    bool SetModel(const QByteArray &model);
    QByteArray Model() const;
    void SetCodeplug(quint8 phase, quint8 version);
    bool SetPassword(const QByteArray &password);
    QByteArray Password() const; // up to the first zero byte

    // Answers one complete request frame; refuseWrite answers a memory write
    // with 0x85 and stores nothing.
    Served Serve(const QByteArray &request, bool refuseWrite = false);

    // A frequency record as the radio keeps it, for a frequency in hertz with
    // the synthesiser base of 400.
    static QByteArray FrequencyRecord(quint32 hertz, int power, int compander, int bandwidth);

private:
    static bool WriteModel(CSimMemory &memory, const QByteArray &model);
    static void WriteCodeplug(CSimMemory &memory, quint8 phase, quint8 version);

    CSimMemory m_memory;
    QByteArray m_firmware = kDefaultFirmware;
    quint8 m_status = 0;
};
