# Flags every target of the project shares: one place, linked as an INTERFACE target.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE RelWithDebInfo)
endif()

add_library(dropship_common INTERFACE)
target_compile_options(dropship_common INTERFACE -Wall -Wextra -Wpedantic -Werror)
# GCC 12 at -O3 reports -Wrestrict falsely inside std::string's operator+ (GCC bug 105329); the
# warning stays on for other compilers and versions.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(dropship_common INTERFACE -Wno-restrict)
endif()
target_compile_definitions(dropship_common INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
target_include_directories(dropship_common INTERFACE ${CMAKE_SOURCE_DIR}/src)
find_package(Threads REQUIRED)
target_link_libraries(dropship_common INTERFACE Threads::Threads)
