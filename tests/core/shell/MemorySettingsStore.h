#pragma once
// A settings store held in memory, listing value names in the order they
// were first written (as the registry does).

#include "shell/SettingsStore.h"

#include <algorithm>
#include <map>
#include <utility>

namespace wpe::test {

class MemorySettingsStore : public ISettingsStore {
public:
    std::string Read(const std::string& name, const std::string& subKey) const override
    {
        auto k = keys_.find(subKey);
        if (k == keys_.end())
            return {};
        for (const auto& [n, v] : k->second)
            if (n == name)
                return v;
        return {};
    }
    void Write(const std::string& name, const std::string& value, const std::string& subKey) override
    {
        auto& values = keys_[subKey];
        for (auto& [n, v] : values)
            if (n == name) {
                v = value;
                return;
            }
        values.emplace_back(name, value);
    }
    bool Exists(const std::string& name, const std::string& subKey) const override
    {
        auto k = keys_.find(subKey);
        return k != keys_.end() && std::any_of(k->second.begin(), k->second.end(),
                                               [&](const auto& p) { return p.first == name; });
    }
    void DeleteKey(const std::string& subKey) override { keys_.erase(subKey); }
    std::vector<std::string> ValueNames(const std::string& subKey) const override
    {
        std::vector<std::string> names;
        auto k = keys_.find(subKey);
        if (k != keys_.end())
            for (const auto& p : k->second)
                names.push_back(p.first);
        return names;
    }

private:
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> keys_;
};

} // namespace wpe::test
