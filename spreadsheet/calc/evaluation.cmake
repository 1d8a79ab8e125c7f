# Formula evaluation and recalculation: the formula reader, the evaluator and the calculator.
target_sources(trelvane_spreadsheet_calc PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/calculator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/expression_parser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/formula_evaluator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/r1c1_reference.cpp)

if(TRELVANE_TESTS)
  trelvane_test(spreadsheet_calc_test
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/calculator_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/expression_parser_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/formula_evaluator_test.cpp
    DEPENDS trelvane_spreadsheet_calc_testing)
endif()

trelvane_benchmark(spreadsheet_recalculation_benchmark
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/benchmark_workbook.cpp
    ${CMAKE_CURRENT_LIST_DIR}/recalculation_benchmark.cpp
  DEPENDS trelvane_spreadsheet_calc)
