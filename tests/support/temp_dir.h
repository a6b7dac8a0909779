#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

#include "vantor/text.h"

namespace vantor::testing {

// Writes `bytes` to `file`, replacing it; throws when that fails.
inline void WriteFile(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + PathToUtf8(file));
}

// A fresh folder under the system's temporary directory, removed with its
// contents when the object goes.
class TempDir {
public:
    TempDir() {
        std::random_device random;
        do {
            path_ = std::filesystem::temp_directory_path() / ("vantor-test-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(path_));
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as UTF-8 text with a trailing separator, as the window holds it.
    std::string text() const { return PathToUtf8(path_ / ""); }

    // Writes `bytes` to the file `name` (UTF-8) in the folder, replacing it.
    std::filesystem::path Write(const std::string& name, std::string_view bytes) const {
        const auto file = path_ / Utf8ToPath(name);
        WriteFile(file, bytes);
        return file;
    }

private:
    std::filesystem::path path_;
};

}  // namespace vantor::testing
