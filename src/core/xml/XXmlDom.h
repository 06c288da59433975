#pragma once
// The XML document model: a tree of reference-counted nodes in the manner of
// the W3C DOM, loaded through TXmlReader and written back as compact text.
//
// Ownership:
// - Nodes are TRefObjects. A new node has count 0; every TRef that holds it
//   owns one reference, and the node is destroyed when the last reference
//   goes. Hold a document (or any node you keep) in a TRef.
// - A node holds one reference to each of its children and attributes.
//   Parent and sibling links are plain pointers that own nothing, so
//   parent <-> child never forms a reference cycle.
// - Accessors that return raw pointers (ParentNode, FirstChild, Item,
//   SelectChild, ...) point into the tree: valid while the tree holds the node.
//   To keep a node after it may leave the tree, put it in a TRef.
// - A node's ChildNodes() and Attributes() live as long as the node. When a
//   node is destroyed, its former children lose their parent and sibling links.
// - Destruction, loading, Xml and Text use no recursion over depth, so
//   documents nested a hundred thousand deep are safe.
// - Operations that take a node (AppendChild, InsertChild, Insert, ...) take a
//   TRef, so a fresh `new TXmlDText("x")` is freed if the operation throws.
// - Freed nodes keep their memory in a per-thread pool (at most 32 MB) for
//   the next document; nothing else about them changes.
// - A tree belongs to one thread at a time; nodes of different trees may be
//   used on different threads.
//
// Errors are wpe::Exception carrying the model's own (Russian) texts; reader
// errors (EXmlReader) pass through loading unchanged.

#include "util/Exception.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace wpe {

// ---- memory ----

