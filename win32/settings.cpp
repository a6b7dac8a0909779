#include "win32/settings.h"

#include <windows.h>

#include <vector>

#include "vantor/text.h"

namespace vantor::win32 {

namespace {

constexpr wchar_t kIniSection[] = L"Window";

}  // namespace

Settings Settings::In(const std::wstring& folder, std::wstring registryKey) {
    Settings settings;
    std::wstring ini = folder;
    if (!ini.empty() && ini.back() != L'\\' && ini.back() != L'/') ini += L'\\';
    ini += kIniName;
    if (GetFileAttributesW(ini.c_str()) != INVALID_FILE_ATTRIBUTES) settings.mIniFile = std::move(ini);
    settings.mRegistryKey = std::move(registryKey);
    return settings;
}

Settings Settings::ForThisProgram() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return In(path.substr(0, path.find_last_of(L"\\/") + 1));
}

std::optional<std::string> Settings::Load(std::string_view name) const {
    const std::wstring key = Utf8ToWide(name);
    if (!mIniFile.empty()) {
        // A value the file does not have comes back as the default: a NUL
        // alone, which no saved text can be.
        std::vector<wchar_t> value(1024);
        for (;;) {
            const DWORD length = GetPrivateProfileStringW(kIniSection, key.c_str(), L"\n", value.data(),
                                                          static_cast<DWORD>(value.size()), mIniFile.c_str());
            if (length + 1 < value.size()) {  // else cut to fit
                const std::wstring text(value.data(), length);
                if (text == L"\n") return std::nullopt;
                return WideToUtf8(text);
            }
            value.resize(value.size() * 4);
        }
    }
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, mRegistryKey.c_str(), key.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, mRegistryKey.c_str(), key.c_str(), RRF_RT_REG_SZ, nullptr, value.data(), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.resize(wcsnlen(value.c_str(), value.size()));
    return WideToUtf8(value);
}

void Settings::Save(std::string_view name, std::string_view value) const {
    const std::wstring key = Utf8ToWide(name);
    const std::wstring text = Utf8ToWide(value);
    if (!mIniFile.empty()) {
        // Windows writes a file that starts with a UTF-16 byte-order mark in
        // UTF-16, any other in the ANSI code page, which would lose the
        // letters of a folder outside it: an empty file gets the mark first.
        const HANDLE file = CreateFileW(mIniFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            LARGE_INTEGER size{};
            DWORD written = 0;
            if (GetFileSizeEx(file, &size) && size.QuadPart == 0) WriteFile(file, "\xFF\xFE", 2, &written, nullptr);
            CloseHandle(file);
        }
        // Quoted, as reading strips the spaces around a value but not inside quotes.
        WritePrivateProfileStringW(kIniSection, key.c_str(), (L'"' + text + L'"').c_str(), mIniFile.c_str());
        return;
    }
    RegSetKeyValueW(HKEY_CURRENT_USER, mRegistryKey.c_str(), key.c_str(), REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

}  // namespace vantor::win32
