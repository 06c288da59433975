#include "shell/Settings.h"

#include <QSettings>

namespace wpe {
namespace {

// QSettings treats "/" and "\" inside names as group separators; the names
// stored here are plain, so they are passed through as they are.
QString Key(const std::string& name, const std::string& subKey)
{
    QString n = QString::fromStdString(name);
    return subKey.empty() ? n : QString::fromStdString(subKey) + "/" + n;
}

QSettings Store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Orlendt", "WebParts Editor");
}

} // namespace

std::string QtSettingsStore::Read(const std::string& name, const std::string& subKey) const
{
    return Store().value(Key(name, subKey)).toString().toStdString();
}

void QtSettingsStore::Write(const std::string& name, const std::string& value, const std::string& subKey)
{
    QSettings s = Store();
    s.setValue(Key(name, subKey), QString::fromStdString(value));
    s.sync();
}

bool QtSettingsStore::Exists(const std::string& name, const std::string& subKey) const
{
    return Store().contains(Key(name, subKey));
}

void QtSettingsStore::DeleteKey(const std::string& subKey)
{
    if (subKey.empty())
        return;  // never wipe the whole key by accident
    QSettings s = Store();
    s.remove(QString::fromStdString(subKey));
    s.sync();
}

std::vector<std::string> QtSettingsStore::ValueNames(const std::string& subKey) const
{
    QSettings s = Store();
    if (!subKey.empty())
        s.beginGroup(QString::fromStdString(subKey));
    std::vector<std::string> names;
    for (const QString& k : s.childKeys())
        names.push_back(k.toStdString());
    return names;
}

ISettingsStore& SettingsStore()
{
    static QtSettingsStore store;
    return store;
}

std::string ReadSetting(const std::string& name, const std::string& subKey)
{
    return SettingsStore().Read(name, subKey);
}

void WriteSetting(const std::string& name, const std::string& value, const std::string& subKey)
{
    SettingsStore().Write(name, value, subKey);
}

void DeleteSettingsKey(const std::string& subKey)
{
    SettingsStore().DeleteKey(subKey);
}

void ReadSettingNames(const std::string& subKey, std::vector<std::string>& list)
{
    if (!subKey.empty() && !Store().childGroups().contains(QString::fromStdString(subKey)))
        return;
    list = SettingsStore().ValueNames(subKey);
}

}  // namespace wpe
