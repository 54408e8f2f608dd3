#include "web/json_reader.h"

#include "web/gbk.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

namespace dropship {

using Json = nlohmann::json;

struct JsonReader::Root {
    Json value;
};

namespace {

bool isIntegerLiteral(std::string_view literal) {
    if (literal.starts_with('-'))
        literal.remove_prefix(1);
    return !literal.empty() && literal.find_first_not_of("0123456789") == std::string_view::npos;
}

// Builds the document like nlohmann's own DOM parser, except that an integer too large for 64 bits
// keeps its literal digits (as text) instead of being rounded to a double: order numbers must
// survive whole.
class DocumentBuilder {
  public:
    explicit DocumentBuilder(Json& root) : root_(root) {}

    bool null() { return add(nullptr); }
    bool boolean(bool value) { return add(value); }
    bool number_integer(Json::number_integer_t value) { return add(value); }
    bool number_unsigned(Json::number_unsigned_t value) { return add(value); }
    bool number_float(Json::number_float_t value, const Json::string_t& literal) {
        if (isIntegerLiteral(literal))
            return add(literal);
        return add(value);
    }
    bool string(Json::string_t& value) { return add(std::move(value)); }
    bool binary(Json::binary_t& value) { return add(std::move(value)); }
    bool start_object(std::size_t /*elements*/) { return open(Json::object()); }
    bool key(Json::string_t& name) {
        key_ = std::move(name);
        return true;
    }
    bool end_object() { return close(); }
    bool start_array(std::size_t /*elements*/) { return open(Json::array()); }
    bool end_array() { return close(); }
    bool parse_error(std::size_t /*position*/, const std::string& /*token*/,
                     const nlohmann::detail::exception& /*error*/) {
        return false;
    }

