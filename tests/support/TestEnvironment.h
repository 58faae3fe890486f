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
