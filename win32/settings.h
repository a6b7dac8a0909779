#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantor::win32 {

// Where the window remembers things for its user: the registry key
// HKCU\Software\Vantor Log Analyzer, or, for a copy run from a folder of its
// own (a USB stick), an INI file beside the program when one is there.
class Settings {
public:
    static constexpr wchar_t kRegistryKey[] = L"Software\\Vantor Log Analyzer";
    static constexpr wchar_t kIniName[] = L"vantor-log-analyzer.ini";

    // The INI file `kIniName` in `folder` when it exists, else `registryKey`
    // under HKEY_CURRENT_USER.
    static Settings In(const std::wstring& folder, std::wstring registryKey = kRegistryKey);
    // The same beside this program's .exe.
    static Settings ForThisProgram();

    // Texts are UTF-8; nothing when the name was never saved.
    std::optional<std::string> Load(std::string_view name) const;
    void Save(std::string_view name, std::string_view value) const;

private:
    std::wstring mIniFile;      // empty: the registry
    std::wstring mRegistryKey;
};

}  // namespace vantor::win32
