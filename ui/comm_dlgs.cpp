#include "ui/comm_dlgs.h"

#include <algorithm>

#include "vantor/run_error.h"
#include "ui/form_view.h"

namespace CommDlgs {

namespace {

constexpr std::size_t kMaxFileName = 255;  // the platform dialog's file buffer

// Characters, not bytes, of UTF-8 text.
std::size_t CharacterCount(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The first `count` characters of UTF-8 text.
std::string_view FirstCharacters(std::string_view text, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t seen = 0; end < text.size(); ++end) {
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80 && seen++ == count) break;
    }
    return text.substr(0, end);
}

}  // namespace

std::string FileNameOf(const std::vector<std::string>& parts, std::string_view extension) {
    std::vector<std::string> cleaned;
    for (const std::string& part : parts) {
        const std::size_t first = part.find_first_not_of(' ');
        if (first == std::string::npos) continue;
        std::string name = part.substr(first, part.find_last_not_of(' ') - first + 1);
        for (char& c : name) {
            if (c == ' ') {
                c = '-';
            } else if (static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) {
                c = '_';
            }
        }
        cleaned.push_back(std::move(name));
    }
    if (cleaned.empty()) cleaned.emplace_back("tally");
    // Too long (a long player ID, long log names): each part cut to an equal share.
    const std::size_t room = kMaxFileName - CharacterCount(extension) - (cleaned.size() - 1);
    std::size_t length = cleaned.size() - 1;
    for (const std::string& part : cleaned) length += CharacterCount(part);
    if (length + CharacterCount(extension) > kMaxFileName) {
        for (std::string& part : cleaned) part = std::string(FirstCharacters(part, room / cleaned.size()));
    }
    std::string name;
    for (const std::string& part : cleaned) name += (name.empty() ? "" : "-") + part;
    return name + std::string(extension);
}

std::string ShowFileDialog(vantor::FormView& OwnerWindow, int DialogMode, std::string_view DialogTitle,
                           std::string_view InitialFileName, std::string_view FilterSpec,
                           std::string_view InitialDir, std::string_view DefaultExt) {
    if (CharacterCount(InitialFileName) > kMaxFileName) {
        throw vantor::RunError(vantor::ErrorKind::InvalidArgument, "initial file name longer than 255 characters");
    }
    vantor::FileDialogRequest request;
    request.open = DialogMode == 1;
    request.title = DialogTitle;
    request.initialFileName = InitialFileName;
    request.filter = FilterSpec;
    request.initialDir = InitialDir;
    request.defaultExt = DefaultExt;
    request.flags = request.open ? kOpenFlags : kSaveFlags;
    return OwnerWindow.ShowFileDialog(request);
}

int FindLast(std::string& SearchIn, std::string& SearchFor, bool CaseSensitive, bool CountFromEnd,
             const std::function<std::string(std::string_view)>& UpperCase) {
    if (!CaseSensitive) {
        SearchIn = UpperCase(SearchIn);
        SearchFor = UpperCase(SearchFor);
    }
    const std::size_t length = SearchIn.size();
    std::size_t last = 0;
    for (std::size_t i = 1; i <= length; ++i) {
        if (std::string_view(SearchIn).substr(i - 1, SearchFor.size()) == SearchFor) last = i;
    }
    return static_cast<int>(CountFromEnd && last > 0 ? length - last + 1 : last);
}

}  // namespace CommDlgs
