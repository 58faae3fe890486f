#pragma once
// Test fixtures shared by the core and desktop tests: a configuration store
// in temporary folders, a private copy of the installation folder, and a
// message sink that records instead of showing.

#include "settings/MessageSink.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

// Points XDG_CONFIG_DIRS and XDG_CONFIG_HOME at fresh temporary folders for
// the life of the object; both levels start empty.
class ScopedConfig
{
public:
    ScopedConfig();
    ~ScopedConfig();

    QString MachineFile() const;
    QString UserFile() const;
    QString Root() const { return m_root.path(); }

    void WriteMachine(const QString &key, const QVariant &value);
    void WriteUser(const QString &key, const QVariant &value);
    QVariant ReadUser(const QString &key) const;
    // The machine configuration the installer writes for an installation folder.
    void InstallMachineLevel(const QString &installPath);

private:
    QTemporaryDir m_root;
    QByteArray m_oldDirs;
    QByteArray m_oldHome;
};

// The staged installation folder of this build (read-only use).
QString StagedInstallation();
// A private copy of the staged installation below dir, for tests that break it.
QString CopyInstallation(const QString &dir);
// Writes bytes to a file, creating folders; returns the path.
QString WriteFile(const QString &path, const QByteArray &bytes);

// A profile text with the value of the n-th attribute `name` replaced (the
// value is put in as given, so it may carry entities); a test failure when
// there is no such attribute.
QString WithAttribute(QString text, const QString &name, const QString &value, int occurrence = 0);

// Records every message instead of showing it; answers with `answer`.
class CapturingSink : public MessageSink
{
public:
    CapturingSink();
    ~CapturingSink() override;
    int Show(const QString &text, unsigned style) override;

    QStringList texts;
    int answer = IDOK;
};

// A private installation copy made the configured installation, whose
// profile schema is replaced by a test schema, with the setting documents
// loaded and the region name set in CAppContext as at start-up, so that
// CRadioDataModel::LoadProfile can load small test profiles. CAppContext is
// reset when it is made and when it goes. Files of the copy (the rule script,
// Region.stv) may be replaced afterwards; the schema and the rule script are
// read when a profile is loaded.
class ProfileTestInstallation
{
public:
    explicit ProfileTestInstallation(const QString &schemaPath);
    ~ProfileTestInstallation();
    const QString &Path() const { return m_path; }

private:
    ScopedConfig m_config;
    QTemporaryDir m_dir;
    QString m_path;
};
