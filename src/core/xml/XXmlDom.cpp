#include "xml/XXmlDom.h"
#include "util/Prefetch.h"

#include "util/Errors.h"
#include "util/Files.h"
#include "xml/XXml.h"

#include <cstring>
#include <string_view>
#include <unordered_map>

namespace wpe {

namespace {

const char* const kErrTwoLists = "XML: Нельзя добавлять узел в два списка";
const char* const kErrReplaceTwoLists = "XML: Нельзя добавлять подузел в два списка";
const char* const kErrNoChildToRemove = "XML: Не найден подузел для удаления";
const char* const kErrTagMismatch = "XML: Имена открывающего и закрывающего тэгов не совпадают";
const char* const kErrBadConstruct = "XML: неправильная конструкция в XML-документе";
// Not in the original message set: a node put inside itself would make a
// reference cycle (a leak) and an endless serialisation.
const char* const kErrInsideItself = "XML: Нельзя вставить узел внутрь него самого";
const char* const kErrNoNode = "XML: Не задан узел";
const char* const kErrStreamWrite = "XML: Ошибка записи XML-документа в поток";

[[noreturn]] void Fail(std::string message)
{
    throw Exception(std::move(message));
}

[[noreturn]] void FailIndex(int index)
{
    Fail("List index out of bounds (" + std::to_string(index) + ")");
}

inline bool IsWhite(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

// Objects whose last reference went while another object was being
// destroyed wait here (linked through the objects themselves, so tearing
// down a big tree allocates nothing); the outermost Release destroys them
// one after another. Plain pointers, so nothing here needs destroying at
// thread exit (documents held in statics are released after thread locals).
thread_local bool tDestroying = false;
thread_local TRefObject* tDestroyQueue = nullptr;

// Recycling of small blocks for nodes and lists: a free list per size
// class and thread, holding at most kPoolMaxBytes. Sanitizer builds use
// plain new and delete so that use after free is still caught.
#if defined(__SANITIZE_ADDRESS__)
#define WPE_XML_POOL 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define WPE_XML_POOL 0
#endif
#endif
#ifndef WPE_XML_POOL
#define WPE_XML_POOL 1
#endif

constexpr std::size_t kPoolGrain = 16;
constexpr std::size_t kPoolClasses = 16; // blocks of up to 256 bytes
constexpr std::size_t kPoolMaxBytes = 32u << 20;

struct FreeBlock {
    FreeBlock* next;
};

struct BlockPool {
    FreeBlock* heads[kPoolClasses] = {};
    std::size_t bytes = 0;
    ~BlockPool();
};

// Set once this thread's pool is gone (objects may still be freed later,
// from statics); a plain flag, so it stays readable after that.
thread_local bool tPoolClosed = false;
thread_local BlockPool tPool;

BlockPool::~BlockPool()
{
    for (FreeBlock*& head : heads)
        while (FreeBlock* b = head) {
            head = b->next;
            ::operator delete(b);
        }
    tPoolClosed = true;
}

} // namespace

// ---- reference counting ----

void* xmlpool::Allocate(std::size_t size)
{
    const std::size_t cls = (size + kPoolGrain - 1) / kPoolGrain;
    if (!WPE_XML_POOL || cls > kPoolClasses || cls == 0)
        return ::operator new(size);
    if (!tPoolClosed) {
        BlockPool& pool = tPool;
        if (FreeBlock* b = pool.heads[cls - 1]) {
            pool.heads[cls - 1] = b->next;
            // Freed blocks are scattered; fetch the next one while this is in use.
            if (b->next)
                WPE_PREFETCH_FOR_WRITE(b->next);
            pool.bytes -= cls * kPoolGrain;
            return b;
        }
    }
    // Always the full class size, so the block can serve any object of its class later.
    return ::operator new(cls * kPoolGrain);
}

void xmlpool::Free(void* p, std::size_t size) noexcept
{
    const std::size_t cls = (size + kPoolGrain - 1) / kPoolGrain;
    if (WPE_XML_POOL && cls <= kPoolClasses && cls > 0 && !tPoolClosed) {
        BlockPool& pool = tPool;
        if (pool.bytes + cls * kPoolGrain <= kPoolMaxBytes) {
            auto* b = static_cast<FreeBlock*>(p);
            b->next = pool.heads[cls - 1];
            pool.heads[cls - 1] = b;
            pool.bytes += cls * kPoolGrain;
            return;
        }
    }
    ::operator delete(p);
}

void TRefObject::Release() noexcept
{
    if (refCount_ > 1) {
        --refCount_;
        return;
    }
    // Back to 1 so that releases made during destruction cannot destroy it again.
    refCount_ = 1;
    if (tDestroying) {
        nextToDestroy_ = tDestroyQueue;
        tDestroyQueue = this;
        return;
    }
    tDestroying = true;
    delete this;
    while (TRefObject* next = tDestroyQueue) {
        tDestroyQueue = next->nextToDestroy_;
        delete next;
    }
    tDestroying = false;
}

// ---- type names and escaping ----

const std::string& XmlNodeTypeName(XmlNodeType type)
{
    static const std::string kNames[] = {
        "element", "attribute", "text",     "cdatasection", "entityreference",  "entity",
        "processinginstruction", "comment", "document", "documenttype", "documentfragment", "notation",
    };
    static const std::string kUnknown;
    return type < std::size(kNames) ? kNames[type] : kUnknown;
}

std::string XmlEscape(std::string_view s)
{
    std::string out;
    out.reserve(s.size() + s.size() / 8);
    std::size_t from = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char* rep;
        switch (s[i]) {
        case '&': rep = "&amp;"; break;
        case '<': rep = "&lt;"; break;
        case '>': rep = "&gt;"; break;
        case '"': rep = "&quot;"; break;
        case '\'': rep = "&apos;"; break;
        default: continue;
        }
        out.append(s.data() + from, i - from);
        out.append(rep);
        from = i + 1;
    }
    out.append(s.data() + from, s.size() - from);
    return out;
}

// One left-to-right pass gives the same result as replacing "&apos;",
// "&quot;", "&gt;", "&lt;" and then "&amp;" one after another: no
// replacement can complete an entity that a later pass would match.
std::string XmlUnescape(std::string_view s)
{
    struct Entity {
        std::string_view text;
        char ch;
    };
    static constexpr Entity kEntities[] = {
        {"&apos;", '\''}, {"&quot;", '"'}, {"&gt;", '>'}, {"&lt;", '<'}, {"&amp;", '&'},
    };
    std::size_t amp = s.find('&');
    if (amp == std::string_view::npos)
        return std::string(s);
    std::string out;
    out.reserve(s.size());
    std::size_t from = 0;
    while (amp != std::string_view::npos) {
        std::string_view rest = s.substr(amp);
        for (const Entity& e : kEntities) {
            if (rest.starts_with(e.text)) {
                out.append(s.data() + from, amp - from);
                out.push_back(e.ch);
                from = amp + e.text.size();
                amp = from - 1;
                break;
            }
        }
        amp = s.find('&', amp + 1);
    }
    out.append(s.data() + from, s.size() - from);
    return out;
}

// ---- TXmlDNodeList ----

TXmlDNodeList::~TXmlDNodeList()
{
    Clear();
}

void TXmlDNodeList::CheckIndex(int index, int limit) const
{
    if (index < 0 || index > limit)
        FailIndex(index);
}

TXmlDNode* TXmlDNodeList::Item(int index) const
{
    CheckIndex(index, Count() - 1);
    return items_[static_cast<std::size_t>(index)];
}

int TXmlDNodeList::Insert(const TRef<TXmlDNode>& node, int index)
{
    if (!node)
        Fail(kErrNoNode);
    if (node->parent_)
        Fail(kErrTwoLists);
    if (index == -1)
        index = Count();
    CheckIndex(index, Count());
    TXmlDNode* n = node.get();
    const auto at = static_cast<std::size_t>(index);
    if (items_.capacity() == 0)
        items_.reserve(4); // skips the 1-2-4 growth steps most elements go through
    items_.insert(items_.begin() + index, n);
    n->AddRef();
    n->parent_ = owner_;
    n->prev_ = at > 0 ? items_[at - 1] : nullptr;
    n->next_ = at + 1 < items_.size() ? items_[at + 1] : nullptr;
    if (n->prev_)
        n->prev_->next_ = n;
    if (n->next_)
        n->next_->prev_ = n;
    return index;
}

void TXmlDNodeList::Delete(int index)
{
    CheckIndex(index, Count() - 1);
    TXmlDNode* n = items_[static_cast<std::size_t>(index)];
    items_.erase(items_.begin() + index);
    if (n->prev_)
        n->prev_->next_ = n->next_;
    if (n->next_)
        n->next_->prev_ = n->prev_;
    n->parent_ = n->prev_ = n->next_ = nullptr;
    n->Release();
}

int TXmlDNodeList::Replace(const TRef<TXmlDNode>& node, int index)
{
    if (!node)
        Fail(kErrNoNode);
    if (node->parent_)
        Fail(kErrReplaceTwoLists);
    CheckIndex(index, Count() - 1);
    Delete(index);
    return Insert(node, index);
}

int TXmlDNodeList::IndexOf(const TXmlDNode* node) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i] == node)
            return static_cast<int>(i);
    return -1;
}

