// The text of a settings file as the private-profile functions see it, kept
// apart from file access so that reading and editing are pure functions.
//
// Lines: "[name]" opens a section (blanks around the name ignored), "key=value"
// is an entry (blanks around key and value ignored, one pair of matching outer
// quotes removed from the value), anything else is kept but never matched.
// Only the first section of a given name counts, and in it the first entry of
// a given key.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvane::ini {

// The value of key in section, as a read gives it; nullopt when missing.
std::optional<std::string> find_value(std::string_view text, std::string_view section,
                                      std::string_view key);

// text with key set to value. An existing entry is rewritten in place as
// "key=value" under its own spelling of the key; a new key goes after the last
// non-blank line of its section; a new section is appended at the end. Every
// other line keeps its bytes. New line breaks follow the file's first line
// (CRLF for an empty file). The value is cut at its first line break, so it
// can never add lines of its own, and loses its leading blanks.
std::string set_value(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value);

// The platform's integer reading of a value: leading blanks, an optional sign,
// an optional "0x", "0o" or "0b" base prefix, then the digits up to the first
// other character, accumulated in 32 bits with wrap-around.
std::int32_t parse_int(std::string_view text);

// The platform reads an integer through a 30-character buffer, and an empty
// value counts as missing.
constexpr std::size_t kIntReadBuffer = 30;

// get_int in terms of the raw value text (already cut to kIntReadBuffer - 1).
std::int32_t int_from_value(const std::string& value, std::int32_t default_value);

// A default string as a read returns it: trailing spaces dropped.
std::string trimmed_default(std::string_view default_value);

// text cut to what a buffer of buffer_size characters holds with its terminator.
std::string fit_buffer(std::string text, std::size_t buffer_size);

}  // namespace morvane::ini
