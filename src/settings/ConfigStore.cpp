#include "settings/ConfigStore.h"
#include "settings/AppContext.h"
#include "settings/DealerInfo.h"
#include "settings/MessageSink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace ConfigStore {

namespace {

QString RelativeFile()
{
    return QStringLiteral("%1/%2.conf").arg(QLatin1String(kOrganisation), QLatin1String(kApplication));
}

QStringList MachineFolders()
{
    QStringList folders = qEnvironmentVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (folders.isEmpty())
        folders << QStringLiteral("/etc/xdg");
    return folders;
}

QString UserFolder()
{
    QString folder = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (folder.isEmpty())
        folder = QDir::homePath() + QStringLiteral("/.config");
    return folder;
}

std::optional<QVariant> Read(Level level, const QString &key)
{
    const QString file = level == Level::Machine ? MachineFile() : UserFile();
    if (file.isEmpty() || !QFileInfo::exists(file))
        return std::nullopt;
    QSettings settings(file, QSettings::IniFormat);
    if (!settings.contains(key))
        return std::nullopt;
    return settings.value(key);
}

bool Write(const QString &key, const QVariant &value)
{
    if (!EnsureUserStore())
        return false;
    QSettings settings(UserFile(), QSettings::IniFormat);
    settings.setValue(key, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace

QString MachineFile()
{
    for (const QString &folder : MachineFolders()) {
        const QString path = folder + QLatin1Char('/') + RelativeFile();
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

QString UserFile()
{
    return UserFolder() + QLatin1Char('/') + RelativeFile();
}

QString ReadString(Level level, const QString &key)
{
    std::optional<QVariant> value = Read(level, key);
    if (!value)
        return QString();
    // An INI value holding a comma reads back as a list; it is still one string.
    QString text = value->typeId() == QMetaType::QStringList ? value->toStringList().join(QStringLiteral(", "))
                                                              : value->toString();
    return text.left(kMaxStringLength);
}

std::optional<int> ReadInt(Level level, const QString &key)
{
    std::optional<QVariant> value = Read(level, key);
    if (!value)
        return std::nullopt;
    bool ok = false;
    int number = value->toString().trimmed().toInt(&ok, 0);
    if (!ok)
        return std::nullopt;
    return number;
}

std::optional<QStringList> ReadMultiString(Level level, const QString &key)
{
    std::optional<QVariant> value = Read(level, key);
    if (!value)
        return std::nullopt;
    return value->toStringList();
}

bool Contains(Level level, const QString &key)
{
    return Read(level, key).has_value();
}

bool WriteString(const QString &key, const QString &value)
{
    return Write(key, value);
}

bool WriteInt(const QString &key, int value)
{
    return Write(key, value);
}

bool WriteMultiString(const QString &key, const QStringList &value)
{
    // A one-element list would be stored as a plain string and an empty list
    // not at all; both read back the same through ReadMultiString.
    return Write(key, value.isEmpty() ? QVariant(QString()) : QVariant(value));
}

bool EnsureUserStore()
{
    const QString file = UserFile();
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    QFile probe(file);
    return probe.open(QIODevice::ReadWrite);
}

} // namespace ConfigStore

using ConfigStore::Level;

QString GetInstallPath()
{
    return ConfigStore::ReadString(Level::Machine, QStringLiteral("InstallPath"));
}

QString GetCurrentLanguage()
{
    return ConfigStore::ReadString(Level::User, QStringLiteral("CurrentLanguage"));
}

bool SetCurrentLanguage(const QString &name)
{
    return ConfigStore::WriteString(QStringLiteral("CurrentLanguage"), name);
}

QString GetDefaultLanguage()
{
    return ConfigStore::ReadString(Level::Machine, QStringLiteral("DefaultLanguage"));
}

int GetShowContextHelp()
{
    return ConfigStore::ReadInt(Level::User, QStringLiteral("ShowContextHelp")).value_or(-1);
}

bool SetShowContextHelp(int flag)
{
    return ConfigStore::WriteInt(QStringLiteral("ShowContextHelp"), flag != 0 ? 1 : 0);
}

int GetMachineShowContextHelp()
{
    return ConfigStore::ReadInt(Level::Machine, QStringLiteral("ShowContextHelp")).value_or(-1);
}

namespace {

// InstallPath + "/" + the machine value of a language's sub-key.
QString LanguageFilePath(const QString &language, const QString &valueName)
{
    if (language.isEmpty())
        return QString();
    const QString file =
        ConfigStore::ReadString(Level::Machine, QStringLiteral("Language/%1/%2").arg(language, valueName));
    if (file.isEmpty())
        return QString();
    return GetInstallPath() + QLatin1Char('/') + file;
}

} // namespace

QString GetHelpFilePath()
{
    return LanguageFilePath(CAppContext::Instance().CurrentLanguage(), QStringLiteral("HelpFileName"));
}

QString GetGUIResourcePath()
{
    return LanguageFilePath(GetCurrentLanguage(), QStringLiteral("GUIResource"));
}

bool CheckConfiguration()
{
    // The user keys: the store's folder and file stand for Software\Velmora,
    // the product key and its Language sub-key.
    if (!ConfigStore::EnsureUserStore()) {
        ShowMessage(130); // "Fatal registry Error, the application will be closed!"
        return false;
    }

    if (GetCurrentLanguage().isEmpty()) {
        const QString language = GetDefaultLanguage();
        if (language.isEmpty()) {
            ShowMessage(130);
            return false;
        }
        if (!SetCurrentLanguage(language))
            return false;
    }

    if (GetShowContextHelp() == -1) {
        const int machine = GetMachineShowContextHelp();
        if (machine == -1) {
            ShowMessage(130);
            return false;
        }
        if (!SetShowContextHelp(machine == 1 ? 1 : 0))
            return false;
    }

    CopyDealerInfoDefaults();
    return true;
}
