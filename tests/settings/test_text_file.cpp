// The text-file reader: the four file forms, the plain/scrambled decision
// taken on the first block, texts longer than one block, and the scrambled
// 16-bit form in which profiles are written.

#include "settings/TextFile.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The file forms, built here byte by byte so that the reader is checked
// against an encoder of its own.
QByteArray Utf16Le(const QString &text, bool scrambled)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (QChar ch : text) {
        char16_t unit = ch.unicode();
        if (scrambled && unit != 0x009B)
            unit ^= 0x009B;
        bytes.append(static_cast<char>(unit & 0xFF)).append(static_cast<char>(unit >> 8));
    }
    return bytes;
}

QByteArray XorBytes(QByteArray bytes)
{
    for (char &byte : bytes)
        byte = static_cast<char>(static_cast<unsigned char>(byte) ^ 0x9B);
    return bytes;
}

QByteArray Utf8(const QString &text, bool scrambled)
{
    return scrambled ? XorBytes(text.toUtf8()) : text.toUtf8();
}

// Each unit of the text XORed with 0x009B: what a scrambled file must hold at
// a place where the raw file shows `raw`.
QString ScrambledUnits(const QString &raw)
{
    QString text;
    for (QChar ch : raw)
        text += QChar(static_cast<char16_t>(ch.unicode() ^ 0x009B));
    return text;
}

class TextFileTest : public ::testing::Test
{
protected:
    QString Write(const QString &name, const QByteArray &bytes) { return WriteFile(m_dir.filePath(name), bytes); }

    // Reads a file and fails the test when the reader reports failure.
    QString Read(const QString &path)
    {
        QString text;
        EXPECT_TRUE(LoadTextFile(path, text)) << qPrintable(path);
        return text;
    }

    QTemporaryDir m_dir;
};

// A profile-like text with characters from several ranges: Latin-1, the euro
// sign, the unit 0x009B itself and a character outside the basic plane.
const QString kXmlText = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
                                        "<a b=\"\u00FC\u20AC\">\u009B x \U0001D11E \u00DB</a>\r\n");
const QString kScriptText = QStringLiteral("Option Explicit\r\nDim x ' \u00E4\u00F6\u00FC\r\n");

TEST_F(TextFileTest, ReadsTheFourFormsPlainOrScrambled)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        QString expected;
    };
    const Case cases[] = {
        {"16-bit plain xml", Utf16Le(kXmlText, false), kXmlText},
        {"16-bit scrambled xml", Utf16Le(kXmlText, true), kXmlText},
        {"16-bit plain script", Utf16Le(kScriptText, false), kScriptText},
        {"16-bit scrambled script", Utf16Le(kScriptText, true), kScriptText},
        {"8-bit plain xml", Utf8(kXmlText, false), kXmlText},
        {"8-bit scrambled xml", Utf8(kXmlText, true), kXmlText},
        {"8-bit plain script", Utf8(kScriptText, false), kScriptText},
        {"8-bit scrambled script", Utf8(kScriptText, true), kScriptText},
        // The plain test ignores letter case.
        {"16-bit <?XML in capitals", Utf16Le(QStringLiteral("<?XML version=\"1.0\"?><r/>"), false),
         QStringLiteral("<?XML version=\"1.0\"?><r/>")},
        {"8-bit OPTION EXPLICIT", Utf8(QStringLiteral("OPTION EXPLICIT\n"), false),
         QStringLiteral("OPTION EXPLICIT\n")},
        // A text that begins otherwise is scrambled even when it was meant plainly.
        {"8-bit scrambled without declaration", Utf8(QStringLiteral("<r>\u00E9</r>"), true),
         QStringLiteral("<r>\u00E9</r>")},
        {"16-bit scrambled without declaration", Utf16Le(QStringLiteral("<r/>"), true), QStringLiteral("<r/>")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = Write(QStringLiteral("form.txt"), c.bytes);
        EXPECT_EQ(Read(path), c.expected);
        // The reader keeps no state between files: a second read is the same.
        EXPECT_EQ(Read(path), c.expected);
    }
}

