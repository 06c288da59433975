#pragma once
// The comments file "WPComment.xml": a free-text note per web part, kept
// outside the part and keyed by the part's file name without folder.
// File names match without regard to the case of the letters a to z.

#include <string>

#include "xml/XXmlDom.h"

namespace wpe {

inline constexpr const char* kCommentFileName = "WPComment.xml";

class TWPCommentFile {
public:
    // An empty store: a declaration and an empty `WebParts` root.
    TWPCommentFile();
    TWPCommentFile(const TWPCommentFile&) = delete;
    TWPCommentFile& operator=(const TWPCommentFile&) = delete;

    // Reads the file at path when it exists; a missing file changes nothing.
    // A file that cannot be read, or whose root is not `WebParts`, is not
    // reported: the store then has no root and holds no comments.
    void Load(const std::string& path);
    // Writes the store to path, replacing the file atomically. A store
    // without root writes nothing, so an unreadable file is never replaced by
    // what little was read of it. File errors reach the caller.
    void Save(const std::string& path) const;
    // The comment of fileName, entities decoded; empty when there is none.
    std::string GetComment(const std::string& fileName) const;
    // Replaces the comment of fileName; an empty comment removes its entry.
    // Nothing happens when the store has no root.
    void SetComment(const std::string& fileName, const std::string& comment);
    // Appends a new entry for fileName (as passed) holding comment.
    void AddComment(const std::string& fileName, const std::string& comment);

    // False after a failed load or for a file whose root is not `WebParts`.
    bool HasRoot() const { return root_ != nullptr; }
    // The store's text as it would be saved.
    std::string Xml() const { return doc_->Xml(); }

private:
    TXmlDNode* Find(const std::string& fileName) const;

    TRef<TXmlDDocument> doc_;
    TXmlDNode* root_ = nullptr;  // the `WebParts` element inside doc_, or none
};

} // namespace wpe
