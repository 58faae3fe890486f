#include "model/ProfileFile.h"
#include "model/RadioDataModel.h"
#include "settings/AppContext.h"
#include "settings/MessageSink.h"
#include "settings/StringTable.h"
#include "settings/TarnCPSException.h"
#include "settings/TextFile.h"

#include <QSaveFile>

bool WriteProfileFile(const QString &path, const QString &text, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = ScrambleText(text);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

QString ProfileTextForSaving(CRadioDataModel &model)
{
    CDataItem &root = model.RootItem();
    CDataItem limit;
    root.GetChildByName(QStringLiteral("limit"), limit);
    if (limit.GetAttributeValue(QStringLiteral("disable_repeater_feature")).toBool())
        root.CopyReceiveToTransmit();
    root.ResetSubRegion();
    model.TakeOffDoc();
    return model.OperationText();
}

namespace {

// The leading decimal digits as a number, 0 when there are none.
int LeadingInteger(const QString &text)
{
    qsizetype end = 0;
    while (end < text.size() && text[end].isDigit())
        ++end;
    return text.left(end).toInt();
}

} // namespace

bool CheckProfileCompatibility(const QString &path, QString *trace)
{
    QString text;
    try {
        if (!LoadTextFile(path, text))
            return false;
        CRadioDataModel model;
        if (!model.LoadProfile(text, false))
            return false;

        CDataItem factory;
        model.RootItem().GetChildByName(QStringLiteral("factory_setting"), factory);
        const QString modelCode = factory.GetAttributeValue(QStringLiteral("model")).toString();
        const QString phase = factory.GetAttributeValue(QStringLiteral("codeplug_phase")).toString();
        const int version = factory.GetAttributeValue(QStringLiteral("codeplug_version")).toInt();

        CAppContext &app = CAppContext::Instance();
        const QString regionCode = modelCode.right(2);
        if (!app.Settings().IsSupportedRegionCode(regionCode)) {
            // "The CPS does not support this profile's region." [+ " " + "Please use the "%s"."]
            const auto product = app.RegionCodes().constFind(LeadingInteger(regionCode));
            if (product == app.RegionCodes().constEnd())
                ShowMessage(310);
            else
                ShowMessageText(LoadString(310) + QLatin1Char(' ') + FormatText(LoadString(503), {*product}));
            return false;
        }
        if (phase.startsWith(QLatin1Char('D')) || app.Settings().GetCPVersion() >= version)
            return true;
        ShowMessage(342); // "Codeplug version of CPS and profile are incompatible! Please update your CPS."
        return false;
    } catch (const CTarnCPSException &e) {
        if (trace)
            *trace = e.Trace();
        ShowMessage(e.MessageId());
        return false;
    }
}
