#pragma once
// Replacing a file's contents so that it holds either its old or its new bytes, never a part of
// them: a full disk or a crash halfway through a save must not cost the user the saved orders.

#include <filesystem>
#include <string>
#include <string_view>

namespace dropship {

// Writes bytes to a temporary file beside file, flushes it to disk, and renames it over file.
// A new file gets mode 0600 (it holds buyers' names, mobiles and addresses); an existing file
// keeps its mode and, where the process may set it, its owner. Returns the empty text on
// success, else a readable reason (UTF-8); on failure file is left as it was.
std::string replaceFileContents(const std::filesystem::path& file, std::string_view bytes);

} // namespace dropship