namespace xmlpool {
// Small blocks for nodes, lists and their item arrays come from a
// per-thread free list, since whole documents of them are built and freed
// at a time; larger ones from the heap. Free with the size allocated.
void* Allocate(std::size_t size);
void Free(void* p, std::size_t size) noexcept;

template <class T>
struct Allocator {
    using value_type = T;
    Allocator() noexcept = default;
    template <class U>
    Allocator(const Allocator<U>&) noexcept
    {
    }
    T* allocate(std::size_t n) { return static_cast<T*>(Allocate(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { Free(p, n * sizeof(T)); }
    template <class U>
    bool operator==(const Allocator<U>&) const noexcept
    {
        return true;
    }
};
} // namespace xmlpool

// ---- reference counting ----

class TRefObject {
public:
    TRefObject() = default;
    TRefObject(const TRefObject&) = delete;
    TRefObject& operator=(const TRefObject&) = delete;
    virtual ~TRefObject() = default;

    // Nodes come and go by the ten thousand while documents load and are
    // freed; blocks are recycled per thread instead of going back to malloc.
    static void* operator new(std::size_t size) { return xmlpool::Allocate(size); }
    static void operator delete(void* p, std::size_t size) noexcept { xmlpool::Free(p, size); }

    // Takes one reference.
    void AddRef() noexcept { ++refCount_; }
    // Gives one reference back; the last one destroys the object.
    void Release() noexcept
    {
        if (refCount_ > 1)
            --refCount_;
        else
            delete this;
    }
    // The number of references held.
    std::int32_t RefCount() const noexcept { return refCount_; }

protected:
    std::int32_t refCount_ = 0;
};

// A holder of one reference to a TRefObject (or nothing).
template <class T>
class TRef {
public:
    TRef() noexcept = default;
    TRef(std::nullptr_t) noexcept {}
    // Takes a reference to p (which may be null).
    TRef(T* p) noexcept : p_(p)
    {
        if (p_)
            p_->AddRef();
    }
    TRef(const TRef& o) noexcept : TRef(o.p_) {}
    TRef(TRef&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    template <class U>
        requires std::is_convertible_v<U*, T*>
    TRef(const TRef<U>& o) noexcept : TRef(static_cast<T*>(o.get()))
    {
    }
    template <class U>
        requires std::is_convertible_v<U*, T*>
    TRef(TRef<U>&& o) noexcept : p_(o.Detach())
    {
    }
    ~TRef()
    {
        if (p_)
            p_->Release();
    }
    // Assigning the object already held changes nothing.
    TRef& operator=(const TRef& o) noexcept
    {
        Assign(o.p_);
        return *this;
    }
    TRef& operator=(TRef&& o) noexcept
    {
        if (this != &o) {
            T* old = std::exchange(p_, std::exchange(o.p_, nullptr));
            if (old)
                old->Release();
        }
        return *this;
    }
    TRef& operator=(T* p) noexcept
    {
        Assign(p);
        return *this;
    }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    T& operator*() const noexcept { return *p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    // Drops the reference held.
    void Reset() noexcept { Assign(nullptr); }
    // Gives up the reference without releasing it; the caller now owns it.
    T* Detach() noexcept { return std::exchange(p_, nullptr); }

    friend bool operator==(const TRef& a, const TRef& b) noexcept { return a.p_ == b.p_; }
    friend bool operator==(const TRef& a, const T* b) noexcept { return a.p_ == b; }
    friend bool operator==(const TRef& a, std::nullptr_t) noexcept { return a.p_ == nullptr; }

private:
    void Assign(T* p) noexcept
    {
        if (p == p_)
            return;
        if (p)
            p->AddRef();
        T* old = std::exchange(p_, p);
        if (old)
            old->Release();
    }

    T* p_ = nullptr;
};

// A new T held by a TRef.
template <class T, class... Args>
TRef<T> MakeRef(Args&&... args)
{
    return TRef<T>(new T(std::forward<Args>(args)...));
}

// ---- node types ----

// Type codes of nodes; the classless ones exist for their names only.
enum XmlNodeType : std::uint8_t {
    ntElement = 0,
    ntAttribute = 1,
    ntText = 2,
    ntCDATASection = 3,
    ntEntityReference = 4,
    ntEntity = 5,
    ntProcessingInstruction = 6,
    ntComment = 7,
    ntDocument = 8,
    ntDocumentType = 9,
    ntDocumentFragment = 10,
    ntNotation = 11,
};

// The type name used in messages: "element", "attribute", "text",
// "cdatasection", ..., "documenttype", "documentfragment", "notation".
const std::string& XmlNodeTypeName(XmlNodeType type);

// Replaces & < > " ' by "&amp;" "&lt;" "&gt;" "&quot;" "&apos;".
std::string XmlEscape(std::string_view s);
// Decodes the five predefined entities only; every other entity or character
// reference stays as written.
std::string XmlUnescape(std::string_view s);

class TXmlDNode;
class TXmlDElement;
struct NodeListPair;
class TXmlDAttribute;

namespace xmldetail {
// A node name shared by the nodes that carry it: the nodes of one loaded
// document, and clones, share one copy of each tag and attribute name. Freed
// with the last node that carries it (an atomic count, as nodes of one load
// may end up in trees on different threads); the fixed names ("#text", ...)
// are never counted.
struct Name {
    std::atomic<std::int32_t> refs; // < 0: a fixed name
    std::string text;
};
// A reference to name for a new node (a name with no reference yet may be
// passed: the node takes the first).
struct SharedName {
    Name* name;
};
// The fixed names of documents, texts, comments and CDATA sections.
SharedName DocumentName();
SharedName TextName();
SharedName CommentName();
SharedName CDataName();
} // namespace xmldetail

// Iteration over a chain of sibling nodes (raw pointers, owned by the tree).
class TXmlDNodeIterator {
public:
    using value_type = TXmlDNode*;
    using difference_type = std::ptrdiff_t;
    TXmlDNodeIterator() = default;
    explicit TXmlDNodeIterator(TXmlDNode* n) : n_(n) {}
    TXmlDNode* operator*() const { return n_; }
    inline TXmlDNodeIterator& operator++();
    TXmlDNodeIterator operator++(int)
    {
        TXmlDNodeIterator old = *this;
        ++*this;
        return old;
    }
    bool operator==(const TXmlDNodeIterator&) const = default;

private:
    TXmlDNode* n_ = nullptr;
};

// The children or the attributes of a node, for range-for.
class TXmlDNodeRange {
public:
    explicit TXmlDNodeRange(TXmlDNode* first) : first_(first) {}
    TXmlDNodeIterator begin() const { return TXmlDNodeIterator(first_); }
    TXmlDNodeIterator end() const { return {}; }

private:
    TXmlDNode* first_;
};

// ---- node lists ----

// The children (or the attributes) of a node as an indexed list. The list
// holds a reference to each item; its items have the list's owner as their
// ParentNode and are linked as siblings. It lives as long as its owner.
class TXmlDNodeList {
public:
    TXmlDNodeList(const TXmlDNodeList&) = delete;
    TXmlDNodeList& operator=(const TXmlDNodeList&) = delete;

    // The node whose children (or attributes) these are.
    TXmlDNode* Owner() const { return owner_; }
    int Count() const;
    // The item at index; an index out of range raises an error.
    TXmlDNode* Item(int index) const;
    // Inserts node at index (-1 appends) and returns its index. A node that
    // already has a parent raises "XML: Нельзя добавлять узел в два списка".
    int Insert(const TRef<TXmlDNode>& node, int index);
    // Removes the item at index: it loses its parent and sibling links and
    // the list's reference (so it is destroyed if nobody else holds it).
    void Delete(int index);
    // Puts node in place of the item at index; returns index. A node that
    // already has a parent raises "XML: Нельзя добавлять подузел в два списка".
    int Replace(const TRef<TXmlDNode>& node, int index);
    // Index of node, or -1.
    int IndexOf(const TXmlDNode* node) const;
    // The first item whose node name equals name exactly (with its index via
    // index when given), or null and -1.
    TXmlDNode* FindByName(std::string_view name, int* index = nullptr) const;
    // The first item named name, or null.
    TXmlDNode* GetNamedItem(std::string_view name) const { return FindByName(name); }
    // Replaces the item of the same name, else appends; returns its index.
    int SetNamedItem(const TRef<TXmlDNode>& node);
    // Removes every item, the last first.
    void Clear();

    // Iteration over the items.
    TXmlDNodeIterator begin() const { return TXmlDNodeIterator(Head()); }
    TXmlDNodeIterator end() const { return {}; }

protected:
    TXmlDNodeList(TXmlDNode* owner, bool attributes) : owner_(owner), attributes_(attributes) {}

private:
    friend class TXmlDNode;
    friend struct NodeListPair;
    TXmlDNode* Head() const;
    void CheckIndex(int index, int limit) const;
    // Forgets the remembered count and position after the items changed.
    void Invalidate() const
    {
        count_ = -1;
        cursor_ = nullptr;
    }

    TXmlDNode* owner_;
    bool attributes_;
    // Remembered by Count and Item, so that a loop over the indexes does
    // not walk the chain from the start at every step.
    mutable int count_ = -1;
    mutable int cursorIndex_ = 0;
    mutable TXmlDNode* cursor_ = nullptr;
};

// The attributes of an element, looked up by name.
class TXmlDNamedNodeMap : public TXmlDNodeList {
protected:
    using TXmlDNodeList::TXmlDNodeList;
    friend struct NodeListPair;
};

// ---- nodes ----

// Children and attributes are chains of sibling links held by the parent
// (first item, and the first item's PreviousSibling link points at the last
// one inside), so a node costs a few pointers and loading allocates no list
// objects. The indexed lists of ChildNodes() and Attributes() are made on
// first use and kept beside the node until it is destroyed.
class TXmlDNode : public TRefObject {
public:
    ~TXmlDNode() override;

    XmlNodeType NodeType() const { return static_cast<XmlNodeType>(bits_ & kTypeBits); }
    // The type name ("element", "text", ...).
    const std::string& NodeTypeString() const { return XmlNodeTypeName(NodeType()); }
    // The name fixed at creation: tag name, attribute name, PI target,
    // document type name, or "#document", "#text", "#cdata-section", "#comment".
    const std::string& NodeName() const { return name_->text; }

    // The value: attribute value, character data, PI data; empty for document,
    // document type and element.
    virtual std::string NodeValue() const;
    // Sets the value; document, document type and element raise
    // "XML: Нельзя изменять значение узла \"<type>\"".
    virtual void SetNodeValue(const std::string& value);
    // Element and document: all character data below (texts and CDATA of
    // descendant elements, in order). Others: their value; document type: empty.
    virtual std::string Text() const;
    // Element: replaces all children with one text node (also when empty).
    // Document and document type raise "XML: Нельзя изменять текст узла \"<type>\"".
    virtual void SetText(const std::string& text);
    // The compact serialisation: no declaration, indentation or line breaks
    // added; text and attribute values escaped, CDATA and comments as held.
    std::string Xml() const;
    // The Xml of the children, concatenated.
    std::string InnerXml() const;
    // A shallow copy: an element's clone has neither attributes nor children.
    virtual TRef<TXmlDNode> CloneNode() const = 0;

    TXmlDNode* ParentNode() const { return parent_; }
    TXmlDNode* PreviousSibling() const
    {
        return parent_ && parent_->HeadOf(InAttributes()) == this ? nullptr : prev_;
    }
    TXmlDNode* NextSibling() const { return next_; }
    // The child list as an indexed list; lives as long as the node.
    TXmlDNodeList& ChildNodes() const;
    // The attribute map; lives as long as the node.
    TXmlDNamedNodeMap& Attributes() const;
    // The children, and the attributes, for range-for (cheaper than the lists).
    TXmlDNodeRange Children() const { return TXmlDNodeRange(firstChild_); }
    TXmlDNodeRange AttributeNodes() const { return TXmlDNodeRange(firstAttr_); }
    TXmlDNode* FirstChild() const { return firstChild_; }
    TXmlDNode* LastChild() const { return firstChild_ ? firstChild_->prev_ : nullptr; }
    bool HasChildNodes() const { return firstChild_ != nullptr; }
    bool HasAttributes() const { return firstAttr_ != nullptr; }
    // The first attribute named name exactly, or null.
    TXmlDNode* FindAttribute(std::string_view name) const;

    // Inserts node among the children at index (-1 appends) and returns its
    // index. The parent's type decides which child types it takes (a refusal
    // raises "XML: узел \"<parent>\" не может содержать подузел \"<child>\"" or
    // "XML: узел \"<parent>\" не может содержать подузлы"). A node that has a
    // parent is moved: it leaves its old parent first. A node cannot be put
    // inside itself or its own descendants.
    int InsertChild(const TRef<TXmlDNode>& node, int index);
    // InsertChild at the end.
    int AppendChild(const TRef<TXmlDNode>& node) { return InsertChild(node, -1); }
    // Removes node from the children and returns the index it had; a node
    // that is not a child raises "XML: Не найден подузел для удаления".
    int RemoveChild(TXmlDNode* node);
    // The first child whose node name equals name exactly, or null.
    TXmlDNode* SelectChild(std::string_view name) const;
    // Removes all children (the last first).
    void ClearChildNodes();
    // Removes all attributes (the last first).
    void ClearAttributes();
    // " name=\"value\"" for each attribute in order; empty when none.
    std::string AttributesXml() const;

    // Loading replaces all children and attributes with what the input
    // holds. On an error the node keeps what was built up to that point and
    // the error passes on. Elements still open at the end of input are kept.
    void LoadFromStream(std::istream& stream);
    // Reads the whole file, then loads it; a missing or locked file raises
    // the system's file error with the file name.
    void LoadFromFile(const std::string& path);
    // Loads the bytes of xml.
    void LoadXml(std::string_view xml);
    // Writes the bytes of Xml to stream; a stream failure raises an error.
    void SaveToStream(std::ostream& stream) const;
    // Writes the bytes of Xml to the file atomically (temporary file, then
    // rename), so a failure never leaves a half-written file.
    void SaveToFile(const std::string& path) const;

protected:
    TXmlDNode(XmlNodeType type, std::string name);
    TXmlDNode(XmlNodeType type, xmldetail::SharedName name);
    xmldetail::SharedName SharedNodeName() const { return {name_}; }
    // Links a node that is in no list into a chain of owner, before `before`
    // (null: at the end), taking a reference. No checks.
    static void Link(TXmlDNode* owner, bool attributes, TXmlDNode* node, TXmlDNode* before) noexcept;

private:
    friend class TXmlDNodeList;
    friend class TXmlDNodeIterator;
    friend class TreeBuilder;
    bool Accepts(XmlNodeType childType) const;
    void CheckNotAncestor(const TXmlDNode* node) const;
    // The head of the children's or the attributes' chain.
    TXmlDNode*& HeadOf(bool attributes) { return attributes ? firstAttr_ : firstChild_; }
    TXmlDNode* HeadOf(bool attributes) const { return attributes ? firstAttr_ : firstChild_; }
    bool InAttributes() const { return (bits_ & kInAttributes) != 0; }
    bool HasLists() const { return (bits_ & kHasLists) != 0; }
    // The number of children (walked when there are too many to count here).
    int ChildCount() const;
    void AddToChildCount(int delta);
    // The item at index of that chain (index < its length), walking from
    // whichever end is nearer when the count is known (count >= 0).
    static TXmlDNode* Nth(TXmlDNode* head, int index, int count);
    static int CountOf(const TXmlDNode* head);
    static int PositionOf(const TXmlDNode* node);
    // Unlinks a node from the chain it is in; the reference it held for the
    // list is now the caller's.
    static void Unlink(TXmlDNode* node) noexcept;
    // Unlinks and releases every item of a chain, the last first.
    void ClearChain(bool attributes) noexcept;
    void ChainChanged() const;
    NodeListPair& ListPair() const;

    // The type, two flags and the number of children, in the space the
    // reference count leaves: type, in its parent's attributes (not its
    // children), ChildNodes() or Attributes() made for it, children counted
    // up to a limit (kCountUnknown: past it, counted by walking).
    static constexpr std::uint32_t kTypeBits = 0x0F;
    static constexpr std::uint32_t kInAttributes = 0x10;
    static constexpr std::uint32_t kHasLists = 0x20;
    static constexpr int kCountShift = 8;
    static constexpr std::uint32_t kCountUnknown = 0xFFFFFF;
    mutable std::uint32_t bits_;
    xmldetail::Name* name_;
    TXmlDNode* parent_ = nullptr;
    TXmlDNode* prev_ = nullptr; // the first item's points at the last item
    TXmlDNode* next_ = nullptr;
    TXmlDNode* firstChild_ = nullptr;
    TXmlDNode* firstAttr_ = nullptr;
};

inline TXmlDNodeIterator& TXmlDNodeIterator::operator++()
{
    n_ = n_->next_;
    return *this;
}

// A document: the root of a tree. It may hold several elements.
class TXmlDDocument : public TXmlDNode {
public:
    TXmlDDocument() : TXmlDNode(ntDocument, xmldetail::DocumentName()) {}
    void SetNodeValue(const std::string& value) override;
    std::string Text() const override;
    void SetText(const std::string& text) override;
    TRef<TXmlDNode> CloneNode() const override;
    // The first child that is an element, or null.
    TXmlDElement* DocumentElement() const;
};

// A document type declaration; only its name is kept.
class TXmlDDocumentType : public TXmlDNode {
public:
    explicit TXmlDDocumentType(std::string name) : TXmlDNode(ntDocumentType, std::move(name)) {}
    const std::string& Name() const { return NodeName(); }
    void SetNodeValue(const std::string& value) override;
    std::string Text() const override { return {}; }
    void SetText(const std::string& text) override;
    TRef<TXmlDNode> CloneNode() const override;
};

class TXmlDElement : public TXmlDNode {
public:
    explicit TXmlDElement(std::string tagName) : TXmlDNode(ntElement, std::move(tagName)) {}
    explicit TXmlDElement(xmldetail::SharedName tagName) : TXmlDNode(ntElement, tagName) {}
    const std::string& TagName() const { return NodeName(); }
    void SetNodeValue(const std::string& value) override;
    std::string Text() const override;
    void SetText(const std::string& text) override;
    TRef<TXmlDNode> CloneNode() const override;

    // The attribute's value, or "" when there is none.
    std::string GetAttribute(std::string_view name) const;
    // Sets the existing attribute's value, or appends a new attribute.
    void SetAttribute(std::string_view name, std::string value);
    // The attribute node, or null.
    TXmlDAttribute* GetAttributeNode(std::string_view name) const;
};

class TXmlDAttribute : public TXmlDNode {
public:
    explicit TXmlDAttribute(std::string name, std::string value = {})
        : TXmlDNode(ntAttribute, std::move(name)), value_(std::move(value))
    {
    }
    TXmlDAttribute(xmldetail::SharedName name, std::string value)
        : TXmlDNode(ntAttribute, name), value_(std::move(value))
    {
    }
    const std::string& Name() const { return NodeName(); }
    const std::string& Value() const { return value_; }
    void SetValue(std::string value) { value_ = std::move(value); }
    std::string NodeValue() const override { return value_; }
    void SetNodeValue(const std::string& value) override { value_ = value; }
    std::string Text() const override { return value_; }
    void SetText(const std::string& text) override { value_ = text; }
    TRef<TXmlDNode> CloneNode() const override;

private:
    std::string value_;
};

// Comments, text and CDATA sections: a node that holds character data.
class TXmlDCharacterData : public TXmlDNode {
public:
    const std::string& Data() const { return data_; }
    void SetData(std::string data) { data_ = std::move(data); }
    std::string NodeValue() const override { return data_; }
    void SetNodeValue(const std::string& value) override { data_ = value; }
    std::string Text() const override { return data_; }
    void SetText(const std::string& text) override { data_ = text; }

protected:
    TXmlDCharacterData(XmlNodeType type, xmldetail::SharedName name, std::string data)
        : TXmlDNode(type, name), data_(std::move(data))
    {
    }

private:
    std::string data_;
};

class TXmlDComment : public TXmlDCharacterData {
public:
    explicit TXmlDComment(std::string data) : TXmlDCharacterData(ntComment, xmldetail::CommentName(), std::move(data)) {}
    TRef<TXmlDNode> CloneNode() const override;
};

// Character data; written escaped.
class TXmlDText : public TXmlDCharacterData {
public:
    explicit TXmlDText(std::string data) : TXmlDCharacterData(ntText, xmldetail::TextName(), std::move(data)) {}
    TRef<TXmlDNode> CloneNode() const override;

protected:
    TXmlDText(XmlNodeType type, xmldetail::SharedName name, std::string data)
        : TXmlDCharacterData(type, name, std::move(data))
    {
    }
};

// Character data written unescaped inside "<![CDATA[" and "]]>".
class TXmlDCDATASection : public TXmlDText {
public:
    explicit TXmlDCDATASection(std::string data) : TXmlDText(ntCDATASection, xmldetail::CDataName(), std::move(data)) {}
    TRef<TXmlDNode> CloneNode() const override;
};

class TXmlDProcessingInstruction : public TXmlDNode {
public:
    TXmlDProcessingInstruction(std::string target, std::string data)
        : TXmlDNode(ntProcessingInstruction, std::move(target)), data_(std::move(data))
    {
    }
    const std::string& Target() const { return NodeName(); }
    const std::string& Data() const { return data_; }
    std::string NodeValue() const override { return data_; }
    void SetNodeValue(const std::string& value) override { data_ = value; }
    std::string Text() const override { return data_; }
    void SetText(const std::string& text) override { data_ = text; }
    TRef<TXmlDNode> CloneNode() const override;

private:
    std::string data_;
};

} // namespace wpe
