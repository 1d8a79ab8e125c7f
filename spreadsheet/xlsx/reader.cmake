# The .xlsx reader: library trelvane_spreadsheet_xlsx_reader, its tests and benchmark.
add_library(trelvane_spreadsheet_xlsx_reader STATIC
  reader_cell_reference.cpp
  reader_date_time.cpp
  reader_external_link.cpp
  reader_formula_text.cpp
  reader_package.cpp
  reader_shared_strings.cpp
  reader_table_part.cpp
  reader_text.cpp
  reader_warnings.cpp
  reader_workbook_part.cpp
  sheet_reader.cpp
  styles_reader.cpp
  theme_colors.cpp
  theme_reader.cpp
  xlsx_reader.cpp
  xml_stream_parser.cpp
  zip_reader.cpp)
target_link_libraries(trelvane_spreadsheet_xlsx_reader
  PUBLIC trelvane_options trelvane_spreadsheet_model trelvane_platform
  PRIVATE PkgConfig::LIBZIP PkgConfig::EXPAT)

if(TRELVANE_TESTS)
  trelvane_test(spreadsheet_xlsx_test
    SOURCES
      reader_cell_reference_test.cpp
      reader_formula_text_test.cpp
      reader_text_test.cpp
      theme_colors_test.cpp
      xml_stream_parser_test.cpp
      xlsx_reader_test.cpp
      xlsx_reader_corpus_test.cpp
      xlsx_reader_malformed_test.cpp
    DEPENDS trelvane_spreadsheet_xlsx_reader PkgConfig::LIBZIP PkgConfig::EXPAT)
endif()

trelvane_benchmark(xlsx_reader_benchmark
  SOURCES xlsx_reader_benchmark.cpp
  DEPENDS trelvane_spreadsheet_xlsx_reader PkgConfig::LIBZIP)
