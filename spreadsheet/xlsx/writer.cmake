# The .xlsx writer: library trelvane_spreadsheet_xlsx_writer, its tests and benchmark.
add_library(trelvane_spreadsheet_xlsx_writer STATIC
  ${CMAKE_CURRENT_LIST_DIR}/sheet_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/styles_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/writer_cell_reference.cpp
  ${CMAKE_CURRENT_LIST_DIR}/writer_external_links.cpp
  ${CMAKE_CURRENT_LIST_DIR}/writer_formula_encoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/writer_function_names.cpp
  ${CMAKE_CURRENT_LIST_DIR}/writer_package_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/writer_shared_strings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/writer_table_part.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xlsx_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zip_writer.cpp)
target_link_libraries(trelvane_spreadsheet_xlsx_writer
  PUBLIC trelvane_options trelvane_spreadsheet_model trelvane_platform
  PRIVATE PkgConfig::LIBZIP)

if(TRELVANE_TESTS)
  set(trelvane_writer_test_support
    ${CMAKE_CURRENT_LIST_DIR}/xlsx_writer_test_workbook.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/flat_ods_document.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/libre_office.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/workbook_differences.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/xml_tree.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/zip_entries.cpp)
  # It reads the whole model namespace at once, which would reach the sources joined after it.
  set_source_files_properties(${PROJECT_SOURCE_DIR}/tests/support/workbook_differences.cpp
                              PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
  trelvane_test(spreadsheet_xlsx_test
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/writer_formula_encoder_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/xlsx_writer_libreoffice_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/xlsx_writer_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/xml_writer_test.cpp
      ${trelvane_writer_test_support}
    DEPENDS trelvane_spreadsheet_xlsx_writer PkgConfig::LIBZIP PkgConfig::EXPAT)
  # Model, writer, reader, same model: built once the reader is part of the tree.
  if(TARGET trelvane_spreadsheet_xlsx_reader)
    trelvane_test(spreadsheet_xlsx_test
      SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/xlsx_writer_corpus_libreoffice_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/xlsx_writer_round_trip_test.cpp
        ${trelvane_writer_test_support}
      DEPENDS trelvane_spreadsheet_xlsx_writer trelvane_spreadsheet_xlsx_reader
              PkgConfig::LIBZIP PkgConfig::EXPAT)
  endif()
endif()

trelvane_benchmark(xlsx_writer_benchmark
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/xlsx_writer_benchmark.cpp
  DEPENDS trelvane_spreadsheet_xlsx_writer)