TXmlDNode* TXmlDNodeList::FindByName(std::string_view name, int* index) const
{
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i]->NodeName() == name) {
            if (index)
                *index = static_cast<int>(i);
            return items_[i];
        }
    }
    if (index)
        *index = -1;
    return nullptr;
}

int TXmlDNodeList::SetNamedItem(const TRef<TXmlDNode>& node)
{
    if (!node)
        Fail(kErrNoNode);
    int index;
    TXmlDNode* existing = FindByName(node->NodeName(), &index);
    if (existing == node.get())
        return index;
    if (existing)
        return Replace(node, index);
    return Insert(node, -1);
}

void TXmlDNodeList::Clear()
{
    while (!items_.empty()) {
        TXmlDNode* n = items_.back();
        items_.pop_back();
        if (n->prev_)
            n->prev_->next_ = nullptr;
        n->parent_ = n->prev_ = n->next_ = nullptr;
        n->Release();
    }
}

// ---- TXmlDNode: structure ----

TXmlDNode::~TXmlDNode()
{
    // Former children must not point at a dead parent, and a list someone
    // still holds must not point at a dead owner.
    for (TXmlDNodeList* list : {static_cast<TXmlDNodeList*>(attributes_), children_}) {
        if (!list)
            continue;
        list->Clear();
        list->owner_ = nullptr;
        list->Release();
    }
}

