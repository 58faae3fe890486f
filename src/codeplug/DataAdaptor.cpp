#include "codeplug/DataAdaptor.h"
#include "settings/MessageSink.h"
#include "settings/TarnCPSException.h"
#include "settings/XmlDocument.h"


#include <algorithm>
#include <climits>

namespace {

using CP = VirtualCP;

// ---- the fields, in the order a profile made from an image writes them ----

enum class Kind {
    Flag,        // boolean byte
    Byte,        // one-byte number
    Dword,       // four-byte number
    Text,        // zero-padded text of `width` bytes
    Button,      // four-bit button entry number `width`
    Customised,  // customised code word, code number `width`
};

struct Field
{
    const char *name;
    Kind kind;
    int offset = 0;
    int width = 0;
};

constexpr Field FlagField(const char *name, CP::Flag f) { return {name, Kind::Flag, f.offset, 1}; }
constexpr Field ByteField(const char *name, CP::Byte f) { return {name, Kind::Byte, f.offset, 1}; }
constexpr Field DwordField(const char *name, CP::Dword f) { return {name, Kind::Dword, f.offset, 4}; }
constexpr Field TextField(const char *name, CP::Text f) { return {name, Kind::Text, f.offset, f.width}; }
constexpr Field ButtonField(const char *name, int entry) { return {name, Kind::Button, 0, entry}; }
constexpr Field CodeField(const char *name, int code) { return {name, Kind::Customised, 0, code}; }

const Field kLimitFields[] = {
    ByteField("maxChannels", CP::kMaxChannels),
    ByteField("max_valid_freqs", CP::kMaxValidFreqs),
    DwordField("start_freq", CP::kStartFreq),
    DwordField("end_freq", CP::kEndFreq),
    FlagField("disable_time_out_timer", CP::kDisableTimeOutTimer),
    FlagField("disable_keypad_beep_feature", CP::kDisableKeypadBeepFeature),
    FlagField("disable_roger_beep_feature", CP::kDisableRogerBeepFeature),
    FlagField("disable_busy_led_mode", CP::kDisableBusyLedMode),
    FlagField("enable_reverse_burst", CP::kEnableReverseBurst),
    FlagField("disable_vox_feature", CP::kDisableVoxFeature),
    FlagField("disable_ivox_feature", CP::kDisableIvoxFeature),
    FlagField("disable_scramble_feature", CP::kDisableScrambleFeature),
    FlagField("disable_battery_save_feature", CP::kDisableBatterySaveFeature),
    FlagField("factory_reset_disable", CP::kFactoryResetDisable),
    FlagField("disable_scan_mode", CP::kDisableScanMode),
    ByteField("max_call_tones", CP::kMaxCallTones),
    ByteField("maxPresetButtons", CP::kMaxPresetButtons),
    DwordField("maxCodes", CP::kMaxCodes),
    FlagField("power_cntrl_enabled", CP::kPowerCntrlEnabled),
    FlagField("backlight_button_enabled", CP::kBacklightButtonEnabled),
    FlagField("programming_mode_enabled", CP::kProgrammingModeEnabled),
    FlagField("call_feature_disable", CP::kCallFeatureDisable),
    FlagField("monitor_feature_disable", CP::kMonitorFeatureDisable),
    FlagField("disable_keypad_lock_feature", CP::kDisableKeypadLockFeature),
    FlagField("disable_repeater_feature", CP::kDisableRepeaterFeature),
    FlagField("disable_channel_enable", CP::kDisableChannelEnable),
    FlagField("talkaround_scan_enable", CP::kTalkaroundScanEnable),
    FlagField("voice_chip_enable", CP::kVoiceChipEnable),
};

const Field kSettingFields[] = {
    TextField("password", CP::kPassword),
    FlagField("disableLED", CP::kDisableLED),
    FlagField("disableRestoreFactoryDefault", CP::kDisableRestoreFactoryDefault),
    FlagField("backlight_enabled", CP::kBacklightEnabled),
    ByteField("timeoutTimer", CP::kTimeoutTimer),
    FlagField("reverseBurst", CP::kReverseBurst),
    ByteField("vox_level", CP::kVoxLevel),
    ByteField("ivol_level", CP::kIvolLevel),
    ByteField("microphoneGain", CP::kMicrophoneGain),
    ByteField("accessoryMicrophoneGain", CP::kAccessoryMicrophoneGain),
    FlagField("batteryType", CP::kBatteryType),
    FlagField("disableBatterySave", CP::kDisableBatterySave),
    ButtonField("side1_but", CP::kSide1ButEntry),
    ButtonField("side2_but", CP::kSide2ButEntry),
    ButtonField("upper_right_but", CP::kUpperRightButEntry),
    ButtonField("lower_left_but", CP::kLowerLeftButEntry),
    ButtonField("lower_right_but", CP::kLowerRightButEntry),
    ByteField("numberChannels", CP::kNumberChannels),
    ByteField("voice_language", CP::kVoiceLanguage),
    CodeField("PLcode124", 124),
    CodeField("PLcode125", 125),
    CodeField("PLcode126", 126),
    CodeField("PLcode127", 127),
    CodeField("PLcode128", 128),
    CodeField("PLcode129", 129),
    CodeField("PLcode214", 214),
    CodeField("PLcode215", 215),
    CodeField("PLcode216", 216),
    CodeField("PLcode217", 217),
    CodeField("PLcode218", 218),
    CodeField("PLcode219", 219),
    TextField("powerupString", CP::kPowerupString),
    FlagField("rogerBeepTone", CP::kRogerBeepTone),
    FlagField("disableSelectableScramble", CP::kDisableSelectableScramble),
    ByteField("backlight_timeout", CP::kBacklightTimeout),
    ByteField("callTone", CP::kCallTone),
    FlagField("keypadLock", CP::kKeypadLock),
    FlagField("keypadBeep", CP::kKeypadBeep),
};

// The channel record; in_scanlist, which lives in the scan-list bit set,
// follows these.
struct ChannelField
{
    const char *name;
    Kind kind; // Flag, Byte or Text
    int offset;
    int width;
};

const ChannelField kChannelFields[] = {
    {"rx_freq_ndx", Kind::Byte, CP::Channel::kRxFreqNdx.offset, 1},
    {"rx_code", Kind::Byte, CP::Channel::kRxCode.offset, 1},
    {"tx_freq_ndx", Kind::Byte, CP::Channel::kTxFreqNdx.offset, 1},
    {"tx_code", Kind::Byte, CP::Channel::kTxCode.offset, 1},
    {"rx_bw", Kind::Flag, CP::Channel::kRxBw.offset, 1},
    {"tx_bw", Kind::Flag, CP::Channel::kTxBw.offset, 1},
    {"talkaround_power", Kind::Flag, CP::Channel::kTalkaroundPower.offset, 1},
    {"repeater_power", Kind::Flag, CP::Channel::kRepeaterPower.offset, 1},
    {"repeater", Kind::Flag, CP::Channel::kRepeater.offset, 1},
    {"autoScan", Kind::Flag, CP::Channel::kAutoScan.offset, 1},
    {"scramble_code", Kind::Byte, CP::Channel::kScrambleCode.offset, 1},
    {"name", Kind::Text, CP::Channel::kName.offset, CP::Channel::kName.width},
    {"disable_channel", Kind::Flag, CP::Channel::kDisableChannel.offset, 1},
    {"talkaround_scan", Kind::Flag, CP::Channel::kTalkaroundScan.offset, 1},
};

// The customised PL words exist when maxCodes is above 122, the DPL words
// when it is above 213.
constexpr quint32 kLastStandardCode = 122;
constexpr quint32 kLastPLCode = 213;

bool CustomisedCodePresent(int code, quint32 maxCodes)
{
    return code >= CP::kFirstCustomisedDPL ? maxCodes > kLastPLCode : maxCodes > kLastStandardCode;
}

// ---- profile text to image: the reading rules ----

bool IsCSpace(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || (u >= '\t' && u <= '\r');
}

int DigitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int value = 99;
    if (u >= '0' && u <= '9')
        value = u - '0';
    else if (u >= 'a' && u <= 'z')
        value = u - 'a' + 10;
    else if (u >= 'A' && u <= 'Z')
        value = u - 'A' + 10;
    return value < base ? value : -1;
}

