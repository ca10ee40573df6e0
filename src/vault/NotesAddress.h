#pragma once

// The web address that an account's notes give for it, in the forms other password managers
// and people write: a line that is an http:// or https:// address, or a "url:" line.

#include <string>
#include <string_view>

// The first such address (Windows-1252 bytes), or the empty string. A "url:" line without a
// scheme gets https://; one with another scheme (file:, javascript: and the like) is no web
// address, so that opening it can never run or reveal anything on this computer. An address
// holds no spaces or control characters and names a host.
std::string NotesWebAddress(std::string_view notes);
