#include "settings/StringTable.h"

#include <QTranslator>
#include <algorithm>
#include <memory>

namespace {

std::unique_ptr<QTranslator> g_translator;

const StringEntry *FindEnglish(int id)
{
    const StringEntry *end = kEnglishStrings + kEnglishStringCount;
    const StringEntry *it = std::lower_bound(kEnglishStrings, end, id,
                                             [](const StringEntry &e, int key) { return e.id < key; });
    return (it != end && it->id == id) ? it : nullptr;
}

} // namespace

QString EnglishString(int id)
{
    const StringEntry *entry = FindEnglish(id);
    return entry ? QString::fromUtf16(entry->text) : QString();
}

QString LoadString(int id)
{
    const StringEntry *entry = FindEnglish(id);
    if (!entry)
        return QString();
    QString english = QString::fromUtf16(entry->text);
    if (g_translator) {
        const QByteArray source = english.toUtf8();
        const QByteArray disambiguation = QByteArray::number(id);
        QString translated = g_translator->translate("StringTable", source.constData(), disambiguation.constData());
        if (!translated.isEmpty())
            return translated;
    }
    return english;
}

bool LoadLanguageResource(const QString &path)
{
    auto translator = std::make_unique<QTranslator>();
    if (path.isEmpty() || !translator->load(path) || translator->isEmpty())
        return false;
    g_translator = std::move(translator);
    return true;
}

void UnloadLanguageResource()
{
    g_translator.reset();
}

bool IsLanguageResourceLoaded()
{
    return g_translator != nullptr;
}

QString FormatText(const QString &format, const QStringList &values)
{
    QString result;
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar ch = format[i];
        if (ch != QLatin1Char('%') || i + 1 >= format.size()) {
            result += ch;
            continue;
        }
        const QChar kind = format[i + 1];
        if (kind == QLatin1Char('%')) {
            result += QLatin1Char('%');
            ++i;
        } else if (QStringLiteral("sdux c").contains(kind) && kind != QLatin1Char(' ')) {
            result += next < values.size() ? values[next] : QString();
            ++next;
            ++i;
        } else {
            result += ch;
        }
    }
    return result;
}