TXmlDNodeList& TXmlDNode::ChildNodes() const
{
    if (!children_) {
        children_ = new TXmlDNodeList(const_cast<TXmlDNode*>(this));
        children_->AddRef();
    }
    return *children_;
}

TXmlDNamedNodeMap& TXmlDNode::Attributes() const
{
    if (!attributes_) {
        attributes_ = new TXmlDNamedNodeMap(const_cast<TXmlDNode*>(this));
        attributes_->AddRef();
    }
    return *attributes_;
}

TXmlDNode* TXmlDNode::FirstChild() const
{
    return HasChildNodes() ? children_->items_.front() : nullptr;
}

TXmlDNode* TXmlDNode::LastChild() const
{
    return HasChildNodes() ? children_->items_.back() : nullptr;
}

bool TXmlDNode::Accepts(XmlNodeType childType) const
{
    switch (nodeType_) {
    case ntElement:
        return childType == ntElement || childType == ntText || childType == ntCDATASection ||
               childType == ntProcessingInstruction || childType == ntComment ||
               childType == ntEntityReference || childType == ntDocumentFragment;
    case ntDocument:
        return childType == ntElement || childType == ntProcessingInstruction || childType == ntComment ||
               childType == ntDocumentType || childType == ntDocumentFragment;
    case ntDocumentType:
        return true;
    default:
        return false;
    }
}

