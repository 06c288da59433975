#include "xml/XXmlDom.h"
#include "util/Prefetch.h"

#include "util/Errors.h"
#include "util/Files.h"
#include "xml/XXml.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <span>
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

// Loaded documents are mostly elements and short texts: one cache line for
// an element, one and a half for a text. (The type and flags share the word
// of the reference count where the compiler reuses a base's tail padding.)
#if !defined(_MSC_VER)
static_assert(sizeof(void*) != 8 || (sizeof(TXmlDElement) == 64 && sizeof(TXmlDText) == 96));
#endif

// ---- names ----

namespace xmldetail {
namespace {

Name* NewName(std::string text)
{
    return new (xmlpool::Allocate(sizeof(Name))) Name{{0}, std::move(text)};
}

void AddNameRef(Name* name) noexcept
{
    if (name->refs.load(std::memory_order_relaxed) >= 0)
        name->refs.fetch_add(1, std::memory_order_relaxed);
}

void ReleaseName(Name* name) noexcept
{
    if (name->refs.load(std::memory_order_relaxed) < 0)
        return;
    if (name->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        name->~Name();
        xmlpool::Free(name, sizeof(Name));
    }
}

SharedName Fixed(Name& name)
{
    return {&name};
}

} // namespace

SharedName DocumentName()
{
    static Name name{{-1}, "#document"};
    return Fixed(name);
}

SharedName TextName()
{
    static Name name{{-1}, "#text"};
    return Fixed(name);
}

SharedName CommentName()
{
    static Name name{{-1}, "#comment"};
    return Fixed(name);
}

SharedName CDataName()
{
    static Name name{{-1}, "#cdata-section"};
    return Fixed(name);
}

} // namespace xmldetail

// ---- the indexed lists, kept beside their nodes ----

// The lists of one node. Few nodes ever have them (loading, writing and
// walking the tree use the links), so they live in a table instead of
// costing every node a pointer.
struct NodeListPair {
    explicit NodeListPair(TXmlDNode* owner) : children(owner, false), attributes(owner, true) {}
    TXmlDNodeList children;
    TXmlDNamedNodeMap attributes;
};

namespace {

struct ListTable {
    std::mutex mutex;
    std::unordered_map<const TXmlDNode*, std::unique_ptr<NodeListPair>> lists;
};

// Never destroyed: nodes held in statics may go after it would have.
ListTable& Lists()
{
    static ListTable* table = new ListTable;
    return *table;
}

} // namespace

NodeListPair& TXmlDNode::ListPair() const
{
    ListTable& table = Lists();
    std::lock_guard<std::mutex> lock(table.mutex);
    std::unique_ptr<NodeListPair>& pair = table.lists[this];
    if (!pair)
        pair = std::make_unique<NodeListPair>(const_cast<TXmlDNode*>(this));
    bits_ |= kHasLists;
    return *pair;
}

TXmlDNodeList& TXmlDNode::ChildNodes() const
{
    return ListPair().children;
}

TXmlDNamedNodeMap& TXmlDNode::Attributes() const
{
    return ListPair().attributes;
}

void TXmlDNode::ChainChanged() const
{
    if (!HasLists())
        return;
    ListTable& table = Lists();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.lists.find(this);
    if (it != table.lists.end()) {
        it->second->children.Invalidate();
        it->second->attributes.Invalidate();
    }
}

// ---- TXmlDNode: the chains ----

TXmlDNode::TXmlDNode(XmlNodeType type, std::string name) : TXmlDNode(type, {xmldetail::NewName(std::move(name))}) {}

TXmlDNode::TXmlDNode(XmlNodeType type, xmldetail::SharedName name) : bits_(type), name_(name.name)
{
    xmldetail::AddNameRef(name_);
}

