#include "shell/Options.h"

#include "shell/SettingsStore.h"

namespace wpe {
namespace {

constexpr const char* kRestoreFiles = "optRestoreFiles.Checked";
constexpr const char* kRestoreFolder = "optRestoreFolder.Checked";
constexpr const char* kHtmlEditor = "optHTMLEditor.FileName";
constexpr const char* kCssEditor = "optCSSEditor.FileName";
constexpr const char* kCreateArchive = "optCreateWebletArchive.Checked";

bool ReadFlag(const ISettingsStore& store, const char* name, bool fallback)
{
    std::string v = store.Read(name, kOptionsSubKey);
    if (v == "1" || v == "true" || v == "True")
        return true;
    if (v == "0" || v == "false" || v == "False")
        return false;
    return fallback;
}

} // namespace

TOptions LoadOptions(const ISettingsStore& store)
{
    TOptions o;
    o.restoreFiles = ReadFlag(store, kRestoreFiles, o.restoreFiles);
    o.restoreFolder = ReadFlag(store, kRestoreFolder, o.restoreFolder);
    o.htmlEditor = store.Read(kHtmlEditor, kOptionsSubKey);
    o.cssEditor = store.Read(kCssEditor, kOptionsSubKey);
    o.createWebletArchive = ReadFlag(store, kCreateArchive, o.createWebletArchive);
    return o;
}

void SaveOptions(ISettingsStore& store, const TOptions& o)
{
    store.Write(kRestoreFiles, o.restoreFiles ? "1" : "0", kOptionsSubKey);
    store.Write(kRestoreFolder, o.restoreFolder ? "1" : "0", kOptionsSubKey);
    store.Write(kHtmlEditor, o.htmlEditor, kOptionsSubKey);
    store.Write(kCssEditor, o.cssEditor, kOptionsSubKey);
    store.Write(kCreateArchive, o.createWebletArchive ? "1" : "0", kOptionsSubKey);
}

} // namespace wpe
