# dropship_web: the HTTP client on libcurl, the shared cookie store and the endpoint configuration.
add_library(dropship_web STATIC
  ${CMAKE_CURRENT_LIST_DIR}/cookie_ops.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cookie_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/curl_global.cpp
  ${CMAKE_CURRENT_LIST_DIR}/curl_transfer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/endpoints_config.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http_client_curl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http_target.cpp
)
target_link_libraries(dropship_web PUBLIC dropship_common dropship_text PRIVATE CURL::libcurl)
