#pragma once
// The XML document model: a tree of reference-counted nodes in the manner of
// the W3C DOM, loaded through TXmlReader and written back as compact text.
//
// Ownership:
// - Nodes and node lists are TRefObjects. A new object has count 0; every
//   TRef that holds it owns one reference, and the object is destroyed when
//   the last reference goes. Hold a document (or any node you keep) in a TRef.
// - A node's child list and attribute map each hold one reference to every
//   item. Parent, sibling and list-owner links are plain pointers that own
//   nothing, so parent <-> child never forms a reference cycle.
// - Accessors that return raw pointers (ParentNode, FirstChild, Item,
//   SelectChild, ...) point into the tree: valid while the tree holds the node.
//   To keep a node after it may leave the tree, put it in a TRef.
// - A node's ChildNodes() and Attributes() live as long as the node. When a
//   node is destroyed, its former children lose their parent and sibling links.
// - Destruction, loading, Xml and Text use no recursion over depth, so
//   documents nested a hundred thousand deep are safe.
// - Operations that take a node (AppendChild, InsertChild, Insert, ...) take a
//   TRef, so a fresh `new TXmlDText("x")` is freed if the operation throws.
// - Freed nodes and lists keep their memory in a per-thread pool (at most
//   32 MB) for the next document; nothing else about them changes.
//
// Errors are wpe::Exception carrying the model's own (Russian) texts; reader
// errors (EXmlReader) pass through loading unchanged.

#include "util/Exception.h"

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
    // Gives one reference back; the last one destroys the object. Objects
    // released while another is being destroyed are destroyed after it, in a
    // loop, so tearing down a deep tree never recurses.
    void Release() noexcept;
    // The number of references held.
    std::int32_t RefCount() const noexcept { return refCount_; }

private:
    std::int32_t refCount_ = 0;
    TRefObject* nextToDestroy_ = nullptr; // link in the queue of deferred destruction
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
class TXmlDAttribute;

// ---- node lists ----

// An ordered list of nodes that holds a reference to each; its items have
// the list's owner as their ParentNode and are linked as siblings.
class TXmlDNodeList : public TRefObject {
public:
    explicit TXmlDNodeList(TXmlDNode* owner) : owner_(owner) {}
    ~TXmlDNodeList() override;

    // The node whose children (or attributes) these are; null once it is gone.
    TXmlDNode* Owner() const { return owner_; }
    int Count() const { return static_cast<int>(items_.size()); }
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

    // Iteration over the items (raw pointers, owned by the list).
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    friend class TXmlDNode;
    void CheckIndex(int index, int limit) const;

    TXmlDNode* owner_;
    std::vector<TXmlDNode*, xmlpool::Allocator<TXmlDNode*>> items_; // each holds one reference
};

// The attributes of an element, looked up by name.
class TXmlDNamedNodeMap : public TXmlDNodeList {
public:
    using TXmlDNodeList::TXmlDNodeList;
};

// ---- nodes ----

class TXmlDNode : public TRefObject {
public:
    ~TXmlDNode() override;

    XmlNodeType NodeType() const { return nodeType_; }
    // The type name ("element", "text", ...).
    const std::string& NodeTypeString() const { return XmlNodeTypeName(nodeType_); }
    // The name fixed at creation: tag name, attribute name, PI target,
    // document type name, or "#document", "#text", "#cdata-section", "#comment".
    const std::string& NodeName() const { return nodeName_; }

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
    TXmlDNode* PreviousSibling() const { return prev_; }
    TXmlDNode* NextSibling() const { return next_; }
    // The child list, created on first use; lives as long as the node.
    TXmlDNodeList& ChildNodes() const;
    // The attribute map, created on first use; lives as long as the node.
    TXmlDNamedNodeMap& Attributes() const;
    TXmlDNode* FirstChild() const;
    TXmlDNode* LastChild() const;
    bool HasChildNodes() const { return children_ && children_->Count() > 0; }
    bool HasAttributes() const { return attributes_ && attributes_->Count() > 0; }

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
    TXmlDNode(XmlNodeType type, std::string name) : nodeType_(type), nodeName_(std::move(name)) {}

private:
    friend class TXmlDNodeList;
    bool Accepts(XmlNodeType childType) const;
    void CheckNotAncestor(const TXmlDNode* node) const;

    XmlNodeType nodeType_;
    std::string nodeName_;
    mutable TXmlDNodeList* children_ = nullptr;        // one reference, or null until used
    mutable TXmlDNamedNodeMap* attributes_ = nullptr;  // one reference, or null until used
    TXmlDNode* parent_ = nullptr;
    TXmlDNode* prev_ = nullptr;
    TXmlDNode* next_ = nullptr;
};

// A document: the root of a tree. It may hold several elements.
class TXmlDDocument : public TXmlDNode {
public:
    TXmlDDocument() : TXmlDNode(ntDocument, "#document") {}
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
    TXmlDCharacterData(XmlNodeType type, std::string name, std::string data)
        : TXmlDNode(type, std::move(name)), data_(std::move(data))
    {
    }

private:
    std::string data_;
};

class TXmlDComment : public TXmlDCharacterData {
public:
    explicit TXmlDComment(std::string data) : TXmlDCharacterData(ntComment, "#comment", std::move(data)) {}
    TRef<TXmlDNode> CloneNode() const override;
};

// Character data; written escaped.
class TXmlDText : public TXmlDCharacterData {
public:
    explicit TXmlDText(std::string data) : TXmlDCharacterData(ntText, "#text", std::move(data)) {}
    TRef<TXmlDNode> CloneNode() const override;

protected:
    TXmlDText(XmlNodeType type, std::string name, std::string data)
        : TXmlDCharacterData(type, std::move(name), std::move(data))
    {
    }
};

// Character data written unescaped inside "<![CDATA[" and "]]>".
class TXmlDCDATASection : public TXmlDText {
public:
    explicit TXmlDCDATASection(std::string data) : TXmlDText(ntCDATASection, "#cdata-section", std::move(data)) {}
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
