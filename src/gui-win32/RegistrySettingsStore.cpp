#include "gui-win32/RegistrySettingsStore.h"

#include "gui-win32/WinApi.h"

#include <vector>

#include "gui-win32/WideText.h"

namespace bh {
namespace {

// Closes the key when the scope ends.
class Key {
  public:
    Key(const std::wstring& path, bool create) {
        const LONG status =
            create ? RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                     KEY_READ | KEY_WRITE, nullptr, &key_, nullptr)
                   : RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key_);
        if (status != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~Key() {
        if (key_)
            RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

}  // namespace

RegistrySettingsStore::RegistrySettingsStore(std::string root) : root_(std::move(root)) {}

std::wstring RegistrySettingsStore::KeyPath(const std::string& section) const {
    return Wide(root_ + "\\" + section);
}

std::int32_t RegistrySettingsStore::GetInt(const std::string& section, const std::string& name,
                                           std::int32_t defaultValue) {
    const Key key(KeyPath(section), false);
    if (!key.get())
        return defaultValue;
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key.get(), Wide(name).c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return defaultValue;
    return static_cast<std::int32_t>(value);
}

std::string RegistrySettingsStore::GetString(const std::string& section, const std::string& name,
                                             const std::string& defaultValue) {
    const Key key(KeyPath(section), false);
    if (!key.get())
        return defaultValue;
    const std::wstring valueName = Wide(name);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return defaultValue;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
        return defaultValue;
    return Utf8(buffer.data());
}

void RegistrySettingsStore::WriteInt(const std::string& section, const std::string& name,
                                     std::int32_t value) {
    const Key key(KeyPath(section), true);
    if (!key.get())
        return;
    const DWORD data = static_cast<DWORD>(value);
    RegSetValueExW(key.get(), Wide(name).c_str(), 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&data), sizeof data);
}

void RegistrySettingsStore::WriteString(const std::string& section, const std::string& name,
                                        const std::string& value) {
    const Key key(KeyPath(section), true);
    if (!key.get())
        return;
    const std::wstring data = Wide(value);
    RegSetValueExW(key.get(), Wide(name).c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

}  // namespace bh
