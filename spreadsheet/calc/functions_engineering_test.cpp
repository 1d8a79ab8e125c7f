// Tests of the engineering worksheet functions, through formulas.
#include <gtest/gtest.h>

#include "spreadsheet/calc/calc_test_support.h"
#include "tests/support/formula_result_cases.h"

namespace spreadsheet {
namespace {

using testing::Evaluate;
using testing::IsError;
using test_support::ExpectErrors;
using test_support::ExpectNumbers;
using test_support::ExpectTexts;

TEST(EngineeringFunctions, ConvertUnits) {
  ExpectNumbers({
      {L"CONVERT(1,\"lbm\",\"kg\")", 0.45359237},
      {L"CONVERT(CONVERT(100,\"ft\",\"m\"),\"ft\",\"m\")", 9.290304},
      {L"CONVERT(1,\"in\",\"ft\")", 1.0 / 12},
      {L"CONVERT(1,\"mi\",\"km\")", 1.609344},  // The mile, not a milli-inch.
      {L"CONVERT(1,\"Nmi\",\"m\")", 1852},
      {L"CONVERT(1,\"hr\",\"mn\")", 60},
      {L"CONVERT(1,\"yr\",\"day\")", 365.25},
      {L"CONVERT(1,\"atm\",\"mmHg\")", 101325.0 / 133.322},
      {L"CONVERT(1,\"HP\",\"W\")", 745.69987158227022},
      {L"CONVERT(1,\"BTU\",\"J\")", 1055.05585262},
      {L"CONVERT(1,\"lbf\",\"N\")", 4.4482216152605},
      {L"CONVERT(1,\"T\",\"ga\")", 10000},
      {L"CONVERT(1,\"uk_gal\",\"l\")", 4.54609},
      {L"CONVERT(1,\"gal\",\"qt\")", 4},
      {L"CONVERT(1,\"ha\",\"ar\")", 100},
      {L"CONVERT(1,\"us_acre\",\"m2\")", 4046.8726098742514},
      {L"CONVERT(1,\"mph\",\"m/s\")", 0.44704},
      {L"CONVERT(1,\"kn\",\"m/h\")", 1852},
      {L"CONVERT(1,\"byte\",\"bit\")", 8},
      {L"CONVERT(\"2\",\"m\",\"cm\")", 200},
  });
  ExpectErrors({
      {L"CONVERT(2.5,\"ft\",\"sec\")", ErrorCode::NA},
      {L"CONVERT(1,\"xx\",\"m\")", ErrorCode::NA},
      {L"CONVERT(1,\"LBM\",\"kg\")", ErrorCode::NA},  // Unit names keep their case.
      {L"CONVERT(1,\"M\",\"m\")", ErrorCode::NA},
      {L"CONVERT(1,5,\"m\")", ErrorCode::NA},
      {L"CONVERT(TRUE,\"m\",\"ft\")", ErrorCode::Value},
      {L"CONVERT(\"a\",\"m\",\"ft\")", ErrorCode::Value},
      {L"CONVERT(1,NA(),\"ft\")", ErrorCode::NA},
  });
}

TEST(EngineeringFunctions, ConvertPrefixes) {
  ExpectNumbers({
      {L"CONVERT(1,\"km\",\"m\")", 1000},
      {L"CONVERT(1,\"dam\",\"m\")", 10},
      {L"CONVERT(1,\"nm\",\"ang\")", 10},
      {L"CONVERT(1,\"km2\",\"m2\")", 1e6},  // The prefix is squared with the unit.
      {L"CONVERT(1,\"cm^3\",\"ml\")", 1},
      {L"CONVERT(1,\"m3\",\"l\")", 1000},
      {L"CONVERT(1,\"kbyte\",\"bit\")", 8000},
      {L"CONVERT(1,\"kibyte\",\"byte\")", 1024},
      {L"CONVERT(1,\"Gibit\",\"Mibit\")", 1024},
      {L"CONVERT(1,\"kW\",\"HP\")", 1000 / 745.69987158227022},
      {L"CONVERT(1,\"MJ\",\"kWh\")", 1000.0 / 3600},
      {L"CONVERT(1,\"ms\",\"sec\")", 0.001},
  });
  ExpectErrors({
      {L"CONVERT(1,\"kft\",\"m\")", ErrorCode::NA},  // Feet take no prefix.
      {L"CONVERT(1,\"kim\",\"m\")", ErrorCode::NA},  // Binary prefixes are for bits and bytes.
      {L"CONVERT(1,\"xm\",\"m\")", ErrorCode::NA},
  });
}

TEST(EngineeringFunctions, ConvertTemperatures) {
  ExpectNumbers({
      {L"CONVERT(68,\"F\",\"C\")", 20},
      {L"CONVERT(100,\"C\",\"K\")", 373.15},
      {L"CONVERT(0,\"K\",\"F\")", -459.67},
      {L"CONVERT(-40,\"cel\",\"fah\")", -40},
      {L"CONVERT(9,\"Rank\",\"K\")", 5},
      {L"CONVERT(100,\"Reau\",\"C\")", 125},
      {L"CONVERT(25,\"C\",\"Reau\")", 20},
      {L"CONVERT(491.67,\"Rank\",\"C\")", 0},
      {L"CONVERT(1000,\"mK\",\"kel\")", 1},
      {L"CONVERT(20,\"C\",\"C\")", 20},
  });
  EXPECT_TRUE(IsError(Evaluate(L"CONVERT(1,\"C\",\"m\")"), ErrorCode::NA));
}

TEST(EngineeringFunctions, DecimalToBases) {
  ExpectTexts({
      {L"DEC2BIN(9,4)", L"1001"},
      {L"DEC2BIN(-100)", L"1110011100"},
      {L"DEC2BIN(-1,3)", L"1111111111"},  // Places do not apply to negative numbers.
      {L"DEC2BIN(511)", L"111111111"},
      {L"DEC2BIN(-512)", L"1000000000"},
      {L"DEC2BIN(9.9)", L"1001"},
      {L"DEC2BIN(0)", L"0"},
      {L"DEC2HEX(100,4)", L"0064"},
      {L"DEC2HEX(-54)", L"FFFFFFFFCA"},
      {L"DEC2HEX(28)", L"1C"},
      {L"DEC2HEX(549755813887)", L"7FFFFFFFFF"},
      {L"DEC2OCT(58,3)", L"072"},
      {L"DEC2OCT(-100)", L"7777777634"},
  });
  ExpectErrors({
      {L"DEC2BIN(512)", ErrorCode::Num},
      {L"DEC2BIN(-513)", ErrorCode::Num},
      {L"DEC2BIN(9,2)", ErrorCode::Num},
      {L"DEC2BIN(9,0)", ErrorCode::Num},
      {L"DEC2BIN(9,11)", ErrorCode::Num},
      {L"DEC2HEX(549755813888)", ErrorCode::Num},
      {L"DEC2OCT(536870912)", ErrorCode::Num},
      {L"DEC2BIN(TRUE)", ErrorCode::Value},
      {L"DEC2BIN(\"x\")", ErrorCode::Value},
  });
}

TEST(EngineeringFunctions, BasesToDecimalAndBetween) {
  ExpectNumbers({
      {L"BIN2DEC(1100100)", 100},
      {L"BIN2DEC(\"1111111111\")", -1},
      {L"BIN2DEC(\"0111111111\")", 511},
      {L"BIN2DEC(\"\")", 0},
      {L"HEX2DEC(\"A5\")", 165},
      {L"HEX2DEC(\"a5\")", 165},
      {L"HEX2DEC(\"FFFFFFFF5B\")", -165},
      {L"HEX2DEC(\"3DA408B9\")", 1034160313},
      {L"OCT2DEC(54)", 44},
      {L"OCT2DEC(\"7777777533\")", -165},
  });
  ExpectTexts({
      {L"BIN2HEX(11111011,4)", L"00FB"},
      {L"BIN2HEX(1110)", L"E"},
      {L"BIN2HEX(\"1111111111\")", L"FFFFFFFFFF"},
      {L"BIN2OCT(1001,3)", L"011"},
      {L"BIN2OCT(\"1111111111\")", L"7777777777"},
      {L"HEX2BIN(\"F\",8)", L"00001111"},
      {L"HEX2BIN(\"FFFFFFFE00\")", L"1000000000"},
      {L"HEX2OCT(\"F\",3)", L"017"},
      {L"HEX2OCT(\"FFFFFFFF00\")", L"7777777400"},
      {L"OCT2BIN(3,3)", L"011"},
      {L"OCT2BIN(7777777000)", L"1000000000"},
      {L"OCT2HEX(100,4)", L"0040"},
      {L"BIN2HEX(1111,3.9)", L"00F"},
      {L"OCT2HEX(\"7777777533\")", L"FFFFFFFF5B"},
  });
  ExpectErrors({
      {L"BIN2DEC(\"12\")", ErrorCode::Num},
      {L"BIN2DEC(\"11111111111\")", ErrorCode::Num},
      {L"BIN2DEC(-1)", ErrorCode::Num},
      {L"BIN2DEC(TRUE)", ErrorCode::Value},
      {L"HEX2DEC(\"G1\")", ErrorCode::Num},
      {L"OCT2DEC(8)", ErrorCode::Num},
      {L"HEX2BIN(\"200\")", ErrorCode::Num},         // 512 has no ten-digit binary.
      {L"HEX2BIN(\"FFFFFFFDFF\")", ErrorCode::Num},  // Nor has -513.
      {L"BIN2HEX(11111111,1)", ErrorCode::Num},
  });
}

TEST(EngineeringFunctions, StepsAndBits) {
  ExpectNumbers({
      {L"DELTA(5,4)", 0},
      {L"DELTA(5,5)", 1},
      {L"DELTA(0.5)", 0},
      {L"DELTA(0)", 1},
      {L"DELTA(\"3\",3)", 1},
      {L"GESTEP(5,4)", 1},
      {L"GESTEP(5,5)", 1},
      {L"GESTEP(-4,-5)", 1},
      {L"GESTEP(-1)", 0},
      {L"BITAND(1,5)", 1},
      {L"BITAND(13,25)", 9},
      {L"BITOR(23,10)", 31},
      {L"BITXOR(5,3)", 6},
      {L"BITLSHIFT(4,2)", 16},
      {L"BITRSHIFT(13,2)", 3},
      {L"BITLSHIFT(4,-2)", 1},
      {L"BITRSHIFT(1,-3)", 8},
      {L"BITOR(2^47,2^47-1)", 281474976710655.0},
  });
  ExpectErrors({
      {L"DELTA(TRUE,1)", ErrorCode::Value},
      {L"GESTEP(\"a\")", ErrorCode::Value},
      {L"BITAND(-1,1)", ErrorCode::Num},
      {L"BITAND(1.5,1)", ErrorCode::Num},
      {L"BITAND(2^48,1)", ErrorCode::Num},
      {L"BITLSHIFT(1,54)", ErrorCode::Num},
      {L"BITLSHIFT(2^47,1)", ErrorCode::Num},
      {L"BITXOR(\"a\",1)", ErrorCode::Value},
  });
}

TEST(EngineeringFunctions, ErrorFunction) {
  ExpectNumbers({
      {L"ERF(0.745)", 0.7079289200957377},
      {L"ERF(1)", 0.8427007929497149},
      {L"ERF(-1)", -0.8427007929497149},
      {L"ERF(0,1)", 0.8427007929497149},
      {L"ERF(1,0)", -0.8427007929497149},
      {L"ERF(1,2)", 0.15262147206923782},
      {L"ERFC(1)", 0.15729920705028513},
      {L"ERFC(-1)", 1.8427007929497148},
      {L"ERF.PRECISE(0.745)", 0.7079289200957377},
      {L"ERFC.PRECISE(1)", 0.15729920705028513},
  });
  ExpectErrors({{L"ERF(TRUE)", ErrorCode::Value}, {L"ERFC(\"x\")", ErrorCode::Value}});
}

}  // namespace
}  // namespace spreadsheet
