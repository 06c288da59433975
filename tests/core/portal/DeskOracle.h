#pragma once
// desk.xml as libxml2 reads it, so checks do not share code with the library.

#include "PortalTestSupport.h"

#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <string>
#include <vector>

namespace wpe::test {

// The values an XPath query selects in the file, in document order.
inline std::vector<std::string> XPathValues(const fs::path& file, const std::string& query)
{
    std::vector<std::string> values;
    xmlDocPtr doc = xmlReadFile(file.string().c_str(), nullptr, XML_PARSE_NONET);
    if (doc == nullptr) {
        ADD_FAILURE() << file << " is not well-formed";
        return values;
    }
    xmlXPathContextPtr ctx = xmlXPathNewContext(doc);
    xmlXPathObjectPtr result = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(query.c_str()), ctx);
    if (result != nullptr && result->nodesetval != nullptr)
        for (int i = 0; i < result->nodesetval->nodeNr; ++i) {
            xmlChar* value = xmlNodeGetContent(result->nodesetval->nodeTab[i]);
            values.emplace_back(reinterpret_cast<const char*>(value));
            xmlFree(value);
        }
    xmlXPathFreeObject(result);
    xmlXPathFreeContext(ctx);
    xmlFreeDoc(doc);
    return values;
}

// The five zones of a profile as desk.xml on disk holds them.
inline std::vector<std::vector<std::string>> DeskZonesOnDisk(const fs::path& deskFile, const std::string& profile)
{
    std::vector<std::vector<std::string>> zones;
    for (int zone = 1; zone <= 5; ++zone)
        zones.push_back(XPathValues(deskFile, "/desks/desk[@ID='" + profile + "']/zone[@ID='" +
                                                  std::to_string(zone) + "']//container/@ID"));
    return zones;
}

} // namespace wpe::test
