# Application, workbook, sheet, name, table, style and window objects:
# target_sources(trelvane_spreadsheet_objects PRIVATE ...) and their tests.
target_sources(trelvane_spreadsheet_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/application_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/language_settings_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list_column_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list_columns_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list_object_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list_objects_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/name_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/names_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/object_arguments.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pane_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/panes_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/reference_resolver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sheet_rename.cpp
  ${CMAKE_CURRENT_LIST_DIR}/style_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/styles_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/windows_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/workbook_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/workbooks_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/worksheet_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/worksheets_object.cpp)

if(TRELVANE_TESTS)
  # The logic under the objects, testable without the Range object.
  trelvane_test(spreadsheet_objects_test
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/reference_resolver_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/sheet_rename_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/window_layout_test.cpp
    DEPENDS trelvane_spreadsheet_objects)
endif()

if(TRELVANE_TESTS)
  # The objects called by name through IDispatch, as the system calls them.
  trelvane_test(spreadsheet_objects_test
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/application_object_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/calculation_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/list_object_object_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/name_object_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/window_object_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/worksheet_object_test.cpp
    DEPENDS trelvane_spreadsheet_objects)
endif()

trelvane_benchmark(spreadsheet_workbook_objects_benchmark
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/workbook_objects_benchmark.cpp
  DEPENDS trelvane_spreadsheet_objects)
