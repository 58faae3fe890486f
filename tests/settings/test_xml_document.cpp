// Parsing decoded text into a document: parse-error details, refusal of any
// document type declaration (entities, entity blow-ups, external files), and
// XPath selection with the prefix dfns.

#include "settings/TarnCPSException.h"
#include "settings/XmlDocument.h"
#include "support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList Names(const std::vector<xmlNode *> &nodes)
{
    QStringList names;
    for (const xmlNode *node : nodes)
        names << Xml::NodeName(node);
    return names;
}

TEST(XmlParseTest, ErrorsCarryReasonLineColumnAndSourceLine)
{
    struct Case
    {
        const char *name;
        QString text;
        int line;
        QString sourceText;
    };
    const Case cases[] = {
        {"mismatched end tag", QStringLiteral("<?xml version=\"1.0\"?>\n<a>\n  <b></c>\n</a>\n"), 3,
         QStringLiteral("  <b></c>")},
        {"unquoted attribute", QStringLiteral("<?xml version=\"1.0\"?>\r\n<a>\r\n<b x=1/>\r\n</a>"), 3,
         QStringLiteral("<b x=1/>")},
        {"undefined entity", QStringLiteral("<a>\n<b>&nbsp;</b></a>"), 2, QStringLiteral("<b>&nbsp;</b></a>")},
        {"unclosed root", QStringLiteral("<a>\n<b/>\n"), 3, QString()},
        {"two roots", QStringLiteral("<a/>\n<b/>"), 2, QStringLiteral("<b/>")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        XmlParseError error;
        EXPECT_EQ(Xml::ParseText(c.text, &error), nullptr);
        EXPECT_FALSE(error.reason.isEmpty());
        EXPECT_EQ(error.line, c.line);
        // The column lies on the offending line (one past its end at most).
        EXPECT_GE(error.column, 1);
        EXPECT_LE(error.column, c.sourceText.size() + 1);
        EXPECT_EQ(error.sourceText, c.sourceText);
    }
}

TEST(XmlParseTest, EmptyTextIsNoDocument)
{
    XmlParseError error;
    EXPECT_EQ(Xml::ParseText(QString(), &error), nullptr);
    EXPECT_FALSE(error.reason.isEmpty());
    EXPECT_EQ(Xml::ParseText(QStringLiteral("   \n"), nullptr), nullptr);
}

TEST(XmlParseTest, EncodingDeclarationIsIgnored)
{
    // Profiles declare UTF-16 although the text reaches the parser decoded.
    const QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
                                        "<a n=\"\u00E4\u20AC\u009B\">&lt;&amp;&#x263A;</a>");
    XmlDocPtr doc = Xml::ParseText(text);
    ASSERT_NE(doc, nullptr);
    xmlNode *root = xmlDocGetRootElement(doc.get());
    EXPECT_EQ(Xml::Attribute(root, "n"), QStringLiteral("\u00E4\u20AC\u009B"));
    EXPECT_EQ(Xml::Content(root), QStringLiteral("<&\u263A"));
}

TEST(XmlParseTest, DocumentTypeDeclarationIsRefused)
{
    // A local file that an external entity or an external subset could pull in.
    QTemporaryDir dir;
    const QByteArray secret = "SECRET-7f3a9c";
    const QString secretPath = WriteFile(dir.filePath(QStringLiteral("secret.txt")), secret);
    const QString dtdPath = WriteFile(dir.filePath(QStringLiteral("ext.dtd")),
                                      "<!ENTITY leak SYSTEM \"" + secretPath.toUtf8() + "\">");
    const QString secretUrl = QStringLiteral("file://") + secretPath;

    QString laughs = QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n<!ENTITY lol \"lol\">\n");
    laughs += QStringLiteral("<!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n");
    for (int i = 2; i <= 9; ++i)
        laughs += QStringLiteral("<!ENTITY lol%1 \"%2\">\n")
                      .arg(QString::number(i), QStringLiteral("&lol%1;").arg(i - 1).repeated(10));
    laughs += QStringLiteral("]>\n<lolz>&lol9;</lolz>");

    struct Case
    {
        const char *name;
        QString text;
        int line;
    };
    const Case cases[] = {
        {"bare", QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE a>\n<a/>"), 2},
        {"internal entity", QStringLiteral("<!DOCTYPE a [<!ENTITY e \"expanded\">]><a>&e;</a>"), 1},
        {"entity blow-up", laughs, 2},
        {"external entity",
         QStringLiteral("<?xml version=\"1.0\"?>\n\n<!DOCTYPE a [<!ENTITY x SYSTEM \"%1\">]>\n<a>&x;</a>")
             .arg(secretUrl),
         3},
        {"external entity by plain path",
         QStringLiteral("<!DOCTYPE a [<!ENTITY x SYSTEM \"%1\">]><a>&x;</a>").arg(secretPath), 1},
        {"external subset", QStringLiteral("<!DOCTYPE a SYSTEM \"%1\">\n<a>&leak;</a>").arg(dtdPath), 1},
        {"parameter entity",
         QStringLiteral("<!DOCTYPE a [<!ENTITY % p SYSTEM \"%1\"> %p;]>\n<a>&leak;</a>").arg(dtdPath), 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        XmlParseError error;
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(Xml::ParseText(c.text, &error), nullptr);
        EXPECT_LT(timer.elapsed(), 2000) << "declarations were expanded";
        EXPECT_FALSE(error.reason.isEmpty());
        EXPECT_EQ(error.line, c.line);
        for (const QString &field : {error.reason, error.sourceText})
            EXPECT_FALSE(field.contains(QString::fromLatin1(secret))) << qPrintable(field);
    }
}

class XmlSelectTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_doc = Xml::ParseText(QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
            "<Root xmlns=\"http://www.velmora.com/TarnCPS/DataProfile\" xmlns:o=\"urn:other\">\n"
            "  <List><!-- first --><Item num=\"1\"/><o:Item num=\"x\"/><Item num=\"2\">two</Item></List>\n"
            "  <Single value=\"v\"/>\n"
            "</Root>"));
        ASSERT_NE(m_doc, nullptr);
    }
    XmlDocPtr m_doc;
};