// What the reading rules have in common: white space skipped, an optional
// sign, the digits up to the first other character. `magnitude` saturates
// just above 2^32, which is all either rule needs to see an overflow.
struct Reading
{
    bool negative = false;
    bool anyDigit = false;
    quint64 magnitude = 0;
};

Reading Read(const QString &text, int base)
{
    Reading reading;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && IsCSpace(text[i]))
        ++i;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        reading.negative = text[i] == QLatin1Char('-');
        ++i;
    }
    // Base 16 takes an optional "0x" before the digits, as the C library's
    // reader does.
    if (base == 16 && i + 2 < n && text[i] == QLatin1Char('0')
        && (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X')) && DigitValue(text[i + 2], 16) >= 0)
        i += 2;
    constexpr quint64 kCeiling = quint64(1) << 33;
    for (; i < n; ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0)
            break;
        reading.anyDigit = true;
        reading.magnitude = std::min(reading.magnitude * quint64(base) + quint64(digit), kCeiling);
    }
    return reading;
}

// The number rule: unsigned, overflow gives 4294967295, a minus negates
// modulo 2^32, no digits give 0.
quint32 Number(const QString &text, int base = 10)
{
    const Reading r = Read(text, base);
    if (!r.anyDigit)
        return 0;
    if (r.magnitude > 0xFFFFFFFFu)
        return 0xFFFFFFFFu;
    const quint32 value = quint32(r.magnitude);
    return r.negative ? quint32(0u - value) : value;
}

