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
