#include "settings/Installation.h"
#include "settings/AppContext.h"
#include "settings/ConfigStore.h"
#include "settings/MessageSink.h"
#include "settings/StringTable.h"
#include "settings/TarnCPSException.h"

#include <QFile>

bool LoadInstallation()
{
    CAppContext &app = CAppContext::Instance();
    try {
        if (!app.Settings().LoadAll())
            return false;

        // The rule script and the schema must be there before anything uses them.
        const QString templates = GetInstallPath() + QStringLiteral("/profiletemplate/");
        for (const char *file : {"DataProfile.js", "DataProfile.xsd"}) {
            QFile probe(templates + QLatin1String(file));
            if (!probe.open(QIODevice::ReadOnly)) {
                ShowMessage(315); // "Some files needed by CPS are not available.\nPlease reinstall CPS."
                return false;
            }
        }
        app.SetRegionName(app.Settings().GetRegionName());
    } catch (const CTarnCPSException &e) {
        // A setting document that reads but lacks what the lookups need is as
        // broken as one that does not parse.
        qWarning("%s", e.what());
        ShowMessage(315);
        return false;
    }
    return app.Settings().LoadModelRegions(app.RegionCodes());
}

void UseConfiguredLanguage()
{
    CAppContext &app = CAppContext::Instance();
    QString language = GetCurrentLanguage();
    if (language.isEmpty())
        language = GetDefaultLanguage();
    if (language.isEmpty())
        language = QStringLiteral("English");
    if (language != QLatin1String("English")) {
        const QString resource = ConfigStore::ReadString(ConfigStore::Level::Machine,
                                                         QStringLiteral("Language/%1/GUIResource").arg(language));
        if (resource.isEmpty() || !LoadLanguageResource(GetInstallPath() + QLatin1Char('/') + resource))
            language = QStringLiteral("English");
    }
    app.SetCurrentLanguage(language);
    app.SetDecimalSeparator(DecimalSeparatorForLanguage(language));
}