  private:
    Json* place(Json&& value) {
        if (open_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        Json& parent = *open_.back();
        if (parent.is_array()) {
            parent.push_back(std::move(value));
            return &parent.back();
        }
        Json& slot = parent[key_]; // a repeated member keeps its last value
        slot = std::move(value);
        return &slot;
    }
    bool add(Json&& value) {
        place(std::move(value));
        return true;
    }
    bool open(Json&& container) {
        open_.push_back(place(std::move(container)));
        return true;
    }
    bool close() {
        open_.pop_back();
        return true;
    }

    Json& root_;
    std::vector<Json*> open_;
    Json::string_t key_;
};

// Removes what a script evaluation would have tolerated around the value.
std::string_view stripWrapping(std::string_view text) {
    constexpr std::string_view blanks = " \t\r\n";
    const auto trim = [&](std::string_view s) {
        const std::size_t first = s.find_first_not_of(blanks);
        if (first == std::string_view::npos)
            return std::string_view{};
        return s.substr(first, s.find_last_not_of(blanks) - first + 1);
    };
    text = trim(text);
    while (text.ends_with(';'))
        text = trim(text.substr(0, text.size() - 1));
    if (text.size() >= 2 && text.front() == '(' && text.back() == ')')
        text = trim(text.substr(1, text.size() - 2));
    return text;
}

// A number as JavaScript writes it: shortest round-trip digits, plain notation for exponents
// from -7 to 20, scientific notation beyond.
std::string numberText(double value) {
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Infinity" : "Infinity";
    if (value == 0)
        return "0";
    if (value < 0)
        return "-" + numberText(-value);
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const std::string_view scientific(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = scientific.find('e');
    std::string digits(scientific.substr(0, e));
    if (digits.size() > 1)
        digits.erase(1, 1); // the decimal point
    int exponent = 0;
    const std::string_view exponentText = scientific.substr(e + 1);
    std::from_chars(exponentText.data() + (exponentText.front() == '+' ? 1 : 0),
                    exponentText.data() + exponentText.size(), exponent);
    const int k = static_cast<int>(digits.size());
    const int n = exponent + 1; // position of the decimal point relative to the digits
    if (k <= n && n <= 21)
        return digits + std::string(static_cast<std::size_t>(n - k), '0');
    if (0 < n && n <= 21)
        return digits.substr(0, static_cast<std::size_t>(n)) + "." +
               digits.substr(static_cast<std::size_t>(n));
    if (-6 < n && n <= 0)
        return "0." + std::string(static_cast<std::size_t>(-n), '0') + digits;
    const std::string sign = n - 1 < 0 ? "-" : "+";
    const std::string mantissa = k == 1 ? digits : digits.substr(0, 1) + "." + digits.substr(1);
    return mantissa + "e" + sign + std::to_string(std::abs(n - 1));
}

// One step of a path: a member name or an array index.
struct Step {
    std::string name;
    std::optional<std::size_t> index;
};

// Splits a path into steps; nullopt when it is malformed.
std::optional<std::vector<Step>> parsePath(std::string_view path) {
    std::vector<Step> steps;
    std::size_t pos = 0;
    bool expectName = !path.starts_with('[');
    while (pos < path.size() || expectName) {
        if (expectName) {
            const std::size_t end = path.find_first_of(".[", pos);
            const std::string_view name = path.substr(pos, end == std::string_view::npos ? end : end - pos);
            if (name.empty())
                return std::nullopt;
            steps.push_back({std::string(name), std::nullopt});
            pos += name.size();
            expectName = false;
            continue;
        }
        if (path[pos] == '.') {
            ++pos;
            expectName = true;
            continue;
        }
        if (path[pos] != '[')
            return std::nullopt;
        const std::size_t close = path.find(']', pos);
        if (close == std::string_view::npos)
            return std::nullopt;
        const std::string_view inside = path.substr(pos + 1, close - pos - 1);
        if (inside.size() >= 2 && (inside.front() == '"' || inside.front() == '\'') &&
            inside.back() == inside.front()) {
            steps.push_back({std::string(inside.substr(1, inside.size() - 2)), std::nullopt});
        } else {
            std::size_t index = 0;
            const auto result = std::from_chars(inside.data(), inside.data() + inside.size(), index);
            if (inside.empty() || result.ec != std::errc{} || result.ptr != inside.data() + inside.size())
                return std::nullopt;
            steps.push_back({std::string(inside), index});
        }
        pos = close + 1;
    }
    return steps;
}

const Json* resolve(const Json& root, std::string_view path) {
    const auto steps = parsePath(path);
    if (!steps)
        return nullptr;
    const Json* current = &root;
    for (const Step& step : *steps) {
        if (current->is_array() && step.index) {
            if (*step.index >= current->size())
                return nullptr;
            current = &(*current)[*step.index];
        } else if (current->is_object()) {
            // An index on an object names the member of that number, as in JavaScript.
            const auto found = current->find(step.name);
            if (found == current->end())
                return nullptr;
            current = &*found;
        } else {
            return nullptr;
        }
    }
    return current;
}

} // namespace

JsonReader::JsonReader() = default;
JsonReader::~JsonReader() = default;
JsonReader::JsonReader(JsonReader&&) noexcept = default;
JsonReader& JsonReader::operator=(JsonReader&&) noexcept = default;

bool JsonReader::load(std::string_view gbkText) {
    root_.reset();
    // A UTF-8 byte order mark would be read as a GBK character: drop it before the conversion.
    if (gbkText.starts_with("\xEF\xBB\xBF"))
        gbkText.remove_prefix(3);
    const std::string utf8 = gbkToUtf8(stripWrapping(gbkText));
    if (utf8.empty())
        return false;
    auto root = std::make_unique<Root>();
    DocumentBuilder builder(root->value);
    bool parsed = false;
    try {
        parsed = Json::sax_parse(utf8, &builder, Json::input_format_t::json, true, true);
    } catch (const Json::exception&) {
        parsed = false;
    }
    if (!parsed || root->value.is_null())
        return false;
    root_ = std::move(root);
    return true;
}

std::string JsonReader::readText(std::string_view path) const {
    if (!root_)
        return {};
    const Json* value = path.empty() ? &root_->value : resolve(root_->value, path);
    if (value == nullptr)
        return {};
    switch (value->type()) {
    case Json::value_t::string:
        return utf8ToGbk(value->get_ref<const Json::string_t&>());
    case Json::value_t::number_integer:
        return std::to_string(value->get<Json::number_integer_t>());
    case Json::value_t::number_unsigned:
        return std::to_string(value->get<Json::number_unsigned_t>());
    case Json::value_t::number_float:
        return numberText(value->get<Json::number_float_t>());
    case Json::value_t::boolean:
        return value->get<bool>() ? "true" : "false";
    default:
        return {};
    }
}

int JsonReader::count(std::string_view path) const {
    if (!root_)
        return 0;
    const Json* value = path.empty() ? &root_->value : resolve(root_->value, path);
    if (value == nullptr || !(value->is_array() || value->is_object()))
        return 0;
    return static_cast<int>(value->size());
}

} // namespace dropship