// The hex digit rule reads a signed 32-bit number; overflow gives the
// largest or smallest value. The image field keeps the first character of
// its upper-case hexadecimal form, which VirtualCP formats from the value
// taken as unsigned (-1 gives "FFFFFFFF", so "F").
qint32 SignedNumber(const QString &text)
{
    const Reading r = Read(text, 10);
    if (!r.anyDigit)
        return 0;
    if (r.negative)
        return r.magnitude > quint64(INT_MAX) + 1 ? INT_MIN : qint32(-qint64(r.magnitude));
    return r.magnitude > quint64(INT_MAX) ? INT_MAX : qint32(r.magnitude);
}

bool Boolean(const QString &text)
{
    return text == QLatin1String("1");
}

// The system code page is Latin-1; any other character becomes "?".
constexpr char kUnmappable = '?';

quint8 Character(const QString &text)
{
    if (text.isEmpty())
        return 0;
    const char16_t u = text.front().unicode();
    return u <= 0xFF ? quint8(u) : quint8(kUnmappable);
}

QByteArray ToCodePage(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i; // one character, one "?"
        bytes.append(c.unicode() <= 0xFF ? char(c.unicode()) : kUnmappable);
    }
    return bytes;
}

// What the XML engine reports when an element or attribute is not there; it
// becomes error 131 at the top of XML2VirtualCP.
struct EngineError
{
    QString message;
    QString description;
    QString source;
};

const QString kEngineSource = QStringLiteral("libxml2");

struct Element
{
    const xmlNode *node;
    QString path;
};

class ProfileReader
{
public:
    ProfileReader(xmlDoc *doc, const XmlParseError &parseError)
        : m_doc(doc)
        , m_parseError(parseError)
    {
    }

    Element Select(const QString &path) const { return {Xml::SelectSingle(m_doc, path), path}; }

    QString Attribute(const Element &element, const char *name) const
    {
        if (!element.node) {
            QString description = QStringLiteral("no element matches %1").arg(element.path);
            if (!m_doc)
                description += QStringLiteral(" (the profile does not parse: %1, line %2)")
                                   .arg(m_parseError.reason)
                                   .arg(m_parseError.line);
            throw EngineError{QStringLiteral("Invalid pointer"), description, kEngineSource};
        }
        if (!Xml::HasAttribute(element.node, name))
            throw EngineError{QStringLiteral("Invalid pointer"),
                              QStringLiteral("%1 has no attribute %2").arg(Xml::NodeName(element.node), QLatin1String(name)),
                              kEngineSource};
        return Xml::Attribute(element.node, name);
    }

private:
    xmlDoc *m_doc;
    const XmlParseError &m_parseError;
};