TXmlDNode::~TXmlDNode()
{
    if (HasLists()) {
        ListTable& table = Lists();
        std::lock_guard<std::mutex> lock(table.mutex);
        table.lists.erase(this);
    }
    xmldetail::ReleaseName(name_);
    if (!firstChild_ && !firstAttr_)
        return;
    // Children and attributes that only this node holds are destroyed here,
    // last first and each after what it holds, walking down and up the tree
    // instead of recursing, so a deep tree costs no stack. That is the reverse
    // of the order a load made them in, so the pool hands the blocks out in
    // their memory order again to the next load. Nodes held elsewhere just
    // lose their links to the tree.
    TXmlDNode* n = this;
    for (;;) {
        TXmlDNode*& head = n->firstChild_ ? n->firstChild_ : n->firstAttr_;
        if (!head) {
            if (n == this)
                return;
            TXmlDNode* up = n->parent_;
            delete n; // holds nothing any more, so this does not recurse
            n = up;
            continue;
        }
        TXmlDNode* last = head->prev_;
        if (last == head) {
            head = nullptr;
        } else {
            head->prev_ = last->prev_;
            last->prev_->next_ = nullptr;
        }
        if (last->refCount_ > 1) {
            --last->refCount_;
            last->parent_ = last->prev_ = nullptr;
            last->bits_ &= ~kInAttributes;
        } else {
            n = last; // its parent link leads back up
        }
    }
}

int TXmlDNode::ChildCount() const
{
    const std::uint32_t count = bits_ >> kCountShift;
    return count == kCountUnknown ? CountOf(firstChild_) : static_cast<int>(count);
}

void TXmlDNode::AddToChildCount(int delta)
{
    std::uint32_t count = bits_ >> kCountShift;
    if (count == kCountUnknown)
        return;
    count = static_cast<std::uint32_t>(static_cast<int>(count) + delta);
    bits_ = (bits_ & ((1u << kCountShift) - 1)) | (std::min(count, kCountUnknown) << kCountShift);
}

int TXmlDNode::CountOf(const TXmlDNode* head)
{
    int n = 0;
    for (; head; head = head->next_)
        ++n;
    return n;
}

TXmlDNode* TXmlDNode::Nth(TXmlDNode* head, int index, int count)
{
    if (count >= 0 && index > count / 2) {
        TXmlDNode* n = head->prev_;
        for (int i = count - 1; i > index; --i)
            n = n->prev_;
        return n;
    }
    TXmlDNode* n = head;
    for (int i = 0; i < index; ++i)
        n = n->next_;
    return n;
}

int TXmlDNode::PositionOf(const TXmlDNode* node)
{
    const TXmlDNode* head = node->parent_->HeadOf(node->InAttributes());
    int index = 0;
    for (const TXmlDNode* n = node; n != head; n = n->prev_)
        ++index;
    return index;
}

void TXmlDNode::Link(TXmlDNode* owner, bool attributes, TXmlDNode* node, TXmlDNode* before) noexcept
{
    TXmlDNode*& head = owner->HeadOf(attributes);
    node->AddRef();
    node->parent_ = owner;
    if (attributes)
        node->bits_ |= kInAttributes;
    if (!head) {
        head = node;
        node->prev_ = node;
        node->next_ = nullptr;
    } else if (!before) {
        TXmlDNode* last = head->prev_;
        last->next_ = node;
        node->prev_ = last;
        node->next_ = nullptr;
        head->prev_ = node;
    } else {
        node->next_ = before;
        node->prev_ = before->prev_;
        if (before == head)
            head = node;
        else
            before->prev_->next_ = node;
        before->prev_ = node;
    }
    if (!attributes)
        owner->AddToChildCount(1);
    owner->ChainChanged();
}

void TXmlDNode::Unlink(TXmlDNode* node) noexcept
{
    TXmlDNode* owner = node->parent_;
    const bool attributes = node->InAttributes();
    TXmlDNode*& head = owner->HeadOf(attributes);
    TXmlDNode* next = node->next_;
    if (node == head) {
        head = next;
        if (next)
            next->prev_ = node->prev_;
    } else {
        node->prev_->next_ = next;
        if (next)
            next->prev_ = node->prev_;
        else
            head->prev_ = node->prev_;
    }
    node->parent_ = node->prev_ = node->next_ = nullptr;
    node->bits_ &= ~kInAttributes;
    if (!attributes)
        owner->AddToChildCount(-1);
    owner->ChainChanged();
}