void TXmlDNode::CheckNotAncestor(const TXmlDNode* node) const
{
    if (node == this)
        Fail(kErrInsideItself);
    // A node without children cannot be above anything; this keeps loading linear.
    if (!node->HasChildNodes())
        return;
    for (const TXmlDNode* p = parent_; p; p = p->parent_)
        if (p == node)
            Fail(kErrInsideItself);
}

int TXmlDNode::InsertChild(const TRef<TXmlDNode>& node, int index)
{
    if (!node)
        Fail(kErrNoNode);
    if (!Accepts(node->NodeType())) {
        if (!Accepts(ntDocumentFragment))
            Fail("XML: узел \"" + NodeTypeString() + "\" не может содержать подузлы");
        Fail("XML: узел \"" + NodeTypeString() + "\" не может содержать подузел \"" + node->NodeTypeString() +
             "\"");
    }
    CheckNotAncestor(node.get());
    TXmlDNodeList& list = ChildNodes();
    if (index != -1)
        list.CheckIndex(index, list.Count());
    if (TXmlDNode* old = node->parent_) {
        if (old->children_ && old->children_->IndexOf(node.get()) >= 0)
            old->RemoveChild(node.get());
        else if (old->attributes_ && old->attributes_->IndexOf(node.get()) >= 0)
            old->attributes_->Delete(old->attributes_->IndexOf(node.get()));
        if (index > list.Count())
            index = list.Count();
    }
    return list.Insert(node, index);
}

int TXmlDNode::RemoveChild(TXmlDNode* node)
{
    int index = children_ ? children_->IndexOf(node) : -1;
    if (index < 0)
        Fail(kErrNoChildToRemove);
    children_->Delete(index);
    return index;
}

TXmlDNode* TXmlDNode::SelectChild(std::string_view name) const
{
    return children_ ? children_->FindByName(name) : nullptr;
}

void TXmlDNode::ClearChildNodes()
{
    if (children_)
        children_->Clear();
}

void TXmlDNode::ClearAttributes()
{
    if (attributes_)
        attributes_->Clear();
}

// ---- TXmlDNode: serialisation and text ----

