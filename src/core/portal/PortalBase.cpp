#include "portal/PortalBase.h"
#include "util/Text.h"

#include "portal/ElementFile.h"
#include "util/Exception.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "xml/XmlUtils.h"

#include <algorithm>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace wpe {

namespace {

constexpr const char* kDeskFile = "desk.xml";
constexpr const char* kSettingsFile = "portal.xml";
constexpr const char* kCurrentDeskPath = "user/CurrentDesk";
constexpr const char* kCurrentSkinPath = "user/CurrentSkin";
constexpr const char* kServerPath = "user/Server";

std::vector<TXmlDElement*> childElements(const TXmlDNode& node, std::string_view name)
{
    std::vector<TXmlDElement*> out;
    if (!node.HasChildNodes())
        return out;
    for (TXmlDNode* child : node.Children())
        if (child->NodeType() == ntElement && child->NodeName() == name)
            out.push_back(static_cast<TXmlDElement*>(child));
    return out;
}

// Elements of a name below root, in document order.
std::vector<TXmlDElement*> descendants(const TXmlDNode& root, std::string_view name)
{
    std::vector<TXmlDElement*> out;
    for (TXmlDNode* n = NextNodeWithin(&root, &root); n != nullptr; n = NextNodeWithin(n, &root))
        if (n->NodeType() == ntElement && n->NodeName() == name)
            out.push_back(static_cast<TXmlDElement*>(n));
    return out;
}

TXmlDElement* descendantWithId(const TXmlDNode& root, std::string_view name, std::string_view id)
{
    for (TXmlDElement* e : descendants(root, name))
        if (e->GetAttribute("ID") == id)
            return e;
    return nullptr;
}

TXmlDElement* childWithId(const TXmlDNode& node, std::string_view name, std::string_view id)
{
    for (TXmlDElement* e : childElements(node, name))
        if (e->GetAttribute("ID") == id)
            return e;
    return nullptr;
}

std::vector<std::string> splitPath(std::string_view path)
{
    return SplitNonEmpty(path, '/');
}

bool isXmlName(std::string_view name)
{
    if (name.empty())
        return false;
    const unsigned char first = static_cast<unsigned char>(name[0]);
    if (!(std::isalpha(first) || first == '_' || first >= 0x80))
        return false;
    return std::all_of(name.begin(), name.end(), [](char ch) {
        const unsigned char c = static_cast<unsigned char>(ch);
        return std::isalnum(c) || c == '_' || c == '-' || c == '.' || c >= 0x80;
    });
}

// The zone of a container: the nearest enclosing zone element.
TXmlDElement* zoneOf(TXmlDNode* node)
{
    for (TXmlDNode* p = node->ParentNode(); p != nullptr; p = p->ParentNode())
        if (p->NodeType() == ntElement && p->NodeName() == "zone")
            return static_cast<TXmlDElement*>(p);
    return nullptr;
}

std::string zoneName(int zone)
{
    return std::to_string(zone);
}

void checkZone(int zone)
{
    if (zone < 1 || zone > kZoneCount)
        throw Exception("Zone " + std::to_string(zone) + " does not exist: zones are numbered 1 to 5");
}

// A declaration's entity value: "&" and "%" and the quote as character
// references that survive both the declaration and the later expansion.
std::string entityValue(std::string_view value)
{
    std::string out;
    for (char c : value) {
        switch (c) {
        case '&': out += "&#38;#38;"; break;
        case '%': out += "&#37;"; break;
        case '"': out += "&#34;"; break;
        case '<': out += "&#38;#60;"; break;
        default: out += c;
        }
    }
    return out;
}

void formatNode(const TXmlDNode& node, int depth, std::string& out)
{
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    if (node.NodeType() != ntElement || !node.HasChildNodes()) {
        out += indent + node.Xml() + "\r\n";
        return;
    }
    bool structural = true;
    for (TXmlDNode* child : node.Children())
        if (child->NodeType() != ntElement && child->NodeType() != ntComment)
            structural = false;
    if (!structural) {
        out += indent + node.Xml() + "\r\n";
        return;
    }
    out += indent + "<" + node.NodeName() + node.AttributesXml() + ">\r\n";
    for (TXmlDNode* child : node.Children())
        formatNode(*child, depth + 1, out);
    out += indent + "</" + node.NodeName() + ">\r\n";
}

} // namespace

