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

# Each test binary writes a GoogleTest XML report; scripts/sum_test_reports.py sums them.
set(TRELVANE_TEST_REPORTS ${CMAKE_BINARY_DIR}/test-reports)
file(MAKE_DIRECTORY ${TRELVANE_TEST_REPORTS})

# trelvane_test(NAME SOURCES... DEPENDS libs...)
# One test binary per folder, named after it: every binary costs a link, and under Wine a
# start-up. Calls with the same NAME (a folder's families of tests) add to one binary; a source
# that two calls name is compiled once.
function(trelvane_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  if(NOT TARGET ${name})
    add_executable(${name})
    target_link_libraries(${name} PRIVATE trelvane_options trelvane_gtest)
    # The tests find the shared corpus through this path; they skip when it is absent.
    target_compile_definitions(${name} PRIVATE TRELVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    # A relative report path: under Wine an absolute Unix path is not absolute to the test.
    add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${name}.xml
             WORKING_DIRECTORY ${TRELVANE_TEST_REPORTS})
  endif()
  get_target_property(compiled ${name} SOURCES)
  foreach(source IN LISTS ARG_SOURCES)
    get_filename_component(path ${source} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    if(NOT path IN_LIST compiled)
      target_sources(${name} PRIVATE ${path})
      list(APPEND compiled ${path})
    endif()
  endforeach()
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS})
endfunction()
