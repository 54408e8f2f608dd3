#pragma once
// Answers are bytes; the readers take them as GBK text up to the first zero byte.

#include <string_view>

namespace dropship {

inline std::string_view answerText(std::string_view bytes) {
    return bytes.substr(0, bytes.find('\0'));
}

} // namespace dropship
