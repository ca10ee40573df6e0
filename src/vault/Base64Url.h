#pragma once

// base64url without "=" padding, as the hardened data file writes every binary token. Decoding
// accepts only the text that encoding makes: a text with a character outside the alphabet, a
// length that no byte count encodes to, or stray bits in its last character is not valid, so that
// every value has exactly one spelling and a changed character is never read as the same bytes.

#include <cstddef>
#include <string>
#include <string_view>

std::string Base64UrlEncode(std::string_view bytes);
// Appends the text of the bytes to out.
void AppendBase64Url(std::string& out, const unsigned char* bytes, std::size_t size);

// The byte count of a valid text's length, or npos for a length that no byte count encodes to.
std::size_t Base64UrlDecodedSize(std::size_t textLength) noexcept;
// Whether the text is the encoding of some bytes; decodes nothing.
bool Base64UrlCanonical(std::string_view text) noexcept;
// Decodes a canonical text into out, which must have room for Base64UrlDecodedSize bytes; false,
// with out in an unspecified state, for a text that is not canonical.
bool Base64UrlDecode(std::string_view text, unsigned char* out) noexcept;
