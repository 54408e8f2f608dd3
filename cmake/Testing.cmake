# Test registration shared by every test folder.
#   dropship_add_gtest(<name> SOURCES ... LIBS ... [LABELS ...])  GoogleTest executable
#   dropship_add_qttest(<name> SOURCES ... LIBS ... [LABELS ...]) Qt Test executable (offscreen)
set(DROPSHIP_TEST_ENV
    "QT_QPA_PLATFORM=offscreen"
    "QTWEBENGINE_DISABLE_SANDBOX=1"
    "QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu --disable-background-networking --disable-component-update --no-first-run"
    "QT_LOGGING_RULES=qt.qpa.*=false"
    "TZ=Asia/Shanghai")

function(dropship_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE dropship_common GTest::gtest GTest::gmock GTest::gtest_main ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${DROPSHIP_TEST_ENV}" LABELS "${T_LABELS}")
endfunction()

function(dropship_add_qttest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE dropship_common Qt6::Test ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${DROPSHIP_TEST_ENV}" LABELS "${T_LABELS}")
endfunction()