void TXmlDNode::ClearChain(bool attributes) noexcept
{
    while (TXmlDNode* head = HeadOf(attributes)) {
        TXmlDNode* last = head->prev_;
        Unlink(last);
        last->Release();
    }
}

// ---- TXmlDNodeList ----

TXmlDNode* TXmlDNodeList::Head() const
{
    return owner_->HeadOf(attributes_);
}

void TXmlDNodeList::CheckIndex(int index, int limit) const
{
    if (index < 0 || index > limit)
        FailIndex(index);
}

int TXmlDNodeList::Count() const
{
    if (count_ < 0)
        count_ = attributes_ ? TXmlDNode::CountOf(Head()) : owner_->ChildCount();
    return count_;
}

TXmlDNode* TXmlDNodeList::Item(int index) const
{
    const int count = Count();
    CheckIndex(index, count - 1);
    TXmlDNode* n;
    if (cursor_ && std::abs(index - cursorIndex_) <= std::min(index, count - 1 - index)) {
        n = cursor_;
        for (int i = cursorIndex_; i < index; ++i)
            n = n->next_;
        for (int i = cursorIndex_; i > index; --i)
            n = n->prev_;
    } else {
        n = TXmlDNode::Nth(Head(), index, count);
    }
    cursor_ = n;
    cursorIndex_ = index;
    return n;
}

int TXmlDNodeList::Insert(const TRef<TXmlDNode>& node, int index)
{
    if (!node)
        Fail(kErrNoNode);
    if (node->parent_)
        Fail(kErrTwoLists);
    const int count = Count();
    if (index == -1)
        index = count;
    CheckIndex(index, count);
    // A node put inside itself would never be freed nor end when written.
    owner_->CheckNotAncestor(node.get());
    TXmlDNode::Link(owner_, attributes_, node.get(), index < count ? Item(index) : nullptr);
    return index;
}

void TXmlDNodeList::Delete(int index)
{
    TXmlDNode* n = Item(index);
    TXmlDNode::Unlink(n);
    n->Release();
}

int TXmlDNodeList::Replace(const TRef<TXmlDNode>& node, int index)
{
    if (!node)
        Fail(kErrNoNode);
    if (node->parent_)
        Fail(kErrReplaceTwoLists);
    CheckIndex(index, Count() - 1);
    owner_->CheckNotAncestor(node.get());
    Delete(index);
    return Insert(node, index);
}

int TXmlDNodeList::IndexOf(const TXmlDNode* node) const
{
    if (!node || node->parent_ != owner_ || node->InAttributes() != attributes_)
        return -1;
    return TXmlDNode::PositionOf(node);
}

