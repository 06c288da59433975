#include "webpart/MemoryFields.h"

#include <stdexcept>

namespace wpe {

// ---- choice ----

MemoryChoiceField::MemoryChoiceField(std::vector<std::string> items, bool allowFreeText)
    : items_(std::move(items)), allowFreeText_(allowFreeText) {}

void MemoryChoiceField::SetItemIndex(int index) {
    if (index < 0 || index >= ItemCount()) {
        index_ = -1;
        text_.clear();
        return;
    }
    index_ = index;
    text_ = items_[static_cast<std::size_t>(index)];
}

void MemoryChoiceField::SetText(const std::string& text) {
    for (int i = 0; i < ItemCount(); ++i) {
        if (items_[static_cast<std::size_t>(i)] == text) {
            SetItemIndex(i);
            return;
        }
    }
    // A fixed list cannot show a text it does not hold.
    index_ = -1;
    text_ = allowFreeText_ ? text : std::string();
}

void MemoryChoiceField::RunChangeHandler() {
    ++changeCount_;
    if (onChange) onChange();
}

// ---- category list ----

void MemoryCategoryList::SetEntry(int index, const std::string& entry) {
    entries_.at(static_cast<std::size_t>(index)) = entry;
}

void MemoryCategoryList::Delete(int index) {
    if (index < 0 || index >= Count()) throw std::out_of_range("MemoryCategoryList::Delete: bad index");
    entries_.erase(entries_.begin() + index);
}

// ---- source ----

IField* MemoryFieldSource::FindField(const std::string& name) {
    auto it = fields_.find(name);
    return it == fields_.end() ? nullptr : it->second.get();
}

std::vector<std::string> MemoryFieldSource::Names() const {
    std::vector<std::string> names;
    for (const auto& [name, field] : fields_) names.push_back(name);
    return names;
}

std::unique_ptr<MemoryFieldSource> MakeEditorFields() {
    auto src = std::make_unique<MemoryFieldSource>();
    for (const char* name : {"Title", "Description", "PublisherName", "LastModified", "Namespace", "CacheTimeout",
                             "Height", "Width", "CustomizationHeight", "CustomizationWidth"})
        src->Add(name, std::make_unique<MemoryTextField>());
    for (const char* name : {"ContentLink", "XSLLink", "PublisherURL", "CustomizationLink", "MasterPartLink",
                             "DetailLink"})
        src->Add(name, std::make_unique<MemoryTextField>("http://"));
    src->Add("Popularity", std::make_unique<MemoryTextField>("0"));
    for (const char* name : {"Content", "NoContent", "XSL", "Comments", "Customization"})
        src->Add(name, std::make_unique<MemoryCodeField>());
    for (const char* name : {"AllowMinimize", "AllowRemove", "FrameState", "HasFrame", "InternetRequired"})
        src->Add(name, std::make_unique<MemoryCheckField>(true));
    for (const char* name : {"RequiresIsolation", "KeepLoaded"}) src->Add(name, std::make_unique<MemoryCheckField>(false));

    auto choice = [&](const char* name, std::vector<std::string> items, bool freeText) {
        auto& f = src->Add(name, std::make_unique<MemoryChoiceField>(std::move(items), freeText));
        f.SetItemIndex(0);
    };
    choice("Language", {"en", "ru", "fr"}, true);
    choice("ContentType", {"HTML", "VBScript", "JavaScript", "XML"}, false);
    choice("CacheBehavior", {"None", "All Users", "Each User"}, false);
    choice("Zone", {"Top", "Left", "Center", "Right", "Bottom"}, false);

    src->Add("Category", std::make_unique<MemoryCategoryList>());
    src->Add("PartStorage", std::make_unique<MemoryPartStorageField>());
    return src;
}

} // namespace wpe
