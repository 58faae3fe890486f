#include "model/SignallingCodes.h"
#include "settings/AppContext.h"
#include "settings/StringTable.h"

#include <iterator>
#include <optional>

namespace {

// Texts of the standard codes 1-123 before the decimal separator and the
// words "DPL" and "Hz" of the current language are put in. No list shows
// entry 0.
constexpr const char16_t *kStandardCodes[] = {
    u"Disabled", u"67.0 Hz", u"71.9 Hz", u"74.4 Hz", u"77.0 Hz", u"79.7 Hz", u"82.5 Hz", u"85.4 Hz",
    u"88.5 Hz", u"91.5 Hz", u"94.8 Hz", u"97.4 Hz", u"100.0 Hz", u"103.5 Hz", u"107.2 Hz", u"110.9 Hz",
    u"114.8 Hz", u"118.8 Hz", u"123.0 Hz", u"127.3 Hz", u"131.8 Hz", u"136.5 Hz", u"141.3 Hz", u"146.2 Hz",
    u"151.4 Hz", u"156.7 Hz", u"162.2 Hz", u"167.9 Hz", u"173.8 Hz", u"179.9 Hz", u"186.2 Hz", u"192.8 Hz",
    u"203.5 Hz", u"210.7 Hz", u"218.1 Hz", u"225.7 Hz", u"233.6 Hz", u"241.8 Hz", u"250.3 Hz", u"DPL 023",
    u"DPL 025", u"DPL 026", u"DPL 031", u"DPL 032", u"DPL 043", u"DPL 047", u"DPL 051", u"DPL 054",
    u"DPL 065", u"DPL 071", u"DPL 072", u"DPL 073", u"DPL 074", u"DPL 114", u"DPL 115", u"DPL 116",
    u"DPL 125", u"DPL 131", u"DPL 132", u"DPL 134", u"DPL 143", u"DPL 152", u"DPL 155", u"DPL 156",
    u"DPL 162", u"DPL 165", u"DPL 172", u"DPL 174", u"DPL 205", u"DPL 223", u"DPL 226", u"DPL 243",
    u"DPL 244", u"DPL 245", u"DPL 251", u"DPL 261", u"DPL 263", u"DPL 265", u"DPL 271", u"DPL 306",
    u"DPL 311", u"DPL 315", u"DPL 331", u"DPL 343", u"DPL 346", u"DPL 351", u"DPL 364", u"DPL 365",
    u"DPL 371", u"DPL 411", u"DPL 412", u"DPL 413", u"DPL 423", u"DPL 431", u"DPL 432", u"DPL 445",
    u"DPL 464", u"DPL 465", u"DPL 466", u"DPL 503", u"DPL 506", u"DPL 516", u"DPL 532", u"DPL 546",
    u"DPL 565", u"DPL 606", u"DPL 612", u"DPL 624", u"DPL 627", u"DPL 631", u"DPL 632", u"DPL 654",
    u"DPL 662", u"DPL 664", u"DPL 703", u"DPL 712", u"DPL 723", u"DPL 731", u"DPL 732", u"DPL 734",
    u"DPL 743", u"DPL 754", u"69.30 Hz", u"DPL 645",
};
static_assert(std::size(kStandardCodes) == 124, "codes 0 to 123");

constexpr int kLastStandardCode = 123;
constexpr int kFirstCustomPL = 124;
constexpr int kLastCustomPL = 129;
constexpr int kFirstInvertedDPL = 130;
constexpr int kLastInvertedDPL = 213;
constexpr int kFirstCustomDPL = 214;
constexpr int kLastCustomDPL = 219;

// The PLcode attribute of `setting` that values a customised code; nothing
// when the profile has no such element or attribute, or no number in it.
std::optional<quint32> CustomValue(const CDataItem &root, int code)
{
    CDataItem setting;
    for (int i = 0; i < root.GetChildCount() && setting.IsEmpty(); ++i) {
        CDataItem child;
        root.GetChildByIndex(i, child);
        if (child.Name() == QLatin1String("setting"))
            setting = child;
    }
    const QString name = QStringLiteral("PLcode%1").arg(code);
    if (setting.IsEmpty() || !setting.HasAttribute(name))
        return std::nullopt;
    bool ok = false;
    const quint32 value = setting.GetAttributeValue(name).toUInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

QString Numbered(int code, const QString &text)
{
    return QStringLiteral("%1 - %2").arg(QString::number(code), text);
}

} // namespace

QString GetCodeText(int code, const CDataItem &root)
{
    const QString separator = CAppContext::Instance().DecimalSeparator();
    if (code == 0)
        return LoadString(435); // "No PL/DPL code"
    if (code >= 1 && code <= kLastStandardCode) {
        QString text = QString::fromUtf16(kStandardCodes[code]);
        text.replace(QLatin1Char('.'), separator);
        text.replace(QLatin1String("DPL"), LoadString(479));
        text.replace(QLatin1String("Hz"), LoadString(482));
        return Numbered(code, text);
    }
    if (code >= kFirstCustomPL && code <= kLastCustomPL) {
        const QString caption = LoadString(471); // "Customized PL"
        const std::optional<quint32> tenths = CustomValue(root, code);
        if (!tenths)
            return Numbered(code, caption);
        QString tone = QString::asprintf("%.1f ", *tenths * 0.1);
        tone.replace(QLatin1Char('.'), separator);
        return Numbered(code, QStringLiteral("%1 (%2%3)").arg(caption, tone, LoadString(482)));
    }
    if (code >= kFirstInvertedDPL && code <= kLastInvertedDPL) {
        // Shown with the number of the code inverted, not its DPL value.
        const int inverted = code == kLastInvertedDPL ? kLastStandardCode : code - 91;
        return Numbered(code, QStringLiteral("%1 %2").arg(LoadString(480), QString::number(inverted)));
    }
    if (code >= kFirstCustomDPL && code <= kLastCustomDPL) {
        const QString caption = LoadString(525); // "Customized DPL"
        const std::optional<quint32> value = CustomValue(root, code);
        if (!value)
            return Numbered(code, caption);
        return Numbered(code, QStringLiteral("%1 (%2)").arg(caption, QString::asprintf("%03o", *value)));
    }
    // A list running past 219 (a maxCodes above it) has nothing to tell of
    // such a number but the number itself.
    return QString::number(code);
}