TXmlDNode* TXmlDNodeList::FindByName(std::string_view name, int* index) const
{
    int i = 0;
    for (TXmlDNode* n = Head(); n; n = n->next_, ++i) {
        if (n->NodeName() == name) {
            if (index)
                *index = i;
            return n;
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
    owner_->ClearChain(attributes_);
}

// ---- TXmlDNode: structure ----

bool TXmlDNode::Accepts(XmlNodeType childType) const
{
    switch (NodeType()) {
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
    // A node with nothing below it cannot be above anything; this keeps loading linear.
    if (!node->HasChildNodes() && !node->HasAttributes())
        return;
    for (const TXmlDNode* p = parent_; p; p = p->parent_)
        if (p == node)
            Fail(kErrInsideItself);
}

TXmlDNode* TXmlDNode::FindAttribute(std::string_view name) const
{
    for (TXmlDNode* a = firstAttr_; a; a = a->next_)
        if (a->NodeName() == name)
            return a;
    return nullptr;
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
    TXmlDNode* n = node.get();
    int count = ChildCount();
    if (index != -1 && (index < 0 || index > count))
        FailIndex(index);
    if (n->parent_) {
        // The caller's reference keeps it alive between the two lists.
        const bool wasChild = n->parent_ == this && !n->InAttributes();
        Unlink(n);
        n->Release();
        if (wasChild)
            --count;
    }
    if (index == -1 || index > count)
        index = count;
    Link(this, false, n, index < count ? Nth(firstChild_, index, count) : nullptr);
    return index;
}

int TXmlDNode::RemoveChild(TXmlDNode* node)
{
    if (!node || node->parent_ != this || node->InAttributes())
        Fail(kErrNoChildToRemove);
    const int index = PositionOf(node);
    Unlink(node);
    node->Release();
    return index;
}

TXmlDNode* TXmlDNode::SelectChild(std::string_view name) const
{
    for (TXmlDNode* c = firstChild_; c; c = c->next_)
        if (c->NodeName() == name)
            return c;
    return nullptr;
}

void TXmlDNode::ClearChildNodes()
{
    ClearChain(false);
}

void TXmlDNode::ClearAttributes()
{
    ClearChain(true);
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
    for (const TXmlDNode* a : node->AttributeNodes()) {
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

// Builds the tree below target from the reader's tokens, keeping the current
// element instead of recursing, so nesting depth costs no stack. Tag and
// attribute names are shared by the nodes that carry them.
class TreeBuilder {
public:
    TreeBuilder(TXmlDNode& target, TXmlReader& reader) : target_(target), reader_(reader) {}
    ~TreeBuilder()
    {
        for (xmldetail::Name* name : names_.Slots())
            if (name)
                xmldetail::ReleaseName(name);
    }

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
        case tkStartTag: {
            TRef<TXmlDNode> e(new TXmlDElement(Shared(reader_.Name())));
            target_.AppendChild(e);
            Enter(e.get());
            break;
        }
        default:
            throw EXmlError(kErrBadConstruct, reader_.Offset());
        }
    }

    // An element takes every kind of node the reader gives inside it but a
    // document type, so the checks of InsertChild are left out for the rest.
    void ElementToken(XmlTokenKind kind)
    {
        switch (kind) {
        case tkProcessingInstruction:
            Append(new TXmlDProcessingInstruction(reader_.Name(), reader_.Value()));
            break;
        case tkDocumentType:
            current_->AppendChild(new TXmlDDocumentType(reader_.Name()));
            break;
        case tkComment:
            Append(new TXmlDComment(reader_.Value()));
            break;
        case tkCData:
            Append(new TXmlDCDATASection(reader_.Value()));
            break;
        case tkAttribute:
            SetAttribute();
            break;
        case tkStartTag: {
            auto* e = new TXmlDElement(Shared(reader_.Name()));
            Append(e);
            Enter(e);
            break;
        }
        case tkText:
            AddText();
            break;
        case tkEndTag:
            if (reader_.Name() != current_->NodeName())
                throw EXmlError(kErrTagMismatch, reader_.Offset());
            current_ = current_->parent_ == &target_ ? nullptr : current_->parent_;
            break;
        default:
            break;
        }
    }

    void Append(TXmlDNode* node) noexcept { TXmlDNode::Link(current_, false, node, nullptr); }

    void Enter(TXmlDNode* element)
    {
        current_ = element;
        attrCount_ = 0;
        if (!attrIndex_.empty())
            attrIndex_ = {}; // clear() would keep every bucket of a big element
    }

    // The names met in this load: an open-addressing table, small ones
    // kept inline, since a document of a few hundred nodes has a few dozen
    // names and a general hash map costs more than the names save.
    class NameTable {
    public:
        std::span<xmldetail::Name* const> Slots() const { return {slots_, mask_ + 1}; }
        // The slot where text is, or the empty slot where it goes.
        xmldetail::Name*& Find(std::string_view text)
        {
            std::uint32_t h = 2166136261u;
            for (char c : text)
                h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
            for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
                xmldetail::Name*& slot = slots_[i];
                if (!slot || slot->text == text)
                    return slot;
            }
        }
        // Makes room once an added name fills half the table.
        void Added()
        {
            if (++used_ * 2 <= mask_ + 1)
                return;
            std::vector<xmldetail::Name*> old(slots_, slots_ + mask_ + 1);
            grown_.assign(2 * old.size(), nullptr);
            slots_ = grown_.data();
            mask_ = grown_.size() - 1;
            for (xmldetail::Name* name : old)
                if (name)
                    Find(name->text) = name;
        }

    private:
        xmldetail::Name* inline_[64] = {};
        std::vector<xmldetail::Name*> grown_;
        xmldetail::Name** slots_ = inline_;
        std::size_t mask_ = 63;
        std::size_t used_ = 0;
    };

    // The one copy of a name for this load.
    xmldetail::SharedName Shared(const std::string& text)
    {
        if (last_ && last_->text == text)
            return {last_};
        xmldetail::Name*& slot = names_.Find(text);
        if (!slot) {
            slot = xmldetail::NewName(text);
            xmldetail::AddNameRef(slot); // the builder's own, given back at the end
            last_ = slot;
            names_.Added();
        } else {
            last_ = slot;
        }
        return {last_};
    }

    // A repeated name keeps its first place and takes the last value. Names
    // of one load are shared, so they compare as pointers; many attributes
    // on one element are looked up through an index, so loading stays linear.
    void SetAttribute()
    {
        xmldetail::Name* name = Shared(reader_.Name()).name;
        TXmlDNode* found = nullptr;
        if (attrCount_ < kIndexFrom) {
            for (TXmlDNode* a = current_->firstAttr_; a; a = a->next_)
                if (a->name_ == name) {
                    found = a;
                    break;
                }
        } else {
            if (attrIndex_.empty())
                for (TXmlDNode* a = current_->firstAttr_; a; a = a->next_)
                    attrIndex_.emplace(a->name_, a);
            auto it = attrIndex_.find(name);
            if (it != attrIndex_.end())
                found = it->second;
        }
        if (found) {
            static_cast<TXmlDAttribute*>(found)->SetValue(XmlUnescape(reader_.Value()));
            return;
        }
        auto* a = new TXmlDAttribute(xmldetail::SharedName{name}, XmlUnescape(reader_.Value()));
        TXmlDNode::Link(current_, true, a, nullptr);
        ++attrCount_;
        if (!attrIndex_.empty())
            attrIndex_.emplace(name, a);
    }

    // White space that spans lines is layout, not content. (Most texts are
    // either that or start with a letter, so white space is looked at first.)
    void AddText()
    {
        const std::string& v = reader_.Value();
        if (std::all_of(v.begin(), v.end(), IsWhite) &&
            (std::memchr(v.data(), '\n', v.size()) || std::memchr(v.data(), '\r', v.size())))
            return;
        Append(new TXmlDText(XmlUnescape(v)));
    }

    static constexpr int kIndexFrom = 8;

    TXmlDNode& target_;
    TXmlReader& reader_;
    TXmlDNode* current_ = nullptr;
    int attrCount_ = 0;
    std::unordered_map<const xmldetail::Name*, TXmlDNode*> attrIndex_;
    NameTable names_;
    xmldetail::Name* last_ = nullptr;
};

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
    return TRef<TXmlDNode>(new TXmlDElement(SharedNodeName()));
}

std::string TXmlDElement::GetAttribute(std::string_view name) const
{
    TXmlDNode* a = FindAttribute(name);
    return a ? a->NodeValue() : std::string();
}

void TXmlDElement::SetAttribute(std::string_view name, std::string value)
{
    TXmlDNode* a = FindAttribute(name);
    if (a) {
        a->SetNodeValue(value);
        return;
    }
    Link(this, true, new TXmlDAttribute(std::string(name), std::move(value)), nullptr);
}

TXmlDAttribute* TXmlDElement::GetAttributeNode(std::string_view name) const
{
    TXmlDNode* a = FindAttribute(name);
    return a && a->NodeType() == ntAttribute ? static_cast<TXmlDAttribute*>(a) : nullptr;
}

TRef<TXmlDNode> TXmlDAttribute::CloneNode() const
{
    return TRef<TXmlDNode>(new TXmlDAttribute(SharedNodeName(), value_));
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
