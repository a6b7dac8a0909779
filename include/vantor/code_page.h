#pragma once

// The logs' text: the bytes of a Windows ANSI code page, one character a
// byte, and the UTF-8 text that players type and see.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// The single-byte ANSI code pages of Windows, in number order.
struct CodePageName {
    unsigned number;
    std::string_view name;       // "Windows-1251"
    std::string_view languages;  // "Cyrillic"
};
extern const std::array<CodePageName, 10> kCodePages;

// The entry of `number` among kCodePages, or null.
const CodePageName* FindCodePage(unsigned number);

// The conversion between the logs' bytes and UTF-8. The ten single-byte code
// pages convert byte by byte through a table made from the system's
// converter; the bytes a code page leaves undefined become the C1 control or
// Latin-1 character of the same number, both ways. Other code pages the
// system has (932, 936, 949, 950, 65001: a Windows set to such a language)
// convert whole texts, and their letter case is only ASCII's.
class CodePage {
public:
    // Windows-1252 unless told otherwise. Throws std::invalid_argument for a
    // number the system cannot convert.
    explicit CodePage(unsigned number = 1252);

    unsigned number() const { return number_; }
    // "Windows-1251", or "code page 932" for one not among kCodePages.
    std::string Name() const;

    // The logs' bytes as UTF-8: every byte is a character.
    std::string ToUtf8(std::string_view bytes) const;

    // UTF-8 text as the logs' bytes. Nothing, with the first character it
    // cannot write, when the code page lacks one; a text that is not valid
    // UTF-8 is taken as the bytes it is. Vietnamese letters that 1258 writes
    // as a letter and a combining mark are written so.
    struct Encoded {
        std::optional<std::string> bytes;
        char32_t unwritable = 0;
    };
    Encoded FromUtf8(std::string_view text) const;

    // The bytes with the code page's letters in lower case, byte for byte, so
    // that two IDs that differ only in letter case fold to the same bytes.
    std::string Folded(std::string_view bytes) const;

    friend bool operator==(const CodePage& a, const CodePage& b) { return a.number_ == b.number_; }

private:
    unsigned number_;
    const struct CodePageTable* table_;  // null for a code page of several bytes a character
};

// UTF-8 text with its letters in lower case (Unicode's simple mapping, as the
// system has it); what is not valid UTF-8 is kept as it is.
std::string FoldedUtf8(std::string_view text);

// One character as UTF-8.
std::string Utf8Of(char32_t c);

// The code page Wine gives a Windows set to the language of `locale`, a
// POSIX locale name such as "ru_RU.UTF-8" or "sr_RS@latin": 1252 for any
// language without its own.
unsigned CodePageOfLocale(std::string_view locale);

// The code page of the Wine prefix that holds `folder` (UTF-8): the "ACP" of
// its system.reg. Nothing when the folder is in no prefix, or the prefix
// does not say.
std::optional<unsigned> CodePageOfPrefix(std::string_view folder);

// The code page the logs of `folder` are written in, as far as this system
// can tell: on Windows the system's ANSI code page; elsewhere the code page
// of the Wine prefix that holds the folder, else that of the user's locale
// (LC_ALL, LC_CTYPE, then LANG).
unsigned AutomaticCodePage(std::string_view folder);

}  // namespace vantor