TEST_F(TextFileTest, ScrambledUnit009BIsStoredAsItself)
{
    // In the scrambled 16-bit form 0x009B stays 0x009B; every other unit is
    // XORed, so 'A' (0x0041) is stored as 0x00DA and 0x0100 as 0x019B.
    const QByteArray bytes = QByteArray("\xFF\xFE", 2) + QByteArray("\xDA\x00\x9B\x00\x9B\x01", 6);
    const QString text = Read(Write(QStringLiteral("unit.txt"), bytes));
    EXPECT_EQ(text, QStringLiteral("A\u009B\u0100"));
}

TEST_F(TextFileTest, Utf8ByteOrderMarkIsNotPlain)
{
    // Three bytes EF BB BF before "<?xml": the text does not begin with the
    // declaration, so every byte is unscrambled.
    const QByteArray bytes = QByteArray("\xEF\xBB\xBF", 3) + QByteArray("<?xml version=\"1.0\"?><r/>");
    const QString text = Read(Write(QStringLiteral("bom8.stv"), bytes));
    EXPECT_FALSE(text.contains(QLatin1String("<?xml"), Qt::CaseInsensitive));
    EXPECT_EQ(text, QString::fromUtf8(XorBytes(bytes)));
}

TEST_F(TextFileTest, EmptyFilesReadAsEmptyText)
{
    for (const QByteArray &bytes : {QByteArray("\xFF\xFE", 2), QByteArray()}) {
        SCOPED_TRACE(bytes.toHex().constData());
        QString text = QStringLiteral("left over");
        EXPECT_TRUE(LoadTextFile(Write(QStringLiteral("empty.txt"), bytes), text));
        EXPECT_TRUE(text.isEmpty());
    }
}

TEST_F(TextFileTest, MissingFileIsFailure)
{
    QString text;
    EXPECT_FALSE(LoadTextFile(m_dir.filePath(QStringLiteral("no such file.stv")), text));
    EXPECT_FALSE(LoadTextFile(m_dir.path(), text)) << "a folder is not a text file";
}

TEST_F(TextFileTest, TextLongerThanOneBlock)
{
    // The 16-bit form is read 1023 units at a time, the 8-bit form 1023 bytes
    // at a time; a character split by a block boundary must come out whole.
    const QString head = QStringLiteral("<?xml version=\"1.0\"?>\n<r>");

    // 16-bit: a surrogate pair at units 1022/1023. The third block begins with
    // units that are stored as "<?xml" in the scrambled file (and that are not
    // plain in the plain one): the decision of the first block must hold.
    QString wide = head;
    wide += QString(1022 - wide.size(), QLatin1Char('w'));
    wide += QStringLiteral("\U0001F4FB");
    wide += QString(2046 - wide.size(), QLatin1Char('v'));
    wide += ScrambledUnits(QStringLiteral("<?xml"));
    while (wide.size() < 5000)
        wide += QStringLiteral("line \u00E4\u20AC\u009B\n");
    wide += QStringLiteral("</r>");
    ASSERT_EQ(Utf16Le(wide, true).mid(2 + 2 * 2046, 10), Utf16Le(QStringLiteral("<?xml"), false).mid(2));

    // 8-bit: the euro sign (three bytes) at bytes 1022..1024.
    QString narrow = head;
    narrow += QString(1022 - narrow.size(), QLatin1Char('n'));
    narrow += QStringLiteral("\u20AC");
    ASSERT_EQ(narrow.toUtf8().size(), 1025);
    while (narrow.size() < 5000)
        narrow += QStringLiteral("line \u00E4\u00DB\n");

    struct Case
    {
        const char *name;
        QByteArray bytes;
        QString expected;
    };
    const Case cases[] = {
        {"16-bit plain", Utf16Le(wide, false), wide},
        {"16-bit scrambled", Utf16Le(wide, true), wide},
        {"8-bit plain", Utf8(narrow, false), narrow},
        {"8-bit scrambled", Utf8(narrow, true), narrow},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Read(Write(QStringLiteral("long.txt"), c.bytes)), c.expected);
    }
}

TEST_F(TextFileTest, ScrambleTextRoundTrip)
{
    QString text = kXmlText;
    while (text.size() < 3000)
        text += QStringLiteral("<c n=\"\u00DF\u009B\"/>\n");
    const QByteArray bytes = ScrambleText(text);
    EXPECT_EQ(bytes, Utf16Le(text, true));
    EXPECT_EQ(Read(Write(QStringLiteral("profile.ra9"), bytes)), text);
}

} // namespace
