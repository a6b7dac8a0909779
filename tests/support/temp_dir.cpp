#include "tests/support/temp_dir.h"

#include <fstream>
#include <random>
#include <stdexcept>

#include "analysis/path_text.h"

namespace vantor::testing {

TempDir::TempDir() {
    std::random_device random;
    do {
        path_ = std::filesystem::temp_directory_path() / ("vantor-test-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::text() const { return PathToUtf8(path_ / ""); }

std::filesystem::path TempDir::Write(const std::string& name, std::string_view bytes) const {
    const auto file = path_ / Utf8ToPath(name);
    WriteFile(file, bytes);
    return file;
}

void WriteFile(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + PathToUtf8(file));
}

}  // namespace vantor::testing
