#pragma once

// The password CSV of Chromium's browsers (Chrome, Edge, Brave, ...), which Firefox imports too:
// the header name,url,username,password,note. An account's web address is the first line of its
// notes that is one (http:// or https:// and no spaces), which then leaves the note; browsers
// skip a row without one.

#include "vault/RecordCodec.h"

#include <array>
#include <string>

inline constexpr std::array<const char*, 5> BrowserCsvColumns = {"name", "url", "username",
                                                                 "password", "note"};

// The account's fields in that order, in Windows-1252, the note's lines joined by line breaks.
// The caller wipes them.
std::array<std::string, 5> BrowserCsvRow(const TPassRecord& record);
