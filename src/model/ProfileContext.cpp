#include "model/ProfileContext.h"

#include <algorithm>

CProfileContext::CProfileContext() = default;

CProfileContext::~CProfileContext()
{
    // The script engine goes first (members are destroyed after this body,
    // so stop it here), then the detached nodes, then the documents.
    m_script.Shutdown();
    std::vector<xmlNode *> roots;
    for (xmlNode *node : m_detached)
        if (!node->parent && std::find(roots.begin(), roots.end(), node) == roots.end())
            roots.push_back(node);
    for (xmlNode *node : roots)
        xmlFreeNode(node);
}

void CProfileContext::SetDocument(XmlDocPtr document)
{
    if (m_document)
        m_documents.push_back(m_document);
    m_document = std::move(document);
}

CProfileContext::Snapshot CProfileContext::TakeSnapshot(xmlDoc *document) const
{
    Snapshot snapshot;
    if (document) {
        snapshot.document = document;
        snapshot.copy = XmlDocPtr(xmlCopyDoc(document, 1), XmlDocDeleter());
    }
    return snapshot;
}

void CProfileContext::Restore(const Snapshot &snapshot)
{
    xmlNode *root = snapshot.document ? xmlDocGetRootElement(snapshot.document) : nullptr;
    xmlNode *saved = snapshot.copy ? xmlDocGetRootElement(snapshot.copy.get()) : nullptr;
    if (!root || !saved)
        return;
    while (xmlNode *child = root->children) {
        xmlUnlinkNode(child);
        KeepDetached(child);
    }
    xmlFreePropList(root->properties);
    root->properties = saved->properties ? xmlCopyPropList(root, saved->properties) : nullptr;
    // The saved elements move over and take the namespace declarations that
    // are in force under the root, so no declaration is repeated on them.
    for (xmlNode *child = saved->children; child;) {
        xmlNode *next = child->next;
        xmlUnlinkNode(child);
        xmlDOMWrapAdoptNode(nullptr, snapshot.copy.get(), child, snapshot.document, root, 0);
        xmlAddChild(root, child);
        child = next;
    }
}
