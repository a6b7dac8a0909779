#include "vantor/code_page.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <utility>
#include <vector>

#include "text/system.h"
#include "text/utf8.h"

namespace vantor {

const std::array<CodePageName, 10> kCodePages = {{
    {874, "Windows-874", "Thai"},
    {1250, "Windows-1250", "Central European"},
    {1251, "Windows-1251", "Cyrillic"},
    {1252, "Windows-1252", "Western"},
    {1253, "Windows-1253", "Greek"},
    {1254, "Windows-1254", "Turkish"},
    {1255, "Windows-1255", "Hebrew"},
    {1256, "Windows-1256", "Arabic"},
    {1257, "Windows-1257", "Baltic"},
    {1258, "Windows-1258", "Vietnamese"},
}};

const CodePageName* FindCodePage(unsigned number) {
    const auto it = std::find_if(kCodePages.begin(), kCodePages.end(),
                                 [&](const CodePageName& page) { return page.number == number; });
    return it != kCodePages.end() ? &*it : nullptr;
}

namespace {

// One case for letters that differ only in it: the lower case of the upper
// case, so that Turkish 'ı' goes with 'i' and 'I'. Greek's final 'ς' goes
// with 'σ' and 'Σ' as Unicode's case folding has it; Wine's upper case
// leaves it as it is.
char32_t Folded(char32_t c) {
    if (c == U'\u03C2') return U'\u03C3';
    return text_system::LowerCase(text_system::UpperCase(c));
}

}  // namespace

// A single-byte code page, made once from the system's converter.
struct CodePageTable {
    std::array<char32_t, 256> characters{};
    std::vector<std::pair<char32_t, unsigned char>> bytes;  // by character, for writing
    std::array<unsigned char, 256> lower{};

    std::optional<unsigned char> ByteOf(char32_t c) const {
        const auto it = std::lower_bound(bytes.begin(), bytes.end(), std::pair<char32_t, unsigned char>{c, 0});
        if (it == bytes.end() || it->first != c) return std::nullopt;
        return it->second;
    }