// The element after `node` among its siblings, passing over white space
// between elements; null at the end or when that sibling is no element (a
// comment, text), which ends a walk.
const xmlNode *NextElement(const xmlNode *node)
{
    const xmlNode *next = node->next;
    while (next && next->type == XML_TEXT_NODE && xmlIsBlankNode(const_cast<xmlNode *>(next)))
        next = next->next;
    return next && next->type == XML_ELEMENT_NODE ? next : nullptr;
}

void StoreField(VirtualCP &cp, const Field &field, const QString &value)
{
    switch (field.kind) {
    case Kind::Flag:
        cp.Set(CP::Flag{field.offset}, Boolean(value));
        break;
    case Kind::Byte:
        cp.Set(CP::Byte{field.offset}, quint8(Number(value)));
        break;
    case Kind::Dword:
        cp.Set(CP::Dword{field.offset}, Number(value));
        break;
    case Kind::Text:
        cp.Set(CP::Text{field.offset, field.width}, ToCodePage(value));
        break;
    case Kind::Button:
        cp.SetButtonEntry(field.width, quint8(Number(value)));
        break;
    case Kind::Customised:
        cp.SetCustomisedCode(field.width, quint16(Number(value)));
        break;
    }
}

void ReadFactory(const ProfileReader &reader, VirtualCP &cp)
{
    const Element factory = reader.Select(QStringLiteral("//dfns:factory_setting"));
    const auto value = [&](const char *name) { return reader.Attribute(factory, name); };
    cp.Set(CP::kSerialCloneCompatibility, quint8(Number(value("serial_clone_compatibility"))));
    cp.Set(CP::kFirmwarePhase, Character(value("firmware_phase")));
    cp.Set(CP::kFirmwareVersion, quint32(SignedNumber(value("firmware_version"))));
    cp.Set(CP::kFirmwareRevision, quint32(SignedNumber(value("firmware_revision"))));
    cp.Set(CP::kCodeplugPhase, Character(value("codeplug_phase")));
    cp.Set(CP::kCodeplugVersion, quint8(Number(value("codeplug_version"), 16)));
    cp.Set(CP::kCodeplugDevVersion, quint8(Number(value("codeplug_dev_version"), 16)));

    // Characters 1-3 by the character rule, 4-8 as one-digit numbers (a
    // non-digit giving 0); places the text does not reach stay 0.
    const QString model = value("model");
    QByteArray modelBytes;
    for (qsizetype i = 0; i < CP::kModelCharacterCount + CP::kModelDigitCount && i < model.size(); ++i)
        modelBytes.append(char(Character(model.mid(i, 1))));
    cp.SetModel(modelBytes);

    cp.Set(CP::kSerial, ToCodePage(value("serial")));
    cp.Set(CP::kSynthBaseIntPart, Number(value("synth_base_int_part")));
}

void ReadFields(const ProfileReader &reader, VirtualCP &cp, const QString &path, const auto &fields)
{
    const Element element = reader.Select(path);
    for (const Field &field : fields) {
        if (field.kind == Kind::Customised && !CustomisedCodePresent(field.width, cp.Get(CP::kMaxCodes)))
            continue;
        StoreField(cp, field, reader.Attribute(element, field.name));
    }
}

void ReadPresets(const ProfileReader &reader, VirtualCP &cp)
{
    const Element first = reader.Select(QStringLiteral("//dfns:preset"));
    const xmlNode *node = first.node;
    for (int i = 0; node && i < CP::kPresetCount; ++i, node = NextElement(node))
        cp.SetPresetChannel(i, quint8(Number(reader.Attribute({node, first.path}, "channel"))));
}