TEST_F(XmlSelectTest, PrefixDfnsNamesTheProfileNamespace)
{
    const std::vector<xmlNode *> items = Xml::Select(m_doc.get(), QStringLiteral("//dfns:List/dfns:*"));
    ASSERT_EQ(items.size(), 2u) << "elements of another namespace or comments are not selected";
    EXPECT_EQ(Xml::Attribute(items[0], "num"), QStringLiteral("1"));
    EXPECT_EQ(Xml::Attribute(items[1], "num"), QStringLiteral("2"));
    EXPECT_EQ(Xml::Content(items[1]), QStringLiteral("two"));

    // Without the prefix a name means "no namespace": nothing matches.
    EXPECT_TRUE(Xml::Select(m_doc.get(), QStringLiteral("//Item")).empty());
    EXPECT_EQ(Names(Xml::Select(m_doc.get(), QStringLiteral("//dfns:List/node()"))),
              (QStringList{QStringLiteral("#comment"), QStringLiteral("Item"), QStringLiteral("Item"),
                           QStringLiteral("Item")}));
}

TEST_F(XmlSelectTest, SingleSelectionAndContextNode)
{
    xmlNode *single = Xml::SelectSingle(m_doc.get(), QStringLiteral("//dfns:Single"));
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(Xml::Attribute(single, "value"), QStringLiteral("v"));
    EXPECT_TRUE(Xml::HasAttribute(single, "value"));
    EXPECT_FALSE(Xml::HasAttribute(single, "other"));
    EXPECT_EQ(Xml::Attribute(single, "other"), QString());
    EXPECT_EQ(Xml::SelectSingle(m_doc.get(), QStringLiteral("//dfns:Missing")), nullptr);

    xmlNode *list = Xml::SelectSingle(m_doc.get(), QStringLiteral("//dfns:List"));
    ASSERT_NE(list, nullptr);
    xmlNode *second = Xml::SelectSingle(m_doc.get(), QStringLiteral("dfns:Item[@num='2']"), list);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Xml::Content(second), QStringLiteral("two"));
    EXPECT_EQ(Xml::SelectSingle(m_doc.get(), QStringLiteral("dfns:Single"), list), nullptr);
}

TEST(XmlLiteralTest, ValuesFromOutsideSelectOnlyThemselves)
{
    XmlDocPtr doc = Xml::ParseText(QStringLiteral(
        "<R xmlns=\"http://www.velmora.com/TarnCPS/DataProfile\">"
        "<V n=\"plain\"/><V n=\"it's\"/><V n='say \"hi\"'/><V n=\"both ' and &quot;\"/><V n=\"\"/></R>"));
    ASSERT_NE(doc, nullptr);
    for (const QString &value : {QStringLiteral("plain"), QStringLiteral("it's"), QStringLiteral("say \"hi\""),
                                 QStringLiteral("both ' and \""), QString()}) {
        const std::vector<xmlNode *> nodes =
            Xml::Select(doc.get(), QStringLiteral("//dfns:V[@n=%1]").arg(Xml::Literal(value)));
        ASSERT_EQ(nodes.size(), 1u) << qPrintable(value);
        EXPECT_EQ(Xml::Attribute(nodes[0], "n"), value);
    }
    for (const char *value : {"x' or '1'='1", "x\" or \"1\"=\"1", "' or 1=1 or '\"", "plain "}) {
        const QString expression = QStringLiteral("//dfns:V[@n=%1]").arg(Xml::Literal(QString::fromLatin1(value)));
        EXPECT_TRUE(Xml::Select(doc.get(), expression).empty()) << value;
    }

    const struct
    {
        const char *name;
        bool plain;
    } names[] = {{"Asia", true}, {"_x-1.b", true}, {"CPVer3", true}, {"", false}, {"3D", false},
                 {"a b", false}, {"a/b", false}, {"a|//*", false}, {"a[1]", false}, {"dfns:a", false}};
    for (const auto &n : names)
        EXPECT_EQ(Xml::IsPlainName(QString::fromLatin1(n.name)), n.plain) << n.name;
}

TEST_F(XmlSelectTest, RejectedExpressionRaises131)
{
    for (const char *expression : {"//dfns:List[", "//nope:List", "///"}) {
        SCOPED_TRACE(expression);
        try {
            Xml::Select(m_doc.get(), QString::fromLatin1(expression));
            ADD_FAILURE() << "no error raised";
        } catch (const CTarnCPSException &e) {
            EXPECT_EQ(e.MessageId(), 131);
            EXPECT_TRUE(e.Trace().contains(QLatin1String("ErrorMsg: "))) << qPrintable(e.Trace());
            EXPECT_TRUE(e.Trace().contains(QString::fromLatin1(expression))) << qPrintable(e.Trace());
        }
    }
}

} // namespace
