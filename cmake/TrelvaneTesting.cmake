# GoogleTest for both builds. Natively Debian's prebuilt libraries; for Windows the sources Debian
# ships in /usr/src/googletest, cross-compiled with the rest of the tree.

if(CMAKE_CROSSCOMPILING)
  set(TRELVANE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${TRELVANE_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  add_library(trelvane_gtest INTERFACE)
  target_link_libraries(trelvane_gtest INTERFACE gmock_main)
else()
  find_package(GTest REQUIRED)
  add_library(trelvane_gtest INTERFACE)
  target_link_libraries(trelvane_gtest INTERFACE GTest::gmock GTest::gtest_main)
endif()

# Each test binary writes a GoogleTest XML report; scripts/run-suite.sh sums them.
set(TRELVANE_TEST_REPORTS ${CMAKE_BINARY_DIR}/test-reports)
file(MAKE_DIRECTORY ${TRELVANE_TEST_REPORTS})

# trelvane_test(NAME SOURCES... DEPENDS libs...)
function(trelvane_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE trelvane_options trelvane_gtest ${ARG_DEPENDS})
  # The tests find the shared corpus through this path; they skip when it is absent.
  target_compile_definitions(${name} PRIVATE
      TRELVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # A relative report path: under Wine an absolute Unix path is not absolute to the test.
  add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${name}.xml
           WORKING_DIRECTORY ${TRELVANE_TEST_REPORTS})
endfunction()