void ReadChannels(const ProfileReader &reader, VirtualCP &cp, const CRadioIdentity &radio)
{
    // Radios before codeplug version 3 know neither switch.
    constexpr quint8 kFirstVersionWithChannelSwitches = 3;
    const Element first = reader.Select(QStringLiteral("//dfns:channel"));
    const xmlNode *node = first.node;
    for (int slot = 0; node && slot < CP::kChannelCount; ++slot, node = NextElement(node)) {
        const Element channel{node, first.path};
        for (const ChannelField &field : kChannelFields) {
            const QString value = reader.Attribute(channel, field.name);
            if (field.kind == Kind::Flag)
                cp.Set(slot, CP::ChannelFlag{field.offset}, Boolean(value));
            else if (field.kind == Kind::Byte)
                cp.Set(slot, CP::ChannelByte{field.offset}, quint8(Number(value)));
            else
                cp.Set(slot, CP::ChannelText{field.offset, field.width}, ToCodePage(value));
        }
        if (radio.codeplugVersion < kFirstVersionWithChannelSwitches) {
            cp.Set(slot, CP::Channel::kDisableChannel, false);
            cp.Set(slot, CP::Channel::kTalkaroundScan, false);
        }
        cp.SetScanBit(slot, Number(reader.Attribute(channel, "in_scanlist")) != 0);
    }
}

void ReadFrequencies(const ProfileReader &reader, VirtualCP &cp)
{
    const Element first = reader.Select(QStringLiteral("//dfns:frequency"));
    const xmlNode *node = first.node;
    for (int slot = 0; node && slot < CP::kFrequencyCount; ++slot, node = NextElement(node)) {
        const Element frequency{node, first.path};
        cp.EncodeFrequency(slot, Number(reader.Attribute(frequency, "freq")));
        // Whole bytes; only the reader of an image masks the two bits.
        cp.Set(slot, CP::Frequency::kBandwidth, quint8(Number(reader.Attribute(frequency, "bandwidth"))));
        cp.Set(slot, CP::Frequency::kPowerLevel, quint8(Number(reader.Attribute(frequency, "power_level"))));
        cp.Set(slot, CP::Frequency::kCompanderLleMode, quint8(Number(reader.Attribute(frequency, "compander_lle_mode"))));
    }
}

// ---- image to profile text ----

QString Escaped(QString text)
{
    text.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    text.replace(QLatin1Char('<'), QLatin1String("&lt;"));
    text.replace(QLatin1Char('>'), QLatin1String("&gt;"));
    text.replace(QLatin1Char('"'), QLatin1String("&quot;"));
    return text;
}

QByteArray UpToZero(const QByteArray &bytes)
{
    const qsizetype zero = bytes.indexOf('\0');
    return zero < 0 ? bytes : bytes.left(zero);
}

// A text field as the profile shows it: up to the first zero byte, from
// Latin-1, without leading and trailing white space, escaped.
QString TextValue(const QByteArray &field)
{
    return Escaped(QString::fromLatin1(UpToZero(field)).trimmed());
}

// A character field: the character with the byte's code. A zero byte ends a
// text before it begins, so it gives the empty text, which the character
// rule reads back as 0.
QString CharacterValue(quint8 byte)
{
    return byte == 0 ? QString() : QString(QChar(char16_t(byte)));
}

class ProfileWriter
{
public:
    ProfileWriter() { m_text.reserve(16384); }

    void Raw(QStringView text) { m_text += text; }
    void Raw(QLatin1String text) { m_text += text; }
    void Attribute(const char *name, const QString &value)
    {
        m_text += QLatin1String(name);
        m_text += QLatin1String("=\"");
        m_text += value;
        m_text += QLatin1String("\" ");
    }
    void Attribute(const char *name, quint32 value) { Attribute(name, QString::number(value)); }
    void Write(const VirtualCP &cp, const Field &field)
    {
        switch (field.kind) {
        case Kind::Flag:
            Attribute(field.name, cp.FlagByte(CP::Flag{field.offset}));
            break;
        case Kind::Byte:
            Attribute(field.name, cp.Get(CP::Byte{field.offset}));
            break;
        case Kind::Dword:
            Attribute(field.name, cp.Get(CP::Dword{field.offset}));
            break;
        case Kind::Text:
            Attribute(field.name, TextValue(cp.Get(CP::Text{field.offset, field.width})));
            break;
        case Kind::Button:
            Attribute(field.name, cp.ButtonEntry(field.width));
            break;
        case Kind::Customised:
            if (CustomisedCodePresent(field.width, cp.Get(CP::kMaxCodes)))
                Attribute(field.name, cp.CustomisedCode(field.width));
            break;
        }
    }
    QString Take() { return std::move(m_text); }

private:
    QString m_text;
};

