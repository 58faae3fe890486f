#include "support/TestEnvironment.h"
#include "settings/AppContext.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <gtest/gtest.h>

ScopedConfig::ScopedConfig()
    : m_oldDirs(qgetenv("XDG_CONFIG_DIRS"))
    , m_oldHome(qgetenv("XDG_CONFIG_HOME"))
{
    QDir(m_root.path()).mkpath(QStringLiteral("machine"));
    QDir(m_root.path()).mkpath(QStringLiteral("user"));
    qputenv("XDG_CONFIG_DIRS", (m_root.path() + QStringLiteral("/machine")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (m_root.path() + QStringLiteral("/user")).toUtf8());
}

ScopedConfig::~ScopedConfig()
{
    qputenv("XDG_CONFIG_DIRS", m_oldDirs);
    qputenv("XDG_CONFIG_HOME", m_oldHome);
}

QString ScopedConfig::MachineFile() const
{
    return m_root.path() + QStringLiteral("/machine/Velmora/Tarn QX Dealer Asia CPS.conf");
}

QString ScopedConfig::UserFile() const
{
    return m_root.path() + QStringLiteral("/user/Velmora/Tarn QX Dealer Asia CPS.conf");
}

void ScopedConfig::WriteMachine(const QString &key, const QVariant &value)
{
    QSettings settings(MachineFile(), QSettings::IniFormat);
    settings.setValue(key, value);
}

void ScopedConfig::WriteUser(const QString &key, const QVariant &value)
{
    QSettings settings(UserFile(), QSettings::IniFormat);
    settings.setValue(key, value);
}

QVariant ScopedConfig::ReadUser(const QString &key) const
{
    QSettings settings(UserFile(), QSettings::IniFormat);
    return settings.value(key);
}

void ScopedConfig::InstallMachineLevel(const QString &installPath)
{
    WriteMachine(QStringLiteral("InstallPath"), installPath);
    WriteMachine(QStringLiteral("DefaultLanguage"), QStringLiteral("English"));
    WriteMachine(QStringLiteral("ShowContextHelp"), 1);
    WriteMachine(QStringLiteral("Language/English/HelpFileName"), QStringLiteral("help/English"));
    WriteMachine(QStringLiteral("Language/German/GUIResource"), QStringLiteral("languages/tarncps_de.qm"));
    WriteMachine(QStringLiteral("Language/German/HelpFileName"), QStringLiteral("help/English"));
}

QString StagedInstallation()
{
    return QStringLiteral(TARN_STAGE_DIR);
}

QString CopyInstallation(const QString &dir)
{
    const QString source = StagedInstallation();
    const QString target = dir + QStringLiteral("/tarncps");
    QDirIterator it(source, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString copy = target + file.mid(source.size());
        QDir().mkpath(QFileInfo(copy).absolutePath());
        QFile::copy(file, copy);
    }
    return target;
}

QString WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

CapturingSink::CapturingSink()
{
    SetMessageSink(this);
}

CapturingSink::~CapturingSink()
{
    SetMessageSink(nullptr);
}

int CapturingSink::Show(const QString &text, unsigned)
{
    texts << text;
    return answer;
}

ProfileTestInstallation::ProfileTestInstallation(const QString &schemaPath)
    : m_path(CopyInstallation(m_dir.path()))
{
    const QString target = m_path + QStringLiteral("/profiletemplate/DataProfile.xsd");
    QFile::remove(target);
    QFile::copy(schemaPath, target);
    m_config.InstallMachineLevel(m_path);
    CAppContext &context = CAppContext::Instance();
    context.Reset();
    context.Settings().LoadAll();
    context.SetRegionName(context.Settings().GetRegionName());
}

ProfileTestInstallation::~ProfileTestInstallation()
{
    CAppContext::Instance().Reset();
}

QString WithAttribute(QString text, const QString &name, const QString &value, int occurrence)
{
    const QRegularExpression attribute(QStringLiteral("\\s%1=\"[^\"]*\"").arg(name));
    QRegularExpressionMatchIterator it = attribute.globalMatch(text);
    for (int i = 0; it.hasNext(); ++i) {
        const QRegularExpressionMatch match = it.next();
        if (i == occurrence)
            return text.replace(match.capturedStart(), match.capturedLength(), QStringLiteral(" %1=\"%2\"").arg(name, value));
    }
    ADD_FAILURE() << "no attribute " << name.toStdString() << " #" << occurrence;
    return text;
}
