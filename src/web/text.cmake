add_library(dropship_text STATIC
  gbk.cpp
)
target_link_libraries(dropship_text PUBLIC dropship_common PRIVATE Iconv::Iconv PkgConfig::PCRE2 nlohmann_json::nlohmann_json)