std::string FormatXmlDocument(const TXmlDDocument& doc)
{
    std::string out;
    if (doc.HasChildNodes())
        for (TXmlDNode* child : doc.Children())
            formatNode(*child, 0, out);
    return out;
}

void CheckWebPartId(const std::string& id)
{
    if (id.empty())
        throw Exception("A web part needs an identifier to be placed on the desk");
    for (char ch : id) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c <= ' ' || c == ',' || c == '"' || c == '/' || c == '\\' || c == 0x7F)
            throw Exception("The web part identifier \"" + id +
                            "\" cannot be used on the desk: it holds a blank, comma, quote, control character or "
                            "path delimiter");
    }
}

// ---- opening ----

TPortalBase::TPortalBase(const std::string& root)
{
    std::error_code ec;
    if (root.empty() || !fs::is_directory(fs::path(NativePath(root)), ec))
        throw Exception("The portal folder \"" + root + "\" does not exist");
    root_ = WithTrailingBackslash(NativePath(root));
    // Both files must be usable before anything else is trusted.
    TRef<TXmlDDocument> desk = loadDesk();
    (void)loadSettings();
    currentDeskElement(*desk);
    generator_.setIncludeFolder(absolutePath("PORTAL"));
    // A copied portal may lack the cache folder; nobody should have to make it by hand.
    ForceDirectories(absolutePath("CACHE"));
}

std::string TPortalBase::absolutePath(std::string_view relativeFolder) const
{
    const std::string relative = UnifyDelimiters('/', relativeFolder);
    if (!relative.empty() && (relative[0] == '/' || (relative.size() > 1 && relative[1] == ':')))
        throw Exception("\"" + std::string(relativeFolder) + "\" is not a folder inside the portal");
    for (const std::string& step : splitPath(relative))
        if (step == "..")
            throw Exception("\"" + std::string(relativeFolder) + "\" is not a folder inside the portal");
    return WithTrailingBackslash(NativePath(root_ + relative));
}

std::string TPortalBase::deskFile() const
{
    return absolutePath("PORTAL") + kDeskFile;
}

std::string TPortalBase::settingsFile() const
{
    return absolutePath("PORTAL") + kSettingsFile;
}

namespace {

TRef<TXmlDDocument> loadChecked(const std::string& file, std::string_view rootName)
{
    if (!FileExists(file))
        throw Exception("The portal file \"" + file + "\" is missing");
    TRef<TXmlDDocument> doc = MakeRef<TXmlDDocument>();
    std::string text;
    try {
        text = ReadWholeFile(file);
        doc->LoadXml(text);
    } catch (const std::exception& e) {
        throw Exception("The portal file \"" + file + "\" cannot be read: " + e.what());
    }
    const TXmlDElement* top = doc->DocumentElement();
    if (top == nullptr || top->NodeName() != rootName)
        throw Exception("The portal file \"" + file + "\" is damaged: its root element must be <" +
                        std::string(rootName) + ">");
    // The document model keeps what it read of a cut-off file; such a file
    // must not be taken for a whole one and written back shortened.
    if (!FindElement(text, rootName).closed)
        throw Exception("The portal file \"" + file + "\" is damaged: it ends before </" + std::string(rootName) +
                        ">");
    return doc;
}

} // namespace

TRef<TXmlDDocument> TPortalBase::loadDesk() const
{
    return loadChecked(deskFile(), "desks");
}

TRef<TXmlDDocument> TPortalBase::loadSettings() const
{
    return loadChecked(settingsFile(), "portal");
}

void TPortalBase::saveDesk(const TXmlDDocument& doc) const
{
    WriteWholeFile(deskFile(), FormatXmlDocument(doc));
}

// ---- settings ----

std::string TPortalBase::element(std::string_view path) const
{
    const std::vector<std::string> steps = splitPath(path);
    if (steps.empty())
        throw Exception("An empty setting path names nothing");
    TRef<TXmlDDocument> doc = loadSettings();
    TXmlDNode* node = doc->DocumentElement();
    for (const std::string& step : steps) {
        node = node->SelectChild(step);
        if (node == nullptr || node->NodeType() != ntElement)
            return {};
    }
    return node->Text();
}