namespace {

void WriteXml(const TXmlDNode* root, std::string& out);

// A CDATA section of data. The reader ends a section at "]]" followed by
// white space and '>', so where the data holds one the section is split
// after the "]]": the data reads back unchanged, as two sections.
void AppendCData(std::string& out, const std::string& data)
{
    out.append("<![CDATA[");
    std::size_t from = 0;
    for (std::size_t i = 0; i + 1 < data.size(); ++i) {
        if (data[i] != ']' || data[i + 1] != ']')
            continue;
        std::size_t j = i + 2;
        while (j < data.size() && IsWhite(data[j]))
            ++j;
        if (j == data.size() || data[j] != '>')
            continue;  // the section's own "]]>" follows a trailing "]]" safely
        out.append(data, from, i + 2 - from);
        out.append("]]><![CDATA[");
        from = i + 2;
    }
    out.append(data, from, std::string::npos);
    out.append("]]>");
}

void WriteAttributes(const TXmlDNode* node, std::string& out)
{
    if (!node->HasAttributes())
        return;
    for (const TXmlDNode* a : node->Attributes()) {
        out.push_back(' ');
        WriteXml(a, out);
    }
}

// Writes the node's opening (or all of it when it has no children to write);
// true when its children and then WriteClose must follow.
bool WriteOpen(const TXmlDNode* n, std::string& out)
{
    switch (n->NodeType()) {
    case ntElement:
        out.push_back('<');
        out.append(n->NodeName());
        WriteAttributes(n, out);
        if (!n->HasChildNodes()) {
            out.append("/>");
            return false;
        }
        out.push_back('>');
        return true;
    case ntDocumentType:
        out.append("<!DOCTYPE ");
        out.append(n->NodeName());
        out.append(" [");
        if (!n->HasChildNodes()) {
            out.append("]>");
            return false;
        }
        return true;
    case ntAttribute:
        out.append(n->NodeName());
        out.append("=\"");
        out.append(XmlEscape(static_cast<const TXmlDAttribute*>(n)->Value()));
        out.push_back('"');
        return false;
    case ntText:
        out.append(XmlEscape(static_cast<const TXmlDCharacterData*>(n)->Data()));
        return false;
    case ntCDATASection:
        AppendCData(out, static_cast<const TXmlDCharacterData*>(n)->Data());
        return false;
    case ntComment:
        out.append("<!--");
        out.append(static_cast<const TXmlDCharacterData*>(n)->Data());
        out.append("-->");
        return false;
    case ntProcessingInstruction:
        out.append("<?");
        out.append(n->NodeName());
        out.push_back(' ');
        out.append(static_cast<const TXmlDProcessingInstruction*>(n)->Data());
        out.append("?>");
        return false;
    default: // document
        return n->HasChildNodes();
    }
}

void WriteClose(const TXmlDNode* n, std::string& out)
{
    if (n->NodeType() == ntElement) {
        out.append("</");
        out.append(n->NodeName());
        out.push_back('>');
    } else if (n->NodeType() == ntDocumentType) {
        out.append("]>");
    }
}

// Pre-order walk with an explicit climb instead of recursion, so nesting
// depth costs no stack.
void WriteXml(const TXmlDNode* root, std::string& out)
{
    const TXmlDNode* n = root;
    for (;;) {
        if (WriteOpen(n, out)) {
            n = n->FirstChild();
            continue;
        }
        for (;;) {
            if (n == root)
                return;
            if (n->NextSibling()) {
                n = n->NextSibling();
                break;
            }
            n = n->ParentNode();
            WriteClose(n, out);
        }
    }
}

// The character data of the text and CDATA nodes below root, descending
// into elements only.
std::string TextOfChildren(const TXmlDNode* root)
{
    std::string out;
    const TXmlDNode* n = root->FirstChild();
    while (n) {
        XmlNodeType t = n->NodeType();
        if (t == ntText || t == ntCDATASection)
            out.append(static_cast<const TXmlDCharacterData*>(n)->Data());
        if (t == ntElement && n->HasChildNodes()) {
            n = n->FirstChild();
            continue;
        }
        while (n != root && !n->NextSibling())
            n = n->ParentNode();
        n = n == root ? nullptr : n->NextSibling();
    }
    return out;
}

} // namespace

std::string TXmlDNode::NodeValue() const
{
    return {};
}

void TXmlDNode::SetNodeValue(const std::string&)
{
    Fail("XML: Нельзя изменять значение узла \"" + NodeTypeString() + "\"");
}

std::string TXmlDNode::Text() const
{
    return TextOfChildren(this);
}

void TXmlDNode::SetText(const std::string&)
{
    Fail("XML: Нельзя изменять текст узла \"" + NodeTypeString() + "\"");
}

std::string TXmlDNode::Xml() const
{
    std::string out;
    WriteXml(this, out);
    return out;
}

std::string TXmlDNode::InnerXml() const
{
    std::string out;
    for (TXmlDNode* c = FirstChild(); c; c = c->NextSibling())
        WriteXml(c, out);
    return out;
}

std::string TXmlDNode::AttributesXml() const
{
    std::string out;
    WriteAttributes(this, out);
    return out;
}

// ---- TXmlDNode: loading and saving ----

namespace {

// Builds the tree below target from the reader's tokens, keeping the current
// element instead of recursing, so nesting depth costs no stack.
class TreeBuilder {
public:
    TreeBuilder(TXmlDNode& target, TXmlReader& reader) : target_(target), reader_(reader) {}

