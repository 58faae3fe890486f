// The texts of the signalling code numbers: the standard tones and DPL codes,
// the inverted DPL codes, the customised codes valued by the profile, with
// the decimal separator and the string-table texts of the current language.

#include "model/RadioDataModel.h"
#include "model/SignallingCodes.h"
#include "settings/AppContext.h"
#include "settings/StringTable.h"
#include "support/TestEnvironment.h"

#include <QRegularExpression>
#include <functional>
#include <gtest/gtest.h>

namespace {

// PLcode126 and PLcode215 are left out on purpose.
const QString kProfile = QStringLiteral(
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<TarnProfile xmlns=\"http://www.velmora.com/TarnCPS/DataProfile\">\n"
    "  <factory_setting codeplug_version=\"3\" model=\"ZRD41610\"/>\n"
    "  <limit start_freq=\"400000000\" end_freq=\"470000000\" maxCodes=\"219\"/>\n"
    "  <setting numberChannels=\"0\" PLcode124=\"1318\" PLcode125=\"5\" PLcode127=\"0\" PLcode129=\"2541\""
    " PLcode214=\"83\" PLcode216=\"0\" PLcode219=\"511\"/>\n"
    "  <channels/>\n"
    "  <frequencies/>\n"
    "</TarnProfile>\n");

class SignallingCodesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_model.LoadProfile(kProfile, false));
        ASSERT_TRUE(m_sink.texts.isEmpty()) << qPrintable(m_sink.texts.join(QLatin1Char('\n')));
    }
    void TearDown() override { UnloadLanguageResource(); }

    QString Text(int code, const QString &separator)
    {
        CAppContext::Instance().SetDecimalSeparator(separator);
        return GetCodeText(code, m_model.RootItem());
    }

    CapturingSink m_sink;
    ProfileTestInstallation m_installation{QStringLiteral(TARN_TESTDATA_DIR "/queries/DataProfile.xsd")};
    CRadioDataModel m_model;
};

struct Case
{
    int code;
    const char *separator;
    const char *text;
};

void ExpectTexts(const std::function<QString(int, const QString &)> &text, std::initializer_list<Case> cases)
{
    for (const Case &c : cases) {
        const QString separator = QString::fromLatin1(c.separator);
        EXPECT_EQ(text(c.code, separator), QString::fromUtf8(c.text)) << c.code << " with " << c.separator;
    }
}

} // namespace

TEST_F(SignallingCodesTest, TextOfEveryKindOfCode)
{
    ExpectTexts([this](int code, const QString &separator) { return Text(code, separator); },
                {
                    {0, ".", "No PL/DPL code"},
                    {0, ",", "No PL/DPL code"},
                    {1, ".", "1 - 67.0 Hz"},
                    {1, ",", "1 - 67,0 Hz"},
                    {12, ",", "12 - 100,0 Hz"},
                    {38, ".", "38 - 250.3 Hz"},
                    {38, ",", "38 - 250,3 Hz"},
                    {39, ".", "39 - DPL 023"},
                    {39, ",", "39 - DPL 023"},
                    {83, ".", "83 - DPL 343"},
                    {121, ".", "121 - DPL 754"},
                    {121, ",", "121 - DPL 754"},
                    {122, ".", "122 - 69.30 Hz"},
                    {122, ",", "122 - 69,30 Hz"},
                    {123, ".", "123 - DPL 645"},
                    {124, ".", "124 - Customized PL (131.8 Hz)"},
                    {124, ",", "124 - Customized PL (131,8 Hz)"},
                    {125, ".", "125 - Customized PL (0.5 Hz)"},
                    {127, ".", "127 - Customized PL (0.0 Hz)"},
                    {129, ".", "129 - Customized PL (254.1 Hz)"},
                    {130, ".", "130 - Inverted DPL 39"},
                    {131, ".", "131 - Inverted DPL 40"},
                    {212, ".", "212 - Inverted DPL 121"},
                    {213, ".", "213 - Inverted DPL 123"},
                    {214, ".", "214 - Customized DPL (123)"},
                    {216, ".", "216 - Customized DPL (000)"},
                    {219, ".", "219 - Customized DPL (777)"},
                    {220, ".", "220"},
                    {255, ".", "255"},
                    {-1, ".", "-1"},
                });
}

// A customised code without its value in the profile (or without a profile
// element to hold it) is shown with its caption alone.
TEST_F(SignallingCodesTest, CustomisedCodeWithoutValueShowsTheCaptionOnly)
{
    ExpectTexts([this](int code, const QString &separator) { return Text(code, separator); },
                {{126, ".", "126 - Customized PL"}, {215, ".", "215 - Customized DPL"}});
    ExpectTexts([](int code, const QString &) { return GetCodeText(code, CDataItem()); },
                {{124, ".", "124 - Customized PL"}, {214, ".", "214 - Customized DPL"}, {130, ".", "130 - Inverted DPL 39"}});
}

// The standard table in order: 38 tones rising, then 83 DPL codes of three
// octal digits rising, each number used once.
TEST_F(SignallingCodesTest, StandardTableRisesWithinEachKind)
{
    const QRegularExpression tone(QStringLiteral("^(\\d+) - (\\d+)\\.(\\d) Hz$"));
    const QRegularExpression dpl(QStringLiteral("^(\\d+) - DPL ([0-7]{3})$"));
    double lastTone = 0;
    int lastDpl = -1;
    for (int code = 1; code <= 121; ++code) {
        const QString text = Text(code, QStringLiteral("."));
        const QRegularExpressionMatch match = (code <= 38 ? tone : dpl).match(text);
        ASSERT_TRUE(match.hasMatch()) << code << ": " << qPrintable(text);
        EXPECT_EQ(match.captured(1).toInt(), code);
        if (code <= 38) {
            const double hertz = (match.captured(2) + QLatin1Char('.') + match.captured(3)).toDouble();
            EXPECT_GT(hertz, lastTone) << code;
            lastTone = hertz;
        } else {
            const int octal = match.captured(2).toInt(nullptr, 8);
            EXPECT_GT(octal, lastDpl) << code;
            lastDpl = octal;
        }
    }
}

TEST_F(SignallingCodesTest, GermanTextsWhenTheGermanTranslationIsLoaded)
{
    ASSERT_TRUE(LoadLanguageResource(StagedInstallation() + QStringLiteral("/languages/tarncps_de.qm")));
    const QString comma = DecimalSeparatorForLanguage(QStringLiteral("German"));
    ASSERT_EQ(comma, QStringLiteral(","));
    ExpectTexts([this](int code, const QString &separator) { return Text(code, separator); },
                {
                    {0, ",", "Kein PL/DPL-Code"},
                    {1, ",", "1 - 67,0 Hz"},
                    {39, ",", "39 - DPL 023"},
                    {122, ",", "122 - 69,30 Hz"},
                    {124, ",", "124 - Benutzerdefinierter PL (131,8 Hz)"},
                    {126, ",", "126 - Benutzerdefinierter PL"},
                    {130, ",", "130 - Invertierter DPL 39"},
                    {213, ",", "213 - Invertierter DPL 123"},
                    {214, ",", "214 - Benutzerdefinierter DPL (123)"},
                });
    UnloadLanguageResource();
    EXPECT_EQ(Text(130, QStringLiteral(",")), QStringLiteral("130 - Inverted DPL 39"));
}
