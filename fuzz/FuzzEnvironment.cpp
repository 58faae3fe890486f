#include "FuzzEnvironment.h"
#include "settings/AppContext.h"
#include "settings/MessageSink.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

namespace {

class SilentSink : public MessageSink
{
public:
    int Show(const QString &, unsigned style) override { return (style & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK; }
};

} // namespace

void SetUpFuzzEnvironment(int *argc, char ***argv)
{
    static QCoreApplication application(*argc, *argv);
    static QTemporaryDir root;
    qputenv("XDG_CONFIG_DIRS", (root.path() + QStringLiteral("/machine")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (root.path() + QStringLiteral("/user")).toUtf8());
    {
        QSettings machine(root.path() + QStringLiteral("/machine/Velmora/Tarn QX Dealer Asia CPS.conf"), QSettings::IniFormat);
        machine.setValue(QStringLiteral("InstallPath"), QStringLiteral(TARN_STAGE_DIR));
        machine.setValue(QStringLiteral("DefaultLanguage"), QStringLiteral("English"));
    }
    static SilentSink sink;
    SetMessageSink(&sink);
    CAppContext &app = CAppContext::Instance();
    app.Settings().LoadAll();
    app.SetRegionName(app.Settings().GetRegionName());
}