    explicit CodePageTable(unsigned number) {
        for (unsigned byte = 0; byte < 256; ++byte) {
            const auto b = static_cast<unsigned char>(byte);
            characters[byte] = byte < 0x80 ? byte : text_system::CharacterOf(number, b).value_or(byte);
            bytes.emplace_back(characters[byte], b);
        }
        // A character of two bytes (never among these code pages) keeps the first.
        std::stable_sort(bytes.begin(), bytes.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        bytes.erase(std::unique(bytes.begin(), bytes.end(),
                                [](const auto& a, const auto& b) { return a.first == b.first; }),
                    bytes.end());
        for (unsigned byte = 0; byte < 256; ++byte) {
            const auto folded = ByteOf(Folded(characters[byte]));
            lower[byte] = folded.value_or(ByteOf(text_system::LowerCase(characters[byte])).value_or(
                static_cast<unsigned char>(byte)));
        }
    }
};

namespace {

// Made on first use and kept to the end: readers on several threads share them.
const CodePageTable* TableOf(unsigned number) {
    static std::array<std::once_flag, kCodePages.size()> made;
    static std::array<const CodePageTable*, kCodePages.size()> tables{};
    const CodePageName* page = FindCodePage(number);
    if (page == nullptr) return nullptr;
    const auto index = static_cast<std::size_t>(page - kCodePages.data());
    std::call_once(made[index], [&] { tables[index] = new CodePageTable(number); });
    return tables[index];
}

}  // namespace

CodePage::CodePage(unsigned number) : number_(number), table_(TableOf(number)) {
    if (table_ == nullptr && !text_system::Converts(number)) {
        throw std::invalid_argument("code page " + std::to_string(number) + " is not one this system converts");
    }
}

std::string CodePage::Name() const {
    const CodePageName* page = FindCodePage(number_);
    return page != nullptr ? std::string(page->name) : "code page " + std::to_string(number_);
}

std::string CodePage::ToUtf8(std::string_view bytes) const {
    if (table_ == nullptr) return text_system::Decoded(number_, bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (const char byte : bytes) utf8::Append(out, table_->characters[static_cast<unsigned char>(byte)]);
    return out;
}

CodePage::Encoded CodePage::FromUtf8(std::string_view text) const {
    if (!utf8::Valid(text)) return {std::string(text)};
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const char32_t c = *utf8::Next(text, i);
        if (table_ == nullptr) {
            const auto written = text_system::Encoded(number_, text.substr(start, i - start));
            if (!written) return {std::nullopt, c};
            out += *written;
        } else if (const auto byte = table_->ByteOf(c)) {
            out += static_cast<char>(*byte);
        } else if (const auto written = text_system::Written(number_, c)) {
            out += *written;
        } else {
            return {std::nullopt, c};
        }
    }
    return {std::move(out)};
}

std::string CodePage::Folded(std::string_view bytes) const {
    std::string out(bytes);
    for (char& byte : out) {
        const auto b = static_cast<unsigned char>(byte);
        if (table_ != nullptr) {
            byte = static_cast<char>(table_->lower[b]);
        } else if (b >= 'A' && b <= 'Z') {
            byte = static_cast<char>(b + ('a' - 'A'));
        }
    }
    return out;
}

std::string FoldedUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (const auto c = utf8::Next(text, i)) {
            utf8::Append(out, Folded(*c));
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::string Utf8Of(char32_t c) {
    std::string out;
    utf8::Append(out, c);
    return out;
}

unsigned CodePageOfLocale(std::string_view locale) {
    const std::string_view language = locale.substr(0, locale.find_first_of("_.@"));
    const std::size_t at = locale.find('@');
    const std::string_view modifier = at == std::string_view::npos ? std::string_view{} : locale.substr(at + 1);
    struct Languages {
        unsigned codePage;
        std::initializer_list<std::string_view> languages;
    };
    static const Languages kTable[] = {
        {1251, {"ru", "uk", "be", "bg", "mk"}},
        {1250, {"pl", "cs", "sk", "hu", "sl", "hr", "ro"}},
        {1253, {"el"}},
        {1255, {"he", "iw"}},
        {1256, {"ar", "fa", "ur"}},
        {1257, {"lt", "lv", "et"}},
        {1258, {"vi"}},
        {874, {"th"}},
    };
    // Serbian is Cyrillic unless written in Latin; Azerbaijani the other way.
    if (language == "sr") return modifier == "latin" ? 1250 : 1251;
    if (language == "tr") return 1254;
    if (language == "az") return modifier == "cyrillic" ? 1251 : 1254;
    for (const Languages& entry : kTable) {
        if (std::find(entry.languages.begin(), entry.languages.end(), language) != entry.languages.end()) {
            return entry.codePage;
        }
    }
    return 1252;
}

std::optional<unsigned> CodePageOfPrefix(std::string_view folder) {
    std::string text(folder);
    std::replace(text.begin(), text.end(), '\\', '/');
    const std::size_t drive = text.rfind("/drive_c/");
    if (drive == std::string::npos && !text.ends_with("/drive_c")) return std::nullopt;
    const std::string prefix = text.substr(0, drive != std::string::npos ? drive : text.size() - 8);
    std::ifstream registry(prefix + "/system.reg", std::ios::binary);
    // Wine writes the key as [System\\CurrentControlSet\\Control\\Nls\\CodePage] with a time after it.
    constexpr std::string_view kKey = "[System\\\\CurrentControlSet\\\\Control\\\\Nls\\\\CodePage]";
    constexpr std::string_view kValue = "\"ACP\"=\"";
    bool inKey = false;
    for (std::string line; std::getline(registry, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with('[')) {
            if (inKey) break;
            inKey = line.starts_with(kKey);
        } else if (inKey && line.starts_with(kValue)) {
            const std::string number = line.substr(kValue.size(), line.find('"', kValue.size()) - kValue.size());
            char* end = nullptr;
            const unsigned long value = std::strtoul(number.c_str(), &end, 10);
            if (number.empty() || *end != '\0' || value == 0 || value > 65535) return std::nullopt;
            return static_cast<unsigned>(value);
        }
    }
    return std::nullopt;
}

unsigned AutomaticCodePage([[maybe_unused]] std::string_view folder) {
#ifdef _WIN32
    const unsigned system = text_system::AnsiCodePage();
    return text_system::Converts(system) ? system : 1252;
#else
    if (const auto prefix = CodePageOfPrefix(folder); prefix && text_system::Converts(*prefix)) return *prefix;
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return CodePageOfLocale(value);
    }
    return 1252;
#endif
}

}  // namespace vantor
