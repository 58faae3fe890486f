// to-image, from-image: profiles and codeplug image files without windows or
// a radio. An image file holds the 2148 bytes of the codeplug image exactly.

#include "cli/Commands.h"
#include "codeplug/RadioIdentity.h"
#include "codeplug/VirtualCP.h"
#include "model/ProfileFile.h"
#include "model/ProfileImage.h"
#include "model/RadioDataModel.h"
#include "settings/Installation.h"
#include "settings/MessageSink.h"
#include "settings/TarnCPSException.h"
#include "settings/TextFile.h"

#include <QCommandLineParser>
#include <QFile>
#include <QSaveFile>
#include <cstdio>
#include <optional>

namespace Cli {

namespace {

// The image in a file of exactly VirtualCP::kSize bytes; nothing (with the
// reason printed) for any other file.
std::optional<VirtualCP> ReadImage(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        PrintError(QStringLiteral("%1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    // One byte more than an image is enough to tell that it is too long.
    const QByteArray bytes = file.read(VirtualCP::kSize + 1);
    VirtualCP image;
    if (!image.Load(bytes)) {
        const QString size = bytes.size() > VirtualCP::kSize ? QStringLiteral("more than %1").arg(VirtualCP::kSize)
                                                             : QString::number(bytes.size());
        PrintError(QStringLiteral("%1: not a codeplug image: it has %2 bytes, an image has exactly %3")
                       .arg(path, size)
                       .arg(VirtualCP::kSize));
        return std::nullopt;
    }
    return image;
}

bool WriteImage(const QString &path, const VirtualCP &image)
{
    QSaveFile file(path);
    const QByteArray bytes = image.Save();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        PrintError(QStringLiteral("%1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

// An error of the data model, reported as the program would (its message)
// followed by the trace.
int Report(const CTarnCPSException &e)
{
    ShowMessage(e.MessageId());
    PrintError(e.Trace().trimmed());
    return Failed;
}

} // namespace

int ToImage(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The image file to write."), QStringLiteral("IMAGE"));
    const QCommandLineOption base(QStringLiteral("base"),
                                  QStringLiteral("Convert over this image instead of a cleared one."), QStringLiteral("IMAGE"));
    const QCommandLineOption radioVersion(QStringLiteral("radio-codeplug-version"),
                                          QStringLiteral("Codeplug version of the radio (default: the profile's)."),
                                          QStringLiteral("N"));
    parser.addOptions({output, base, radioVersion});
    if (!ParseArguments(parser, QStringLiteral("to-image"), arguments, 1))
        return Usage;
    if (!parser.isSet(output))
        return UsageError(QStringLiteral("to-image: -o IMAGE is required"));
    std::optional<quint8> version;
    if (parser.isSet(radioVersion)) {
        bool ok = false;
        const uint n = parser.value(radioVersion).toUInt(&ok);
        if (!ok || n > 255)
            return UsageError(QStringLiteral("to-image: --radio-codeplug-version takes a number from 0 to 255"));
        version = quint8(n);
    }

    VirtualCP image;
    if (parser.isSet(base)) {
        const std::optional<VirtualCP> read = ReadImage(parser.value(base));
        if (!read)
            return Failed;
        image = *read;
    }

    // Opened as the program opens a file: the compatibility check first, then
    // the profile loaded from the file's text.
    const QString path = parser.positionalArguments().front();
    if (!LoadLanguageAndInstallation() || !CheckBeforeOpening(path))
        return Failed;
    QString text;
    if (!LoadTextFile(path, text)) {
        PrintError(QStringLiteral("%1: cannot be opened").arg(path));
        return Failed;
    }
    try {
        CRadioDataModel model;
        if (!model.LoadProfile(text, false))
            return Failed;
        CRadioIdentity radio;
        if (version) {
            radio.codeplugVersion = *version;
        } else {
            CDataItem factory;
            model.RootItem().GetChildByName(QStringLiteral("factory_setting"), factory);
            radio.codeplugVersion = quint8(factory.GetAttributeValue(QStringLiteral("codeplug_version")).toUInt());
        }
        GetVirtualCPData(model, image, radio);
    } catch (const CTarnCPSException &e) {
        return Report(e);
    }
    return WriteImage(parser.value(output), image) ? Success : Failed;
}

int FromImage(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The profile file to write."), QStringLiteral("FILE"));
    parser.addOption(output);
    if (!ParseArguments(parser, QStringLiteral("from-image"), arguments, 1))
        return Usage;
    if (!parser.isSet(output))
        return UsageError(QStringLiteral("from-image: -o FILE is required"));
    const std::optional<VirtualCP> image = ReadImage(parser.positionalArguments().front());
    if (!image)
        return Failed;

    if (!LoadLanguageAndInstallation())
        return Failed;
    QString text;
    try {
        // Made as a new document is made from a radio just read, and saved
        // as the document would save it.
        CRadioDataModel model;
        if (!SetVirtualCPData(model, *image))
            return Failed;
        text = ProfileTextForSaving(model);
    } catch (const CTarnCPSException &e) {
        return Report(e);
    }
    QString error;
    if (!WriteProfileFile(parser.value(output), text, &error)) {
        PrintError(QStringLiteral("%1: %2").arg(parser.value(output), error));
        return Failed;
    }
    return Success;
}

} // namespace Cli
