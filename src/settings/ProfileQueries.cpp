#include "settings/ProfileQueries.h"
#include "settings/AppContext.h"
#include "settings/TarnCPSException.h"

#include <climits>

namespace {

QString Model(const CDataItem &root)
{
    CDataItem factory;
    root.GetChildByName(QStringLiteral("factory_setting"), factory);
    return factory.GetAttributeValue(QStringLiteral("model")).toString();
}

// numberChannels of `setting`, and the `channels` element.
int ChannelsInUse(const CDataItem &root, CDataItem &channels)
{
    CDataItem setting;
    root.GetChildByName(QStringLiteral("setting"), setting);
    const int count = static_cast<int>(setting.GetAttributeValue(QStringLiteral("numberChannels")).toUInt());
    root.GetChildByName(QStringLiteral("channels"), channels);
    return count;
}

} // namespace

bool IsDisplayModel(const CDataItem &root)
{
    try {
        const QString model = Model(root);
        return model.size() >= 3 && model.at(2).toUpper() == QLatin1Char('D');
    } catch (CTarnCPSException &e) {
        e.AddTrace("IsDisplayModel", __LINE__, QString());
        throw;
    }
}

bool IsRepeaterModel(const CDataItem &root)
{
    try {
        const QString region = Model(root).right(2);
        return region.compare(QLatin1String("70"), Qt::CaseInsensitive) == 0
            || region.compare(QLatin1String("73"), Qt::CaseInsensitive) == 0;
    } catch (CTarnCPSException &e) {
        e.AddTrace("IsRepeaterModel", __LINE__, QString());
        throw;
    }
}

int GetEnabledChannelCount(const CDataItem &root)
{
    try {
        CDataItem channels;
        const int count = ChannelsInUse(root, channels);
        int enabled = 0;
        for (int i = 0; i < count; ++i) {
            CDataItem channel;
            channels.GetChildByIndex(i, channel);
            if (!channel.GetAttributeValue(QStringLiteral("disable_channel")).toBool())
                ++enabled;
        }
        return enabled;
    } catch (CTarnCPSException &e) {
        e.AddTrace("GetEnabledChannelCount", __LINE__, QString());
        throw;
    }
}

bool AreFrequenciesWithinLimits(const CDataItem &root)
{
    CDataItem limit;
    root.GetChildByName(QStringLiteral("limit"), limit);
    const quint32 start = limit.GetAttributeValue(QStringLiteral("start_freq")).toUInt();
    const quint32 end = limit.GetAttributeValue(QStringLiteral("end_freq")).toUInt();
    CDataItem frequencies;
    root.GetChildByName(QStringLiteral("frequencies"), frequencies);

    // An index past the last frequency entry names no frequency at all, so
    // none within the limits.
    const auto within = [&](quint32 index) {
        CDataItem entry;
        frequencies.GetChildByIndex(index > static_cast<quint32>(INT_MAX) ? -1 : static_cast<int>(index), entry);
        if (entry.IsEmpty())
            return false;
        const quint32 freq = entry.GetAttributeValue(QStringLiteral("freq")).toUInt();
        return freq >= start && freq <= end;
    };

    CDataItem channels;
    const int count = ChannelsInUse(root, channels);
    for (int i = 0; i < count; ++i) {
        CDataItem channel;
        channels.GetChildByIndex(i, channel);
        const quint32 rx = channel.GetAttributeValue(QStringLiteral("rx_freq_ndx")).toUInt();
        const quint32 tx = channel.GetAttributeValue(QStringLiteral("tx_freq_ndx")).toUInt();
        if (!within(tx) || !within(rx))
            return false;
    }
    return true;
}

bool AreCodesWithin(const CDataItem &root, quint32 highestCode)
{
    CDataItem channels;
    const int count = ChannelsInUse(root, channels);
    for (int i = 0; i < count; ++i) {
        CDataItem channel;
        channels.GetChildByIndex(i, channel);
        if (channel.GetAttributeValue(QStringLiteral("rx_code")).toUInt() > highestCode
            || channel.GetAttributeValue(QStringLiteral("tx_code")).toUInt() > highestCode)
            return false;
    }
    return true;
}

void SetWideBandCompanderMode(CDataItem &root)
{
    CDataItem frequencies;
    root.GetChildByName(QStringLiteral("frequencies"), frequencies);
    // The rule script may change the list, so its length is read anew each step.
    for (int i = 0; i < frequencies.GetChildCount(); ++i) {
        CDataItem entry;
        frequencies.GetChildByIndex(i, entry);
        if (entry.GetAttributeValue(QStringLiteral("bandwidth")).toUInt() == 1)
            entry.SetAttributeValue(QStringLiteral("compander_lle_mode"), QVariant(3));
    }
}

bool IsCodeplugVersionSupported(QChar codeplugPhase, int version)
{
    return codeplugPhase == QLatin1Char('D') || CAppContext::Instance().Settings().GetCPVersion() >= version;
}
