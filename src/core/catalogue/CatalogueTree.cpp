#include "catalogue/CatalogueTree.h"

#include "catalogue/CatalogueText.h"
#include "util/FastStrings.h"
#include "util/Prefetch.h"

#include <algorithm>
#include <new>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace wpe {

// ---- Child index: built on first lookup, kept up to date by appends,
// dropped by every other change of the level.

namespace {

// Hashing and equality that fold the same bytes the lookups ignore: a-z for
// names and titles, the code page's letters for file names. Tables, because
// the load hashes every title and path and a call per byte costs more than
// the hashing itself.
struct AsciiFold {
    unsigned char up[256];
    AsciiFold()
    {
        for (int c = 0; c < 256; ++c)
            up[c] = static_cast<unsigned char>(AsciiUpperChar(static_cast<char>(c)));
    }
};

const unsigned char* asciiFold()
{
    static const AsciiFold table;
    return table.up;
}

size_t HashAscii(std::string_view s, size_t h = 1469598103934665603ull)
{
    const unsigned char* up = asciiFold();
    for (unsigned char c : s)
        h = (h ^ up[c]) * 1099511628211ull;
    return h;
}

// Only the last bytes of a file name: the paths of one storage share their
// folder, so the tail tells them apart, and the load hashes every path.
size_t HashAnsi(std::string_view s, size_t h)
{
    constexpr size_t kTail = 24;
    if (s.size() > kTail)
        s.remove_prefix(s.size() - kTail);
    const unsigned char* up = UpCaseTable();
    for (unsigned char c : s)
        h = (h ^ up[c]) * 1099511628211ull;
    return h;
}

struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return HashAscii(s); }
};

struct NameEq {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return SameAsciiCaseless(a, b); }
};

struct WebPartKey {
    std::string_view title;
    std::string_view fileName;
};

} // namespace

struct TCatNode::ChildIndex {
    static bool Same(const WebPartKey& a, const WebPartKey& b)
    {
        return SameAsciiCaseless(a.title, b.title) && SameNoCase(a.fileName, b.fileName);
    }
    static WebPartKey KeyOf(const TCatNode* n) { return {n->Text(), n->Entry()->fileName}; }
    static size_t HashOf(const WebPartKey& k)
    {
        size_t h = HashAnsi(k.fileName, HashAscii(k.title));
        // Spread the high bits into the low ones the table's mask keeps.
        h ^= h >> 32;
        h *= 0x9E3779B97F4A7C15ull;
        return h ^ (h >> 29);
    }

    // Web part children by title and file name: open addressing over the
    // stored hashes, so a probe compares numbers and visits a node (they lie
    // all over the heap) only when its hash matches.
    class WebPartSet {
    public:
        bool Contains(size_t hash, const WebPartKey& key) const
        {
            if (slots_.empty())
                return false;
            const size_t mask = slots_.size() - 1;
            for (size_t i = hash & mask;; i = (i + 1) & mask) {
                const Slot& slot = slots_[i];
                if (!slot.node)
                    return false;
                if (slot.hash == hash && Same(key, KeyOf(slot.node)))
                    return true;
            }
        }
        void Insert(size_t hash, const TCatNode* node)
        {
            if ((count_ + 1) * 4 > slots_.size() * 3)
                Grow();
            Place(hash, node);
            ++count_;
        }

    private:
        struct Slot {
            size_t hash;
            const TCatNode* node;  // null: empty
        };
        void Place(size_t hash, const TCatNode* node)
        {
            const size_t mask = slots_.size() - 1;
            size_t i = hash & mask;
            while (slots_[i].node)
                i = (i + 1) & mask;
            slots_[i] = {hash, node};
        }
        void Grow()
        {
            std::vector<Slot> old(slots_.empty() ? 16 : slots_.size() * 2, Slot{0, nullptr});
            old.swap(slots_);
            for (const Slot& slot : old)
                if (slot.node)
                    Place(slot.hash, slot.node);
        }
        std::vector<Slot> slots_;
        size_t count_ = 0;
    };

    // The names view the nodes' texts; any change of a text drops the index.
    std::unordered_map<std::string_view, TCatNode*, NameHash, NameEq> categories;  // first of each name
    WebPartSet webParts;

    void Note(TCatNode* child)
    {
        if (child->IsCategory())
            categories.emplace(child->Text(), child);
        else if (child->Entry())
            webParts.Insert(HashOf(KeyOf(child)), child);
    }
};

