# Compiler settings shared by every target of the project.

set(ZYL_WARNING_FLAGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
    -Wold-style-cast -Woverloaded-virtual -Wimplicit-fallthrough)
# GCC 12 at -O3 reports -Wrestrict for plain std::string concatenation inside
# libstdc++ (GCC bug 105329), so optimised builds with warnings as errors
# would fail on correct code.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  list(APPEND ZYL_WARNING_FLAGS -Wno-restrict)
endif()

if(ZYL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# Line and branch coverage (gcov): `make coverage` builds with it. Counters
# are updated atomically because several tests run threads.
if(ZYL_COVERAGE)
  add_compile_options(--coverage -O0 -fprofile-update=atomic)
  add_link_options(--coverage)
endif()

# zyl_set_warnings(target): the project's warning set, errors with ZYL_WERROR.
function(zyl_set_warnings target)
  target_compile_options(${target} PRIVATE ${ZYL_WARNING_FLAGS})
  if(ZYL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# zyl_add_test(name SOURCES a.cpp b.cpp [LIBS x y] [LABELS slow])
# One GoogleTest executable; every test case becomes a CTest test.
function(zyl_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE zylhg GTest::gtest GTest::gtest_main GTest::gmock ${ARG_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  zyl_set_warnings(${name})
  target_compile_definitions(${name} PRIVATE
    ZYL_SOURCE_DIR="${PROJECT_SOURCE_DIR}" ZYL_BINARY_DIR="${PROJECT_BINARY_DIR}")
  if(ARG_LABELS)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${ARG_LABELS}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
