#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace wave {

// A copy of the text that stays readable for the whole run, for messages
// thrown as const char*. Equal texts share one copy, so a failure that
// repeats does not cost memory again.
const char* lastingText(std::string_view text);

// "<file>: <fault>" as a lasting text.
const char* fileFault(const std::string& file, std::string_view fault);

// The whole content of a regular file. A file that cannot be opened throws
// the system's text for the error alone; a folder, another kind of file or a
// failed read throws "<file>: <fault>".
std::vector<std::uint8_t> readWholeFile(const std::string& file);

// Writes the pieces one after another into a new file beside `file`, then
// renames it over `file`: a reader sees the old file or the new one, never
// half of one, and a failure leaves the old file as it was. Throws
// "<file>: <fault>" on failure.
void writeFileAtomically(const std::string& file,
                         std::initializer_list<std::span<const std::uint8_t>> pieces);

}  // namespace wave