TCatNode::TCatNode(TCatTree* tree, TCatNode* parent) : tree_(tree), parent_(parent) {}

// The nodes of a large level, and the entries whose counts copying or
// freeing them changes, lie all over the heap of a large catalogue; waiting
// for each in turn was most of the time of those walks.
WPE_PREFETCH_INLINE void TCatNode::PrefetchAhead(const std::vector<Owned>& nodes, size_t i, bool entries)
{
    constexpr size_t kNodesAhead = 32, kEntriesAhead = 16;
    if (i + kNodesAhead < nodes.size())
        PrefetchObject(nodes[i + kNodesAhead].get());
    if (entries && i + kEntriesAhead < nodes.size())
        PrefetchSharedCount(nodes[i + kEntriesAhead]->entry_.get());
}

// Children go first to last, as the vector would free them.
TCatNode::~TCatNode()
{
    for (size_t i = 0; i < children_.size(); ++i) {
        PrefetchAhead(children_, i, true);
        children_[i].reset();
    }
}

TCatNode* TCatNode::Parent() const
{
    return (parent_ && parent_->parent_) ? parent_ : nullptr;
}

TCatNode* TCatNode::PrevSibling() const
{
    const size_t i = Index();
    return i > 0 ? parent_->children_[i - 1].get() : nullptr;
}

TCatNode* TCatNode::NextSibling() const
{
    const size_t i = Index();
    return i + 1 < parent_->children_.size() ? parent_->children_[i + 1].get() : nullptr;
}

int TCatNode::Level() const
{
    int level = 0;
    for (const TCatNode* p = Parent(); p; p = p->Parent())
        ++level;
    return level;
}

bool TCatNode::IsWithin(const TCatNode* other) const
{
    for (const TCatNode* p = this; p; p = p->Parent())
        if (p == other)
            return true;
    return false;
}

void TCatNode::InvalidateIndex() { index_.reset(); }

void TCatNode::Renumber(size_t from)
{
    for (size_t i = from; i < children_.size(); ++i)
        children_[i]->pos_ = static_cast<std::uint32_t>(i);
}

TCatNode::ChildIndex& TCatNode::Index_() const
{
    if (!index_) {
        index_ = std::make_unique<ChildIndex>();
        for (const auto& child : children_)
            index_->Note(child.get());
    }
    return *index_;
}

// ---- Tree

void TCatNode::Deleter::operator()(TCatNode* n) const
{
    TCatTree* tree = n->tree_;
    n->~TCatNode();
    tree->ReleaseNode(n);
}

TCatNode::Owned TCatTree::NewNode(TCatNode* parent)
{
    static_assert(alignof(TCatNode) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__ && sizeof(TCatNode) >= sizeof(void*));
    void* memory;
    if (freeNodes_) {
        memory = freeNodes_;
        freeNodes_ = *static_cast<void**>(freeNodes_);
    } else {
        if (blockUsed_ == blockCapacity_) {
            blockCapacity_ = std::min<size_t>(blockCapacity_ == 0 ? 8 : blockCapacity_ * 2, 1024);
            nodeBlocks_.emplace_back(new unsigned char[blockCapacity_ * sizeof(TCatNode)]);
            blockUsed_ = 0;
        }
        memory = nodeBlocks_.back().get() + blockUsed_++ * sizeof(TCatNode);
    }
    return TCatNode::Owned(new (memory) TCatNode(this, parent));
}

void TCatTree::ReleaseNode(TCatNode* node)
{
    void* memory = node;
    *static_cast<void**>(memory) = freeNodes_;
    freeNodes_ = memory;
}

TCatTree::TCatTree() : root_(NewNode(nullptr)) {}
TCatTree::~TCatTree() = default;

TCatNode* TCatTree::Container(const TCatNode* parent) const
{
    return parent ? const_cast<TCatNode*>(parent) : root_.get();
}

size_t TCatTree::Count(const TCatNode* parent) const { return Container(parent)->children_.size(); }

TCatNode* TCatTree::Child(const TCatNode* parent, size_t i) const
{
    return Container(parent)->children_[i].get();
}

size_t TCatTree::NodeCount() const
{
    size_t n = 0;
    for (TCatNode* node = First(); node; node = Next(node))
        ++n;
    return n;
}

