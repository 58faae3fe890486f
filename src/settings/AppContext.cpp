#include "settings/AppContext.h"

#include <QLocale>

CAppContext &CAppContext::Instance()
{
    static CAppContext context;
    return context;
}

QString DecimalSeparatorForLanguage(const QString &language)
{
    struct Entry
    {
        const char *name;
        QLocale::Language language;
        QLocale::Territory territory;
    };
    static const Entry kLocales[] = {
        {"CaFrench", QLocale::French, QLocale::Canada},
        {"Dutch", QLocale::Dutch, QLocale::Netherlands},
        {"English", QLocale::English, QLocale::UnitedStates},
        {"French", QLocale::French, QLocale::France},
        {"German", QLocale::German, QLocale::Germany},
        {"Italian", QLocale::Italian, QLocale::Italy},
        {"LaPortuguese", QLocale::Portuguese, QLocale::Brazil},
        {"LaSpanish", QLocale::Spanish, QLocale::Spain},
        {"Polish", QLocale::Polish, QLocale::Poland},
        {"Portuguese", QLocale::Portuguese, QLocale::Portugal},
        {"Russian", QLocale::Russian, QLocale::Russia},
        {"Spanish", QLocale::Spanish, QLocale::Spain},
        // "Chinese" has no locale of its own: the user's default applies.
    };
    QLocale locale = QLocale::system();
    for (const Entry &entry : kLocales)
        if (language == QLatin1String(entry.name))
            locale = QLocale(entry.language, entry.territory);
    const QString separator = locale.decimalPoint();
    return separator.isEmpty() ? QStringLiteral(".") : separator;
}