void TPortalBase::setElement(std::string_view path, const std::string& value)
{
    const std::vector<std::string> steps = splitPath(path);
    if (steps.empty())
        throw Exception("An empty setting path names nothing");
    for (const std::string& step : steps)
        if (!isXmlName(step))
            throw Exception("\"" + std::string(path) + "\" is not a setting path");
    if (path == kCurrentDeskPath) {
        const std::vector<std::string> names = desks();
        if (std::find(names.begin(), names.end(), value) == names.end())
            throw Exception("There is no profile \"" + value + "\" in desk.xml");
    }
    TRef<TXmlDDocument> doc = loadSettings();
    TXmlDNode* node = doc->DocumentElement();
    for (const std::string& step : steps) {
        TXmlDNode* child = node->SelectChild(step);
        if (child == nullptr || child->NodeType() != ntElement) {
            TRef<TXmlDElement> created = MakeRef<TXmlDElement>(step);
            node->AppendChild(created);
            child = created.get();
        }
        node = child;
    }
    node->SetText(value);
    WriteWholeFile(settingsFile(), FormatXmlDocument(*doc));
}

// ---- skins ----

std::vector<std::string> TPortalBase::skins() const
{
    std::vector<std::string> names;
    const fs::path folder(absolutePath("SKINS"));
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_directory(typeError))
            continue;
        for (const std::string& file : ListFiles(it->path().string()))
            if (SameAsciiCaseless(ExtractFileExt(file), ".cso")) {
                names.push_back(it->path().filename().string());
                break;
            }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = AsciiLower(a), lb = AsciiLower(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

std::string TPortalBase::currentSkin() const
{
    const std::string name = element(kCurrentSkinPath);
    if (name.empty())
        throw Exception("No skin is current");
    for (const std::string& skin : skins())
        if (SameAsciiCaseless(skin, name))
            return skin;
    throw Exception("The current skin \"" + name + "\" no longer exists");
}

void TPortalBase::setCurrentSkin(const std::string& name)
{
    for (const std::string& skin : skins())
        if (SameAsciiCaseless(skin, name)) {
            setElement(kCurrentSkinPath, skin);
            return;
        }
    throw Exception("There is no skin \"" + name + "\"");
}

// ---- desk ----

std::vector<std::string> TPortalBase::desks() const
{
    TRef<TXmlDDocument> doc = loadDesk();
    std::vector<std::string> names;
    for (TXmlDElement* desk : childElements(*doc->DocumentElement(), "desk"))
        names.push_back(desk->GetAttribute("ID"));
    return names;
}

std::string TPortalBase::currentDesk() const
{
    return element(kCurrentDeskPath);
}

TXmlDElement* TPortalBase::currentDeskElement(const TXmlDDocument& doc) const
{
    const std::string name = currentDesk();
    if (name.empty())
        throw Exception("No profile is current: portal.xml has no <CurrentDesk>");
    TXmlDElement* desk = childWithId(*doc.DocumentElement(), "desk", name);
    if (desk == nullptr)
        throw Exception("The current profile \"" + name + "\" is not in desk.xml");
    return desk;
}

TXmlDElement* TPortalBase::findContainer(TXmlDElement& desk, const std::string& id) const
{
    for (TXmlDElement* zone : childElements(desk, "zone"))
        if (TXmlDElement* found = descendantWithId(*zone, "container", id))
            return found;
    return nullptr;
}

std::vector<std::string> TPortalBase::zoneWebParts(int zone) const
{
    checkZone(zone);
    TRef<TXmlDDocument> doc = loadDesk();
    TXmlDElement* desk = currentDeskElement(*doc);
    std::vector<std::string> ids;
    for (TXmlDElement* z : childElements(*desk, "zone"))
        if (z->GetAttribute("ID") == zoneName(zone))
            for (TXmlDElement* container : descendants(*z, "container"))
                ids.push_back(container->GetAttribute("ID"));
    return ids;
}

namespace {

// The zone element of a profile, added in numeric order when it is missing.
TXmlDElement* zoneElement(TXmlDElement& desk, int zone)
{
    TXmlDElement* target = childWithId(desk, "zone", zoneName(zone));
    if (target != nullptr)
        return target;
    TRef<TXmlDElement> created = MakeRef<TXmlDElement>("zone");
    created->SetAttribute("ID", zoneName(zone));
    int index = -1;
    for (TXmlDElement* z : childElements(desk, "zone"))
        if (std::atoi(z->GetAttribute("ID").c_str()) > zone) {
            index = desk.ChildNodes().IndexOf(z);
            break;
        }
    desk.InsertChild(created, index);
    return created.get();
}

} // namespace

std::string TPortalBase::insertWebPart(const std::string& id, int zone)
{
    checkZone(zone);
    CheckWebPartId(id);
    TRef<TXmlDDocument> doc = loadDesk();
    TXmlDElement* desk = currentDeskElement(*doc);
    if (findContainer(*desk, id) != nullptr)
        throw Exception("The web part \"" + id + "\" is already on the desk \"" + desk->GetAttribute("ID") + "\"");
    TXmlDElement* target = zoneElement(*desk, zone);
    TRef<TXmlDElement> container = MakeRef<TXmlDElement>("container");
    container->SetAttribute("ID", id);
    container->SetAttribute("visible", "true");
    target->AppendChild(container);
    saveDesk(*doc);
    return container->Xml();
}

void TPortalBase::deleteWebPart(const std::string& id)
{
    TRef<TXmlDDocument> doc = loadDesk();
    TXmlDElement* desk = currentDeskElement(*doc);
    TXmlDElement* container = findContainer(*desk, id);
    if (container == nullptr)
        throw Exception("The web part \"" + id + "\" is not on the desk \"" + desk->GetAttribute("ID") + "\"");
    container->ParentNode()->RemoveChild(container);
    saveDesk(*doc);
}

void TPortalBase::moveUpWebPart(const std::string& id)
{
    moveWebPart(id, true);
}

void TPortalBase::moveDownWebPart(const std::string& id)
{
    moveWebPart(id, false);
}

void TPortalBase::moveWebPart(const std::string& id, bool up)
{
    TRef<TXmlDDocument> doc = loadDesk();
    TXmlDElement* desk = currentDeskElement(*doc);
    TXmlDElement* container = findContainer(*desk, id);
    if (container == nullptr)
        throw Exception("The web part \"" + id + "\" is not on the desk \"" + desk->GetAttribute("ID") + "\"");
    const std::vector<TXmlDElement*> inZone = descendants(*zoneOf(container), "container");
    const auto at = std::find(inZone.begin(), inZone.end(), container) - inZone.begin();
    const auto neighbourAt = up ? at - 1 : at + 1;
    if (neighbourAt < 0 || neighbourAt >= static_cast<long>(inZone.size()))
        return;
    TXmlDElement* neighbour = inZone[static_cast<std::size_t>(neighbourAt)];
    // A container holding its neighbour (nested markup) cannot change places with it.
    for (TXmlDNode* p = neighbour->ParentNode(); p != nullptr; p = p->ParentNode())
        if (p == container)
            return;
    TRef<TXmlDNode> moving(container);
    container->ParentNode()->RemoveChild(container);
    TXmlDNode* parent = neighbour->ParentNode();
    const int index = parent->ChildNodes().IndexOf(neighbour);
    parent->InsertChild(moving, up ? index : index + 1);
    saveDesk(*doc);
}

TXmlDElement* TPortalBase::findPath(TXmlDElement& desk, std::string_view path) const
{
    std::vector<std::string> steps = splitPath(path);
    if (steps.empty() || steps.front() != "desk")
        throw Exception("\"" + std::string(path) + "\" is not a desk element path");
    TXmlDElement* node = &desk;
    for (std::size_t i = 1; i < steps.size() && node != nullptr; ++i) {
        const std::string& step = steps[i];
        const std::size_t colon = step.find(':');
        if (colon == std::string::npos) {
            const std::vector<TXmlDElement*> children = childElements(*node, step);
            node = children.empty() ? nullptr : children.front();
        } else {
            node = descendantWithId(*node, step.substr(0, colon), step.substr(colon + 1));
        }
    }
    return node == &desk ? nullptr : node;
}

std::string TPortalBase::tag(std::string_view path) const
{
    TRef<TXmlDDocument> doc = loadDesk();
    TXmlDElement* found = findPath(*currentDeskElement(*doc), path);
    return found == nullptr ? std::string() : found->Xml();
}

void TPortalBase::deleteTag(std::string_view path)
{
    TRef<TXmlDDocument> doc = loadDesk();
    TXmlDElement* desk = currentDeskElement(*doc);
    TXmlDElement* found = findPath(*desk, path);
    if (found == nullptr)
        throw Exception("There is no element \"" + std::string(path) + "\" on the desk \"" +
                        desk->GetAttribute("ID") + "\"");
    found->ParentNode()->RemoveChild(found);
    saveDesk(*doc);
}

void TPortalBase::moveTagToZone(std::string_view path, int zone)
{
    checkZone(zone);
    TRef<TXmlDDocument> doc = loadDesk();
    TXmlDElement* desk = currentDeskElement(*doc);
    TXmlDElement* found = findPath(*desk, path);
    if (found == nullptr)
        throw Exception("There is no element \"" + std::string(path) + "\" on the desk \"" +
                        desk->GetAttribute("ID") + "\"");
    TXmlDElement* target = zoneElement(*desk, zone);
    for (TXmlDNode* p = target; p != nullptr; p = p->ParentNode())
        if (p == found)
            throw Exception("The element \"" + std::string(path) + "\" holds zone " + zoneName(zone));
    TRef<TXmlDNode> moving(found);
    found->ParentNode()->RemoveChild(found);
    target->AppendChild(moving);
    saveDesk(*doc);
}

void TPortalBase::insertTag(std::string_view path, const std::string& xml)
{
    TRef<TXmlDDocument> fragment = MakeRef<TXmlDDocument>();
    try {
        fragment->LoadXml(xml);
    } catch (const std::exception& e) {
        throw Exception(std::string("The element to insert is not well-formed XML: ") + e.what());
    }
    TXmlDElement* element = fragment->DocumentElement();
    if (element == nullptr)
        throw Exception("The text to insert holds no element");
    if (!FindElement(xml, element->NodeName()).closed)
        throw Exception("The element to insert is not well-formed XML: <" + element->NodeName() + "> is not closed");

    TRef<TXmlDDocument> doc = loadDesk();
    TXmlDElement* desk = currentDeskElement(*doc);
    TXmlDElement* target = findPath(*desk, path);
    if (target == nullptr)
        throw Exception("There is no element \"" + std::string(path) + "\" on the desk \"" +
                        desk->GetAttribute("ID") + "\"");
    std::vector<TXmlDElement*> incoming = descendants(*fragment, "container");
    for (TXmlDElement* c : incoming) {
        CheckWebPartId(c->GetAttribute("ID"));
        if (findContainer(*desk, c->GetAttribute("ID")) != nullptr)
            throw Exception("The web part \"" + c->GetAttribute("ID") + "\" is already on the desk \"" +
                            desk->GetAttribute("ID") + "\"");
    }
    TRef<TXmlDNode> moving(element);
    fragment->RemoveChild(element);
    TXmlDNode* parent = target->ParentNode();
    parent->InsertChild(moving, parent->ChildNodes().IndexOf(target));
    saveDesk(*doc);
}

std::string TPortalBase::fileNameFromId(const std::string& id) const
{
    CheckWebPartId(id);
    const std::string storage = absolutePath("STORAGE");
    for (const char* ext : {".xml", ".dwp"}) {
        const std::string found = FindFileNoCase(storage, id + ext);
        if (!found.empty())
            return found;
    }
    throw Exception("The web part \"" + id + "\" is not in the storage folder \"" + storage + "\"");
}

// ---- rendering ----

void TPortalBase::refreshGenerator() const
{
    std::string declarations;
    // A value that cannot be read (no skin yet, settings being edited) is left
    // to main.dtd's fallback: a web part preview must not fail over it.
    auto declare = [&declarations](const char* name, const std::function<std::string()>& read) {
        try {
            declarations += std::string("<!ENTITY ") + name + " \"" + entityValue(read()) + "\">\n";
        } catch (const std::exception&) {
        }
    };
    declare("CurrentSkin", [this] { return currentSkin(); });
    declare("CurrentDesk", [this] { return currentDesk(); });
    declare("Server", [this] { return element(kServerPath); });
    generator_.setDtdPrefix(declarations);
}

std::string DtdEntityValue(std::string_view value)
{
    return entityValue(value);
}

const TXslGenerator& TPortalBase::generator() const
{
    refreshGenerator();
    return generator_;
}

} // namespace wpe
