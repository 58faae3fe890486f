#include "settings/DealerInfo.h"
#include "settings/AppContext.h"
#include "settings/ConfigStore.h"

#include <QStringList>

namespace {

const char *const kValueNames[] = {"DealerInfoLeft", "DealerInfoMiddle", "DealerInfoRight"};

QString Key(const QString &language, const char *valueName)
{
    return QStringLiteral("Language/%1/%2").arg(language, QLatin1String(valueName));
}

// Factory values are read into a buffer of 2048 bytes.
constexpr int kMaxValueUnits = 2048 / 2;

} // namespace

QString MultiStringToText(const QStringList &strings)
{
    // Lay the value out as the registry holds it: each string NUL-terminated,
    // then a final NUL.
    QString raw;
    for (const QString &s : strings)
        raw += s + QChar(u'\0');
    raw += QChar(u'\0');
    raw.truncate(kMaxValueUnits);

    QString text;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != QChar(u'\0'))
            text += raw[i];
        else if (i == raw.size() - 1)
            break;
        else
            text += QStringLiteral("\r\n");
    }
    return text;
}

void CopyDealerInfoDefaults()
{
    using ConfigStore::Level;
    const QString language = GetCurrentLanguage();
    if (language.isEmpty())
        return;
    if (!ConfigStore::EnsureUserStore())
        return;
    for (const char *name : kValueNames) {
        if (ConfigStore::ReadMultiString(Level::User, Key(language, name)))
            continue; // the dealer's own text stays
        // A text the machine level lacks is copied as an empty text, so that
        // all three exist at the user level after the first start.
        const QStringList factory =
            ConfigStore::ReadMultiString(Level::Machine, Key(language, name)).value_or(QStringList());
        ConfigStore::WriteMultiString(Key(language, name), QStringList{MultiStringToText(factory)});
    }
}

bool ReadDealerInfo(QString &left, QString &right, QString &middle)
{
    using ConfigStore::Level;
    const QString language = CAppContext::Instance().CurrentLanguage();
    if (language.isEmpty())
        return false;
    std::optional<QStringList> l = ConfigStore::ReadMultiString(Level::User, Key(language, "DealerInfoLeft"));
    std::optional<QStringList> r = ConfigStore::ReadMultiString(Level::User, Key(language, "DealerInfoRight"));
    std::optional<QStringList> m = ConfigStore::ReadMultiString(Level::User, Key(language, "DealerInfoMiddle"));
    if (!l || !r || !m)
        return false;
    // The program writes one string per text; a value of several strings
    // written by another tool keeps its line breaks.
    left = l->join(QStringLiteral("\r\n"));
    right = r->join(QStringLiteral("\r\n"));
    middle = m->join(QStringLiteral("\r\n"));
    return true;
}