TCatNode* TCatTree::First() const
{
    return root_->children_.empty() ? nullptr : root_->children_.front().get();
}

TCatNode* TCatTree::Next(const TCatNode* node) const
{
    if (!node->children_.empty())
        return node->children_.front().get();
    return NextSkippingChildren(node);
}

TCatNode* TCatTree::NextSkippingChildren(const TCatNode* node) const
{
    for (const TCatNode* n = node; n && n->parent_; n = n->parent_) {
        if (TCatNode* next = n->NextSibling())
            return next;
    }
    return nullptr;
}

TCatNode* TCatTree::Previous(const TCatNode* node) const
{
    TCatNode* prev = node->PrevSibling();
    if (!prev)
        return node->Parent();
    while (!prev->children_.empty())
        prev = prev->children_.back().get();
    return prev;
}

size_t TCatTree::AbsoluteIndex(const TCatNode* node) const
{
    size_t i = 0;
    for (TCatNode* n = First(); n; n = Next(n), ++i)
        if (n == node)
            return i;
    return kEnd;
}

void TCatTree::ForEach(const std::function<void(TCatNode*)>& visit) const
{
    for (TCatNode* n = First(); n; n = Next(n))
        visit(n);
}

// Puts a new node among owner's children; appending keeps the name index,
// inserting in the middle renumbers the later siblings.
TCatNode* TCatTree::Insert(TCatNode* owner, TCatNode::Owned node, size_t index)
{
    TCatNode* raw = node.get();
    if (index >= owner->children_.size()) {
        raw->pos_ = static_cast<std::uint32_t>(owner->children_.size());
        owner->children_.push_back(std::move(node));
        if (owner->index_)
            owner->index_->Note(raw);
    } else {
        owner->children_.insert(owner->children_.begin() + static_cast<std::ptrdiff_t>(index), std::move(node));
        owner->InvalidateIndex();
        owner->Renumber(index);
    }
    return raw;
}

TCatNode* TCatTree::AddCategory(TCatNode* parent, std::string name, TCatDataPtr data, size_t index)
{
    TCatNode* owner = Container(parent);
    TCatNode::Owned node = NewNode(owner);
    node->text_ = std::move(name);
    node->kind_ = TNodeKind::Category;
    node->catData_ = std::move(data);
    return Insert(owner, std::move(node), index);
}

TCatNode* TCatTree::AddWebPart(TCatNode* parent, TWPDataPtr entry, size_t index)
{
    TCatNode* owner = Container(parent);
    TCatNode::Owned node = NewNode(owner);
    node->text_ = entry ? entry->title : std::string();
    node->kind_ = TNodeKind::WebPart;
    node->entry_ = std::move(entry);
    return Insert(owner, std::move(node), index);
}

void TCatTree::Delete(TCatNode* node)
{
    TCatNode* owner = node->parent_;
    const size_t i = node->Index();
    owner->InvalidateIndex();
    owner->children_.erase(owner->children_.begin() + static_cast<std::ptrdiff_t>(i));
    owner->Renumber(i);
}

void TCatTree::Move(TCatNode* node, TCatNode* newParent, size_t index)
{
    TCatNode* from = node->parent_;
    TCatNode* to = Container(newParent);
    const size_t i = node->Index();
    TCatNode::Owned owned = std::move(from->children_[i]);
    from->children_.erase(from->children_.begin() + static_cast<std::ptrdiff_t>(i));
    from->InvalidateIndex();
    from->Renumber(i);
    to->InvalidateIndex();
    owned->parent_ = to;
    if (index >= to->children_.size())
        index = to->children_.size();
    to->children_.insert(to->children_.begin() + static_cast<std::ptrdiff_t>(index), std::move(owned));
    to->Renumber(index);
}

void TCatTree::SetText(TCatNode* node, std::string text)
{
    node->text_ = std::move(text);
    node->parent_->InvalidateIndex();
}

void TCatTree::Clear()
{
    root_->children_.clear();
    root_->InvalidateIndex();
}

