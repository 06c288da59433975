#include "webpart/WPComment.h"
#include "util/Text.h"

#include "util/Files.h"

namespace wpe {

namespace {

TXmlDNode* webPartsRoot(const TXmlDDocument& doc) {
    TXmlDNode* root = doc.SelectChild("WebParts");
    return (root && root->NodeType() == ntElement) ? root : nullptr;
}

} // namespace

TWPCommentFile::TWPCommentFile() : doc_(MakeRef<TXmlDDocument>()) {
    doc_->LoadXml("<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<WebParts>\r\n</WebParts>");
    root_ = webPartsRoot(*doc_);
}

void TWPCommentFile::Load(const std::string& path) {
    if (!FileExists(path)) return;
    TRef<TXmlDDocument> doc = MakeRef<TXmlDDocument>();
    doc_ = doc;
    root_ = nullptr;
    try {
        doc->LoadFromFile(path);
    } catch (const std::exception&) {
        // Not reported: the program goes on without comments.
        return;
    }
    root_ = webPartsRoot(*doc);
}

void TWPCommentFile::Save(const std::string& path) const {
    if (!root_) return;
    doc_->SaveToFile(path);
}

TXmlDNode* TWPCommentFile::Find(const std::string& fileName) const {
    if (!root_) return nullptr;
    const std::string key = AsciiUpper(fileName);
    for (TXmlDNode* node : root_->Children()) {
        if (node->NodeType() != ntElement) continue;
        if (AsciiUpper(static_cast<TXmlDElement*>(node)->GetAttribute("filename")) == key) return node;
    }
    return nullptr;
}

std::string TWPCommentFile::GetComment(const std::string& fileName) const {
    TXmlDNode* node = Find(fileName);
    return node ? node->Text() : std::string();
}

void TWPCommentFile::SetComment(const std::string& fileName, const std::string& comment) {
    if (!root_) return;
    if (TXmlDNode* node = Find(fileName)) {
        if (comment.empty())
            root_->RemoveChild(node);
        else
            node->SetText(comment);
    } else if (!comment.empty()) {
        AddComment(fileName, comment);
    }
}

void TWPCommentFile::AddComment(const std::string& fileName, const std::string& comment) {
    if (!root_) return;
    TRef<TXmlDElement> wp = MakeRef<TXmlDElement>("wp");
    wp->SetAttribute("filename", fileName);
    wp->SetText(comment);
    root_->AppendChild(wp);
}

} // namespace wpe
