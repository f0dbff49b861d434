#include "platform/memory/MemorySettingsStore.h"

namespace bh {

std::int32_t MemorySettingsStore::GetInt(const std::string& section, const std::string& name,
                                         std::int32_t defaultValue) {
    const auto found = values_.find({section, name});
    return found != values_.end() && found->second.isInt ? found->second.number : defaultValue;
}

std::string MemorySettingsStore::GetString(const std::string& section, const std::string& name,
                                           const std::string& defaultValue) {
    const auto found = values_.find({section, name});
    return found != values_.end() && !found->second.isInt ? found->second.text : defaultValue;
}

void MemorySettingsStore::WriteInt(const std::string& section, const std::string& name,
                                   std::int32_t value) {
    Value& stored = values_[{section, name}];
    stored.isInt = true;
    stored.number = value;
    stored.text.clear();
    ++writes_;
}

void MemorySettingsStore::WriteString(const std::string& section, const std::string& name,
                                      const std::string& value) {
    Value& stored = values_[{section, name}];
    stored.isInt = false;
    stored.number = 0;
    stored.text = value;
    ++writes_;
}

bool MemorySettingsStore::Has(const std::string& section, const std::string& name) const {
    return values_.count({section, name}) != 0;
}

bool MemorySettingsStore::IsInt(const std::string& section, const std::string& name) const {
    const auto found = values_.find({section, name});
    return found != values_.end() && found->second.isInt;
}

bool MemorySettingsStore::IsString(const std::string& section, const std::string& name) const {
    const auto found = values_.find({section, name});
    return found != values_.end() && !found->second.isInt;
}

void MemorySettingsStore::Erase(const std::string& section, const std::string& name) {
    values_.erase({section, name});
}

}  // namespace bh