const QLatin1String kLineEnd("\r\n");

void WriteFactory(ProfileWriter &out, const VirtualCP &cp)
{
    out.Raw(QLatin1String("\t<factory_setting "));
    out.Attribute("serial_clone_compatibility", cp.Get(CP::kSerialCloneCompatibility));
    out.Attribute("firmware_phase", CharacterValue(cp.Get(CP::kFirmwarePhase)));
    out.Attribute("firmware_version", cp.Get(CP::kFirmwareVersion));
    out.Attribute("firmware_revision", cp.Get(CP::kFirmwareRevision));
    out.Attribute("codeplug_phase", CharacterValue(cp.Get(CP::kCodeplugPhase)));
    out.Attribute("codeplug_version", cp.Get(CP::kCodeplugVersion));
    out.Attribute("codeplug_dev_version", cp.Get(CP::kCodeplugDevVersion));
    QString model = TextValue(QByteArray(reinterpret_cast<const char *>(cp.Bytes().data()) + CP::kModelCharactersOffset,
                                         CP::kModelCharacterCount));
    for (int i = 0; i < CP::kModelDigitCount; ++i)
        model += QString::number(cp.ModelDigit(i));
    out.Attribute("model", model);
    out.Attribute("serial", TextValue(cp.Get(CP::kSerial)));
    out.Attribute("synth_base_int_part", cp.Get(CP::kSynthBaseIntPart));
    out.Attribute("sub_region", 0u);
    out.Raw(QLatin1String("/>"));
}

void WriteLimit(ProfileWriter &out, const VirtualCP &cp)
{
    out.Raw(kLineEnd);
    out.Raw(QLatin1String("\t<limit "));
    for (const Field &field : kLimitFields)
        out.Write(cp, field);
    out.Raw(QLatin1String("/>\r\n"));
}

void WriteSetting(ProfileWriter &out, const VirtualCP &cp)
{
    out.Raw(QLatin1String("\t<setting "));
    for (const Field &field : kSettingFields)
        out.Write(cp, field);
    out.Raw(QLatin1String(">\r\n"));
    for (int i = 0; i < CP::kPresetCount; ++i) {
        out.Raw(QLatin1String("\t\t<preset "));
        out.Attribute("channel", cp.PresetChannel(i));
        out.Raw(QLatin1String("/>\r\n"));
    }
    out.Raw(QLatin1String("\t</setting>\r\n"));
}

int ChannelSlots(const VirtualCP &cp)
{
    return std::min<int>(cp.Get(CP::kMaxChannels), CP::kChannelCount);
}

int FrequencySlots(const VirtualCP &cp)
{
    return std::min<int>(cp.Get(CP::kMaxValidFreqs), CP::kFrequencyCount);
}

void WriteChannels(ProfileWriter &out, const VirtualCP &cp)
{
    out.Raw(QLatin1String("\t<channels>\r\n"));
    for (int slot = 0; slot < ChannelSlots(cp); ++slot) {
        out.Raw(QLatin1String("\t\t<channel "));
        for (const ChannelField &field : kChannelFields) {
            if (field.kind == Kind::Flag)
                out.Attribute(field.name, cp.FlagByte(slot, CP::ChannelFlag{field.offset}));
            else if (field.kind == Kind::Byte)
                out.Attribute(field.name, cp.Get(slot, CP::ChannelByte{field.offset}));
            else
                out.Attribute(field.name, TextValue(cp.Get(slot, CP::ChannelText{field.offset, field.width})));
        }
        out.Attribute("in_scanlist", cp.ScanBit(slot) ? 1u : 0u);
        out.Raw(QLatin1String("/>\r\n"));
    }
    out.Raw(QLatin1String("\t</channels>\r\n"));
}

void WriteFrequencies(ProfileWriter &out, const VirtualCP &cp)
{
    out.Raw(QLatin1String("\t<frequencies>\r\n"));
    for (int slot = 0; slot < FrequencySlots(cp); ++slot) {
        out.Raw(QLatin1String("\t\t<frequency "));
        out.Attribute("freq", cp.DecodeFrequency(slot));
        out.Attribute("bandwidth", cp.Get(slot, CP::Frequency::kBandwidth) & 3u);
        out.Attribute("power_level", cp.Get(slot, CP::Frequency::kPowerLevel) & 3u);
        out.Attribute("compander_lle_mode", cp.Get(slot, CP::Frequency::kCompanderLleMode));
        out.Raw(QLatin1String("/>\r\n"));
    }
    out.Raw(QLatin1String("\t</frequencies>\r\n"));
}