    void Run()
    {
        for (;;) {
            XmlTokenKind kind = reader_.Next();
            if (kind == tkEndOfInput)
                return;
            if (current_)
                ElementToken(kind);
            else
                TopLevelToken(kind);
        }
    }

private:
    void TopLevelToken(XmlTokenKind kind)
    {
        switch (kind) {
        case tkProcessingInstruction:
            target_.AppendChild(new TXmlDProcessingInstruction(reader_.Name(), reader_.Value()));
            break;
        case tkDocumentType:
            target_.AppendChild(new TXmlDDocumentType(reader_.Name()));
            break;
        case tkComment:
            target_.AppendChild(new TXmlDComment(reader_.Value()));
            break;
        case tkStartTag:
            StartElement(target_);
            break;
        default:
            throw EXmlError(kErrBadConstruct, reader_.Offset());
        }
    }

    void ElementToken(XmlTokenKind kind)
    {
        switch (kind) {
        case tkProcessingInstruction:
            current_->AppendChild(new TXmlDProcessingInstruction(reader_.Name(), reader_.Value()));
            break;
        case tkDocumentType:
            current_->AppendChild(new TXmlDDocumentType(reader_.Name()));
            break;
        case tkComment:
            current_->AppendChild(new TXmlDComment(reader_.Value()));
            break;
        case tkCData:
            current_->AppendChild(new TXmlDCDATASection(reader_.Value()));
            break;
        case tkAttribute:
            SetAttribute();
            break;
        case tkStartTag:
            StartElement(*current_);
            break;
        case tkText:
            AddText();
            break;
        case tkEndTag:
            if (reader_.Name() != current_->TagName())
                throw EXmlError(kErrTagMismatch, reader_.Offset());
            current_ = current_->ParentNode() == &target_ ? nullptr
                                                           : static_cast<TXmlDElement*>(current_->ParentNode());
            break;
        default:
            break;
        }
    }

    void StartElement(TXmlDNode& parent)
    {
        auto* e = new TXmlDElement(reader_.Name());
        parent.AppendChild(e);
        current_ = e;
        if (!attrIndex_.empty())
            attrIndex_ = {}; // clear() would keep every bucket of a big element
    }

    // A repeated name keeps its first place and takes the last value. Many
    // attributes on one element are looked up through an index, so loading
    // stays linear.
    void SetAttribute()
    {
        const std::string& name = reader_.Name();
        TXmlDNamedNodeMap& attrs = current_->Attributes();
        TXmlDNode* found = nullptr;
        if (attrs.Count() < kIndexFrom) {
            found = attrs.GetNamedItem(name);
        } else {
            if (attrIndex_.empty())
                for (TXmlDNode* a : attrs)
                    attrIndex_.emplace(a->NodeName(), a);
            auto it = attrIndex_.find(name);
            if (it != attrIndex_.end())
                found = it->second;
        }
        if (found) {
            static_cast<TXmlDAttribute*>(found)->SetValue(XmlUnescape(reader_.Value()));
            return;
        }
        auto* a = new TXmlDAttribute(name, XmlUnescape(reader_.Value()));
        attrs.Insert(a, -1);
        if (!attrIndex_.empty())
            attrIndex_.emplace(a->NodeName(), a);
    }

    // White space that spans lines is layout, not content.
    void AddText()
    {
        const std::string& v = reader_.Value();
        if (std::memchr(v.data(), '\n', v.size()) || std::memchr(v.data(), '\r', v.size())) {
            bool allWhite = true;
            for (char c : v)
                if (!IsWhite(c)) {
                    allWhite = false;
                    break;
                }
            if (allWhite)
                return;
        }
        current_->AppendChild(new TXmlDText(XmlUnescape(v)));
    }

    static constexpr int kIndexFrom = 8;

    TXmlDNode& target_;
    TXmlReader& reader_;
    TXmlDElement* current_ = nullptr;
    std::unordered_map<std::string_view, TXmlDNode*> attrIndex_;
};

} // namespace

void TXmlDNode::LoadFromStream(std::istream& stream)
{
    ClearChildNodes();
    ClearAttributes();
    TXmlReader reader;
    reader.Open(&stream, false);
    TreeBuilder(*this, reader).Run();
}

void TXmlDNode::LoadXml(std::string_view xml)
{
    ClearChildNodes();
    ClearAttributes();
    TXmlReader reader;
    reader.Open(xml);
    TreeBuilder(*this, reader).Run();
}

