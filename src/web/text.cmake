add_library(dropship_text STATIC
  gbk.cpp
  text_ops.cpp
  date_time_text.cpp
  json_reader.cpp
  pattern_matcher.cpp
)
target_link_libraries(dropship_text PUBLIC dropship_common PRIVATE Iconv::Iconv PkgConfig::PCRE2 nlohmann_json::nlohmann_json)
