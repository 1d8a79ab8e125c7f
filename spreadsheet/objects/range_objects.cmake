# Range, Interior, Font, Borders and Border objects:
# target_sources(trelvane_spreadsheet_objects PRIVATE ...) and their tests.
target_sources(trelvane_spreadsheet_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/areas_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/border_edge.cpp
  ${CMAKE_CURRENT_LIST_DIR}/border_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/borders_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/font_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/interior_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/range_address.cpp
  ${CMAKE_CURRENT_LIST_DIR}/range_areas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/range_bound_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/range_color.cpp
  ${CMAKE_CURRENT_LIST_DIR}/range_content.cpp
  ${CMAKE_CURRENT_LIST_DIR}/range_format_editor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/range_geometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/range_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/range_navigation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/range_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/range_value_array.cpp)
# Range.Text shows values through the number formats; typed dates become serials.
target_link_libraries(trelvane_spreadsheet_objects PUBLIC trelvane_spreadsheet_calc)

if(TRELVANE_TESTS)
  trelvane_test(spreadsheet_objects_test
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/range_format_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/range_object_test.cpp
    DEPENDS trelvane_spreadsheet_objects)
endif()

trelvane_benchmark(spreadsheet_range_objects_benchmark
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/range_value_benchmark.cpp
  DEPENDS trelvane_spreadsheet_objects)