void TXmlDNode::LoadFromFile(const std::string& path)
{
    std::string bytes = ReadWholeFile(path);
    LoadXml(bytes);
}

void TXmlDNode::SaveToStream(std::ostream& stream) const
{
    std::string xml = Xml();
    stream.write(xml.data(), static_cast<std::streamsize>(xml.size()));
    stream.flush();
    if (!stream)
        Fail(kErrStreamWrite);
}

void TXmlDNode::SaveToFile(const std::string& path) const
{
    if (path.empty())
        RaiseErrorFmt(kErrCreate, path);
    WriteWholeFile(path, Xml());
}

// ---- node classes ----

void TXmlDDocument::SetNodeValue(const std::string& value)
{
    TXmlDNode::SetNodeValue(value);
}

std::string TXmlDDocument::Text() const
{
    return TXmlDNode::Text();
}

void TXmlDDocument::SetText(const std::string& text)
{
    TXmlDNode::SetText(text);
}

TRef<TXmlDNode> TXmlDDocument::CloneNode() const
{
    return TRef<TXmlDNode>(new TXmlDDocument());
}

TXmlDElement* TXmlDDocument::DocumentElement() const
{
    for (TXmlDNode* c = FirstChild(); c; c = c->NextSibling())
        if (c->NodeType() == ntElement)
            return static_cast<TXmlDElement*>(c);
    return nullptr;
}

void TXmlDDocumentType::SetNodeValue(const std::string& value)
{
    TXmlDNode::SetNodeValue(value);
}

void TXmlDDocumentType::SetText(const std::string& text)
{
    TXmlDNode::SetText(text);
}

TRef<TXmlDNode> TXmlDDocumentType::CloneNode() const
{
    return TRef<TXmlDNode>(new TXmlDDocumentType(Name()));
}

void TXmlDElement::SetNodeValue(const std::string& value)
{
    TXmlDNode::SetNodeValue(value);
}

std::string TXmlDElement::Text() const
{
    return TXmlDNode::Text();
}

void TXmlDElement::SetText(const std::string& text)
{
    ClearChildNodes();
    AppendChild(new TXmlDText(text));
}

TRef<TXmlDNode> TXmlDElement::CloneNode() const
{
    return TRef<TXmlDNode>(new TXmlDElement(TagName()));
}

std::string TXmlDElement::GetAttribute(std::string_view name) const
{
    TXmlDNode* a = HasAttributes() ? Attributes().GetNamedItem(name) : nullptr;
    return a ? a->NodeValue() : std::string();
}

void TXmlDElement::SetAttribute(std::string_view name, std::string value)
{
    TXmlDNode* a = Attributes().GetNamedItem(name);
    if (a) {
        a->SetNodeValue(value);
        return;
    }
    Attributes().Insert(new TXmlDAttribute(std::string(name), std::move(value)), -1);
}

TXmlDAttribute* TXmlDElement::GetAttributeNode(std::string_view name) const
{
    TXmlDNode* a = HasAttributes() ? Attributes().GetNamedItem(name) : nullptr;
    return a && a->NodeType() == ntAttribute ? static_cast<TXmlDAttribute*>(a) : nullptr;
}

TRef<TXmlDNode> TXmlDAttribute::CloneNode() const
{
    return TRef<TXmlDNode>(new TXmlDAttribute(Name(), value_));
}

TRef<TXmlDNode> TXmlDComment::CloneNode() const
{
    return TRef<TXmlDNode>(new TXmlDComment(Data()));
}

TRef<TXmlDNode> TXmlDText::CloneNode() const
{
    return TRef<TXmlDNode>(new TXmlDText(Data()));
}

TRef<TXmlDNode> TXmlDCDATASection::CloneNode() const
{
    return TRef<TXmlDNode>(new TXmlDCDATASection(Data()));
}

TRef<TXmlDNode> TXmlDProcessingInstruction::CloneNode() const
{
    return TRef<TXmlDNode>(new TXmlDProcessingInstruction(Target(), data_));
}

} // namespace wpe
