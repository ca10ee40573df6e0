#include "vault/NotesAddress.h"

#include "vault/NotesLines.h"

#include <algorithm>

namespace {

constexpr std::string_view WebSchemes[] = {"https://", "http://"};

bool HasWebScheme(std::string_view text) noexcept {
    return std::any_of(std::begin(WebSchemes), std::end(WebSchemes),
                       [text](std::string_view scheme) { return StartsWithNoCase(text, scheme); });
}

// A scheme of another kind ("mailto:", "file:", "javascript:"): letters, digits, "+", "-" and
// "." before a colon that comes before any "/", "?" or "#".
bool HasOtherScheme(std::string_view text) noexcept {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return false;
    const std::string_view scheme = text.substr(0, colon);
    const bool schemeLike = std::all_of(scheme.begin(), scheme.end(), [](char ch) {
        return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
               ch == '+' || ch == '-' || ch == '.';
    });
    // "example.com:8443/path" is a host and a port, not a scheme.
    const std::string_view after = text.substr(colon + 1);
    const bool port = !after.empty() && after.front() >= '0' && after.front() <= '9';
    return schemeLike && !port;
}

bool Blank(char ch) noexcept {
    const auto code = static_cast<unsigned char>(ch);
    return code <= 0x20 || code == 0x7F;
}

// Whether the text, an address with its scheme, names a host and holds no blank.
bool WellFormed(std::string_view address) noexcept {
    if (std::any_of(address.begin(), address.end(), Blank))
        return false;
    const std::size_t hostStart = address.find("//") + 2;
    const std::size_t hostEnd = address.find_first_of("/?#", hostStart);
    const std::string_view host = address.substr(hostStart, hostEnd - hostStart);
    return !host.empty() && host.front() != ':' && host.front() != '@';
}

} // namespace

std::string NotesWebAddress(std::string_view notes) {
    for (const std::string_view raw : NotesLineViews(notes)) {
        const std::string_view line = TrimmedLine(raw);
        std::string_view value;
        if (HasWebScheme(line)) {
            if (WellFormed(line))
                return std::string(line);
        } else if (AfterLabel(line, "url", value)) {
            if (HasWebScheme(value)) {
                if (WellFormed(value))
                    return std::string(value);
            } else if (!value.empty() && !HasOtherScheme(value) && value.front() != '/') {
                std::string address = "https://" + std::string(value);
                if (WellFormed(address))
                    return address;
            }
        }
    }
    return {};
}
