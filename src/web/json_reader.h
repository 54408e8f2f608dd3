#pragma once
// Reads a JSON answer of the marketplace by member paths such as "mainOrders[0].id".
// Texts in and out are GBK. A reader holds one root value, replaced by every load.

#include <memory>
#include <string>
#include <string_view>

namespace dropship {

class JsonReader {
  public:
    JsonReader();
    ~JsonReader();
    JsonReader(JsonReader&&) noexcept;
    JsonReader& operator=(JsonReader&&) noexcept;

    // Parses the text as the new root. Accepts a UTF-8 byte order mark, surrounding blanks, a
    // trailing ";", a pair of enclosing parentheses and comments. Returns false, leaving no root,
    // when the text does not parse or is null.
    bool load(std::string_view gbkText);

    // The value at the path as text: a string as its GBK text, an integer with all its digits
    // (also beyond 64 bits), a fraction in its shortest round-trip form, true/false. A path that
    // does not resolve, null, objects and arrays read as the empty text.
    // A path is member names joined by "." and 0-based "[n]" elements; one starting with "["
    // applies to the root itself. Members may also be written as ["name"].
    std::string readText(std::string_view path) const;

    // Number of members of the array or object at the path (the root for an empty path); 0 for
    // anything else and for a path that does not resolve.
    int count(std::string_view path) const;

  private:
    struct Root;
    std::unique_ptr<Root> root_;
};

} // namespace dropship
