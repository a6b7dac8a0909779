#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vantor::testing {

// A fresh folder under the system's temporary directory, removed with its
// contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as UTF-8 text with a trailing separator, as the window holds it.
    std::string text() const;

    // Writes `bytes` to the file `name` (UTF-8) in the folder, replacing it.
    std::filesystem::path Write(const std::string& name, std::string_view bytes) const;

private:
    std::filesystem::path path_;
};

// Writes `bytes` to `file`, replacing it; throws when that fails.
void WriteFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace vantor::testing
