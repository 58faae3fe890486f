#pragma once
// What the program asks of the profile schema besides validation: the hooks
// attached to an element or attribute declaration (the attributes of
// ccps:SchemaExtension in its annotation) and the built-in type an attribute
// is declared with, reached by following named simple types to their base.
// libxml2 has no public way to ask a validated node for its declaration, so
// the declarations are looked up in the schema document itself: an element
// declaration by name, an attribute declaration within it.

#include "settings/XmlDocument.h"

#include <QHash>
#include <QString>

// The namespace of the schema extension that names rule-script functions.
inline constexpr char kSchemaExtensionNamespace[] = "http://www.velmora.com/TarnCPS/SchemaExtension";

class CSchemaInfo
{
public:
    void SetSchemaDocument(XmlDocPtr schema);
    xmlDoc *SchemaDocument() const { return m_schema.get(); }

    // The script function attached as hook `kind` to the declaration of an
    // element (attribute empty) or of an attribute of that element.
    bool GetHook(const QString &element, const QString &attribute, const QString &kind, QString &function);
    // The local name of the built-in type the attribute's declaration comes
    // down to ("unsignedLong", "boolean", "long", "string", ...); empty when
    // the attribute is not declared.
    QString AttributeBaseType(const QString &element, const QString &attribute);

private:
    xmlNode *ElementDeclaration(const QString &element);
    xmlNode *AttributeDeclaration(const QString &element, const QString &attribute);
    QHash<QString, QString> ReadHooks(xmlNode *declaration);
    QString ResolveBuiltInType(xmlNode *holder, int depth);

    XmlDocPtr m_schema;
    QHash<QString, QHash<QString, QString>> m_hooks; // "element" or "element@attribute" -> kind -> function
    QHash<QString, QString> m_types;                 // "element@attribute" -> base type
};