void TCatTree::CopyChildren(const TCatNode* from, TCatNode* to)
{
    const auto& children = from->children_;
    to->children_.reserve(children.size());
    for (size_t i = 0; i < children.size(); ++i) {
        TCatNode::PrefetchAhead(children, i, true);
        const TCatNode::Owned& child = children[i];
        TCatNode::Owned copy = NewNode(to);
        copy->text_ = child->text_;
        copy->kind_ = child->kind_;
        copy->catData_ = child->catData_;
        copy->entry_ = child->entry_;
        copy->expanded = child->expanded;
        copy->pos_ = static_cast<std::uint32_t>(to->children_.size());
        CopyChildren(child.get(), copy.get());
        to->children_.push_back(std::move(copy));
    }
}

void TCatTree::CopyFrom(const TCatTree& source)
{
    if (&source == this)
        return;
    Clear();
    CopyChildren(source.root_.get(), root_.get());
}


void TCatTree::RemoveIf(const std::function<bool(const TCatNode*)>& pred)
{
    // Breadth of one level at a time keeps removal linear in the tree size.
    std::vector<TCatNode*> pending{root_.get()};
    while (!pending.empty()) {
        TCatNode* owner = pending.back();
        pending.pop_back();
        auto& children = owner->children_;
        const size_t before = children.size();
        children.erase(std::remove_if(children.begin(), children.end(),
                                      [&](const TCatNode::Owned& n) { return pred(n.get()); }),
                       children.end());
        if (children.size() != before) {
            owner->InvalidateIndex();
            owner->Renumber();
        }
        for (const auto& child : owner->children_)
            if (!child->children_.empty())
                pending.push_back(child.get());
    }
}

void TCatTree::SortChildren(TCatNode* parent,
                            const std::function<bool(const TCatNode*, const TCatNode*)>& less, bool recursive)
{
    TCatNode* owner = Container(parent);
    std::stable_sort(owner->children_.begin(), owner->children_.end(),
                     [&](const TCatNode::Owned& a, const TCatNode::Owned& b) { return less(a.get(), b.get()); });
    owner->InvalidateIndex();
    owner->Renumber();
    if (recursive)
        for (const auto& child : owner->children_)
            if (!child->children_.empty())
                SortChildren(child.get(), less, true);
}

void TCatTree::SortChildrenByKey(TCatNode* parent, const std::function<SortKey(const TCatNode*)>& key,
                                 const std::function<bool(const TCatNode*, const TCatNode*)>& tieLess, bool recursive)
{
    TCatNode* owner = Container(parent);
    auto& children = owner->children_;
    struct Keyed {
        SortKey key;
        size_t index;
    };
    std::vector<Keyed> keyed(children.size());
    for (size_t i = 0; i < children.size(); ++i) {
        TCatNode::PrefetchAhead(children, i, false);
        keyed[i] = {key(children[i].get()), i};
    }
    std::stable_sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        if (a.key != b.key)
            return a.key < b.key;
        return tieLess(children[a.index].get(), children[b.index].get());
    });
    std::vector<TCatNode::Owned> sorted;
    sorted.reserve(children.size());
    for (const Keyed& k : keyed)
        sorted.push_back(std::move(children[k.index]));
    children.swap(sorted);
    owner->InvalidateIndex();
    owner->Renumber();
    if (recursive)
        for (const auto& child : children)
            if (!child->children_.empty())
                SortChildrenByKey(child.get(), key, tieLess, true);
}

TCatNode* TCatTree::FindCategoryChild(const TCatNode* parent, std::string_view name) const
{
    const TCatNode* owner = Container(parent);
    // Small levels are scanned; an index pays off only for large ones.
    if (owner->children_.size() < 16 && !owner->index_) {
        for (const auto& child : owner->children_)
            if (child->IsCategory() && SameAsciiCaseless(child->text_, name))
                return child.get();
        return nullptr;
    }
    auto& index = owner->Index_();
    auto it = index.categories.find(name);
    return it == index.categories.end() ? nullptr : it->second;
}

bool TCatTree::HasWebPartChild(const TCatNode* parent, std::string_view title, std::string_view fileName) const
{
    const TCatNode* owner = Container(parent);
    if (owner->children_.size() < 16 && !owner->index_) {
        for (const auto& child : owner->children_)
            if (child->IsWebPart() && child->entry_ && SameAsciiCaseless(child->text_, title) &&
                SameNoCase(child->entry_->fileName, fileName))
                return true;
        return false;
    }
    const WebPartKey key{title, fileName};
    return owner->Index_().webParts.Contains(TCatNode::ChildIndex::HashOf(key), key);
}

} // namespace wpe
