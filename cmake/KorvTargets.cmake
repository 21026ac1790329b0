# Helpers shared by every CMakeLists of the project.

# Warnings are errors in our own code.
function(korv_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    -Wno-sign-conversion -Werror)
  # GCC 12 with optimisation reports overlapping copies inside std::string
  # for plain "text" + string expressions (GCC bug 105329), so no release
  # build would pass; its -Wrestrict is of no use to us there.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
     AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()

# A core library: no Qt. Its public headers are reached as "<subsystem>/<file>.h".
function(korv_core_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  korv_warnings(${name})
endfunction()

# A window library: Qt Widgets allowed, moc on.
function(korv_ui_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} Qt6::Widgets Qt6::PrintSupport)
  korv_warnings(${name})
endfunction()

# A GoogleTest executable of core tests, registered case by case in CTest.
function(korv_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  korv_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "KORV_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")
endfunction()

# A QTest executable of window tests, run offscreen.
function(korv_qtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} Qt6::Test Qt6::Widgets)
  korv_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;KORV_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;KORV_SHARE_DIR=${KORV_SHARE_DIR}")
endfunction()