// A renaming candidate: "CHAN 0k" below 10, "CHAN k" from there, as the
// 8 bytes of a name field.
QByteArray Candidate(unsigned k)
{
    QByteArray name = (k < 10 ? QByteArrayLiteral("CHAN 0") : QByteArrayLiteral("CHAN ")) + QByteArray::number(k);
    name.truncate(CP::Channel::kName.width);
    name.append(CP::Channel::kName.width - name.size(), '\0');
    return name;
}

} // namespace

int CDataAdaptor::XML2VirtualCP(const QString &profileText, VirtualCP &image, const CRadioIdentity &radio)
{
    static const char kOperation[] = "CDataAdaptor::XML2VirtualCP";
    try {
        // A text that does not parse leaves no document; the first attribute
        // read then fails. (libxml2 makes the document while it parses, so
        // there is no separate step that could fail to create one.)
        XmlParseError parseError;
        const XmlDocPtr doc = Xml::ParseText(profileText, &parseError);
        if (!doc && profileText.trimmed().isEmpty())
            parseError.reason = QStringLiteral("the text is empty");
        const ProfileReader reader(doc.get(), parseError);

        // The conversion works on a copy, so that a profile that fails half
        // way leaves the caller's image as it was.
        VirtualCP cp = image;
        ReadFactory(reader, cp);
        ReadFields(reader, cp, QStringLiteral("//dfns:limit"), kLimitFields);
        ReadFields(reader, cp, QStringLiteral("//dfns:setting"), kSettingFields);
        ReadPresets(reader, cp);
        ReadChannels(reader, cp, radio);
        ReadFrequencies(reader, cp);
        image = cp;
        return 1;
    } catch (const EngineError &e) {
        throw CTarnCPSException::FromComponent(131, e.message, e.description, e.source, kOperation, __LINE__);
    } catch (CTarnCPSException &e) {
        e.AddCatchTrace(kOperation, __LINE__);
        throw;
    }
}

void CDataAdaptor::MakeChannelNamesDistinct(VirtualCP &image)
{
    const int count = ChannelSlots(image);
    const auto inUse = [&](const QByteArray &name) {
        for (int slot = 0; slot < count; ++slot)
            if (image.Get(slot, CP::Channel::kName) == name)
                return true;
        return false;
    };
    // One counter for the whole conversion: each candidate tried uses a number up.
    unsigned k = 1;
    for (int i = 1; i < count; ++i) {
        for (int j = 0; j < i; ++j) {
            if (image.Get(i, CP::Channel::kName) != image.Get(j, CP::Channel::kName))
                continue;
            QByteArray candidate;
            do
                candidate = Candidate(k++);
            while (inUse(candidate));
            image.Set(i, CP::Channel::kName, candidate);
            break; // the new name is used nowhere else
        }
    }
}

int CDataAdaptor::VirtualCP2XML(const VirtualCP &image, QString &text)
{
    if (!image.HasValidSerial()) {
        ShowMessage(376); // "Invalid serial number"
        return 0;
    }

    // The names are made distinct in a copy: only the text needs them.
    VirtualCP cp = image;
    MakeChannelNamesDistinct(cp);

    ProfileWriter out;
    out.Raw(QLatin1String("<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n<TarnProfile xmlns=\""));
    out.Raw(QLatin1String(kProfileNamespace));
    out.Raw(QLatin1String("\">\r\n"));
    WriteFactory(out, cp);
    WriteLimit(out, cp);
    WriteSetting(out, cp);
    WriteChannels(out, cp);
    WriteFrequencies(out, cp);
    out.Raw(QLatin1String("</TarnProfile>\r\n"));
    text = out.Take();

    if (!Xml::ParseText(text)) {
        ShowMessage(391); // "Codeplug is corrupted"
        return 0;
    }
    return 1;
}
