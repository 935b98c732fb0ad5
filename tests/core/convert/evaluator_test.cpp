#include "core/convert/evaluator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "core/convert/function_table.h"

namespace nibblet {
namespace {

struct Case {
  std::string input;
  std::string expected;
};

// Runs the cases in order on one evaluator, so variables carry from one line to the next.
void expectInOrder(Evaluator& evaluator, const std::vector<Case>& cases) {
  for (const Case& c : cases)
    EXPECT_EQ(evaluator.evaluateText(c.input), c.expected) << "input: \"" << c.input << "\"";
}

// "v<i>=<i>", the i-th of a run of distinct variables.
std::string variableAssignment(int i) {
  std::string line = "v";
  line += std::to_string(i);
  line += '=';
  line += std::to_string(i);
  return line;
}

constexpr const char* kPiText = "3.141592653589793116";

TEST(Evaluator, ReferenceSessionFromAnEmptyTable) {
  Evaluator evaluator;
  expectInOrder(evaluator, {
      {"", ""},
      {"   \t ", ""},
      {"r", "0"},
      {"2+3*4", "14"},
      {"(2+3)*4", "20"},
      {"7%3", "1"},
      {"2^10", "1024"},
      {"2^3^2", "8"},
      {"1/0", "Division by zero = "},
      {"x=5", "x=5"},
      {"x*2", "10"},
      {"r", "10"},
      {"r+1", "11"},
      {"X = 5", "x = 5"},
      {"x=", "x="},
      {"x", "Unknown variable = x"},
      {"pi", kPiText},
      {"PI", kPiText},
      {"rad(180)", kPiText},
      {"4*atan(1)", kPiText},
      {"sin(pi/2)", "1"},
      {"deg(pi)", "180"},
      {"log10(1000)", "3"},
      {"log(e)", "1"},
      {"hypot(3,4)", "5"},
      {"hypot(3)", "Wrong number of arguments to function = hypot"},
      {"sin(1,2,3,4)", "Wrong number of arguments to function = sin"},
      {"sin()", "Missing an argument = )"},
      {"()", "Missing an argument = )"},
      {"foo(1)", "Unrecognised function = foo"},
      {"(1+2", "Unbalanced parenthesis = "},
      {"2$3", "Syntax error = $"},
      {"2+", "Syntax error = "},
      {"abs(-3)", "3"},
      {"--2", "Syntax error = -"},
      {"-2", "-2"},
      {"1/2", "0.5"},
      {"1/8", "0.125"},
      {"sin(0", "0"},
      {"2 3", "2"},
      {"(a=2)+b", "Unknown variable = b"},
      {"a", "2"},
  });
}

TEST(Evaluator, FormatsResultsInFixedNotationWithoutTrailingZeros) {
  Evaluator evaluator;
  expectInOrder(evaluator, {
      {"1/3", "0.33333333333333331483"},
      {"-0.5", "-0.5"},
      {"1/4", "0.25"},
      {"0", "0"},
      {"-0", "-0"},
      {"100", "100"},
      {"1e5", "1"},      // the number ends before the "e"; the rest is ignored
      {"1.5.2", "1.5"},  // read up to the first character that does not fit
      {".", "0"},
      {"5.", "5"},
      {".25", "0.25"},
      {"-2^2", "4"},
      {"2^-1", "0.5"},
      {"10^-21", "0"},
      {"-10^-21", "-0"},
      {"2^53+1", "9007199254740992"},
      {"exp(1000)", "inf"},
      {"-exp(1000)", "-inf"},
      {"0^-1", "inf"},
      {"log(0)", "-inf"},
      {"fmod(-7,3)", "-1"},
      {"-7%3", "-1"},
      {"7.5%-2", "1.5"},
  });
  // NaN keeps the sign the hardware gave it.
  for (const char* input : {"sqrt(-1)", "exp(1000)-exp(1000)", "-sqrt(-1)"}) {
    std::string result = evaluator.evaluateText(input);
    EXPECT_TRUE(result == "nan" || result == "-nan") << input << " gave " << result;
  }
  EXPECT_NE(evaluator.evaluateText("sqrt(-1)"), evaluator.evaluateText("-sqrt(-1)"));
  // The largest finite values come out in full, digit by digit.
  std::string big = evaluator.evaluateText("10^308*1.7");
  EXPECT_EQ(big.size(), 309u);
  EXPECT_EQ(big.find_first_not_of("0123456789"), std::string::npos);
  EXPECT_EQ(evaluator.evaluateText("-(10^308*1.7)"), "-" + big);
  EXPECT_EQ(evaluator.evaluateText("-10^308*1.7"), big);  // the sign belongs to the base
}

TEST(Evaluator, ReportsErrorsWithTheCurrentToken) {
  Evaluator evaluator;
  expectInOrder(evaluator, {
      {"1/0+1", "Division by zero = +"},
      {"7%-0", "Division by zero = "},
      {"1/(0)", "Division by zero = "},
      {"(1+2 3", "Unbalanced parenthesis = 3"},
      {"5)", "5"},
      {"=5", "Syntax error = ="},
      {"2=3", "2"},
      {"y==1", "Syntax error = ="},
      {"x = y = 1", "Unknown variable = y"},
      {"sin", "Unknown variable = sin"},
      {"sin (0)", "0"},
      {"sin(1,2)", "Wrong number of arguments to function = sin"},
      {"fmod(1,2,3)", "Wrong number of arguments to function = fmod"},
      {"hypot(3,)", "Missing an argument = )"},
      {"hypot(,3)", "Missing an argument = ,"},
      {"sin(", "Syntax error = "},
      {"sin(1)$", "Syntax error = $"},
      {"(x=)", "Syntax error = )"},
      {"2\n", "Syntax error = \n"},
      {"2\xC3\xA9", "Syntax error = \xC3"},
      {"\xFF", "Syntax error = \xFF"},
      {"\t2 \t+ 3\t", "5"},
  });
}

TEST(Evaluator, AssignsDeletesAndShadowsConstants) {
  Evaluator evaluator;
  expectInOrder(evaluator, {
      {"missing=", "missing="},  // deleting a missing variable is no error
      {"pi=3", "pi=3"},
      {"pi", "3"},               // variables come before constants
      {"pi=", "pi="},
      {"pi", kPiText},
      {"sin=2", "sin=2"},        // a name can be a variable and a function at once
      {"sin(sin-2)", "0"},
      {"r=7", "r=7"},
      {"r", "7"},
      {"y=1+2*3", "y=1+2*3"},
      {"x = y = 1", "x = y = 1"},  // x takes y's value; the rest is ignored
      {"x", "7"},
      {"X=", "x="},
      {"x", "Unknown variable = x"},
  });
  // An assignment result leaves r alone; a parenthesised assignment is an ordinary value.
  expectInOrder(evaluator, {{"(z=4)*2", "8"}, {"r", "8"}, {"z", "4"}});
}

TEST(Evaluator, KeepsAssignmentsMadeBeforeAnError) {
  Evaluator evaluator;
  expectInOrder(evaluator, {
      {"(a=2)+b", "Unknown variable = b"},
      {"sin(c=1)+1/0", "Division by zero = "},
      {"(d=3)+(e=4)+(f=1/0)", "Division by zero = )"},
      {"a+c+d+e", "10"},
      {"f", "Unknown variable = f"},
  });
}

TEST(Evaluator, FullTableRefusesNewNamesButKeepsExistingOnes) {
  Evaluator evaluator;
  // 49 variables plus r make 50.
  EXPECT_EQ(evaluator.evaluateText("1+1"), "2");
  for (int i = 0; i < 49; ++i) {
    std::string line = variableAssignment(i);
    ASSERT_EQ(evaluator.evaluateText(line), line);
  }
  EXPECT_EQ(evaluator.variables().count(), 50u);
  expectInOrder(evaluator, {
      {"w=1", "Maximum variables exceeded = "},
      {"(w=1)", "Maximum variables exceeded = )"},
      {"v3=100", "v3=100"},
      {"v3+v48", "148"},
      {"r", "148"},
      {"r=5", "r=5"},
      {"v0=", "v0="},
      {"w=1", "w=1"},
      {"w", "1"},
  });

  // With 50 variables and no r, results still come back but r stays unknown-as-zero.
  Evaluator noResult;
  for (int i = 0; i < 50; ++i) {
    std::string line = variableAssignment(i);
    ASSERT_EQ(noResult.evaluateText(line), line);
  }
  expectInOrder(noResult, {
      {"6*7", "42"},
      {"r", "0"},
      {"v49=1", "v49=1"},
      {"v49", "1"},
      {"v0=", "v0="},
      {"6*7", "42"},
      {"r", "42"},
      {"v0=1", "Maximum variables exceeded = "},
  });
}

TEST(Evaluator, CallsEveryFunctionWithItsExactArgumentCount) {
  Evaluator evaluator;
  expectInOrder(evaluator, {
      {"cos(0)", "1"}, {"tan(0)", "0"}, {"asin(0)", "0"}, {"acos(1)", "0"},
      {"sinh(0)", "0"}, {"cosh(0)", "1"}, {"tanh(0)", "0"}, {"exp(0)", "1"},
      {"sqrt(16)", "4"}, {"floor(-1.5)", "-2"}, {"ceil(-1.5)", "-1"}, {"abs(-0.25)", "0.25"},
      {"fmod(7,3)", "1"}, {"deg(rad(90))", "90"}, {"2*asin(1)", kPiText},
      {"bessel(0,0)", "1"}, {"bessel(1,0)", "0"},
  });
  // Every function takes one argument except these three, which take two.
  const std::string twoArguments[] = {"hypot", "fmod", "bessel"};
  const std::string names[] = {"sin", "cos", "tan", "asin", "acos", "atan", "sinh",
                               "cosh", "tanh", "exp", "log", "log10", "sqrt", "floor",
                               "ceil", "abs", "hypot", "fmod", "bessel", "deg", "rad"};
  for (const std::string& name : names) {
    int expectedCount = std::count(std::begin(twoArguments), std::end(twoArguments), name) ? 2 : 1;
    std::string args = "1";
    for (int count = 1; count <= 3; ++count) {
      std::string result = evaluator.evaluateText(name + "(" + args + ")");
      bool wrongCount = result == "Wrong number of arguments to function = " + name;
      EXPECT_EQ(wrongCount, count != expectedCount) << name << " with " << count;
      EXPECT_EQ(result.find("Unrecognised"), std::string::npos) << name;
      args += ",1";
    }
  }
}

TEST(Evaluator, BesselTruncatesTheOrderAndBoundsIt) {
  double j1 = FunctionTable::bessel(1, 2.5);
  EXPECT_NEAR(j1, 0.4970941024642741, 1e-15);
  EXPECT_EQ(FunctionTable::bessel(1.9, 2.5), j1);
  EXPECT_EQ(FunctionTable::bessel(-1, 2.5), -j1);
  EXPECT_EQ(FunctionTable::bessel(-1.9, 2.5), -j1);
  EXPECT_EQ(FunctionTable::bessel(-0.5, 2.5), FunctionTable::bessel(0, 2.5));
  EXPECT_FALSE(std::isnan(FunctionTable::bessel(FunctionTable::kMaxBesselOrder, 1)));
  constexpr double kInf = std::numeric_limits<double>::infinity();
  for (double order : {FunctionTable::kMaxBesselOrder + 1, -FunctionTable::kMaxBesselOrder - 1,
                       1e300, -1e300, kInf, -kInf, std::numeric_limits<double>::quiet_NaN()})
    EXPECT_TRUE(std::isnan(FunctionTable::bessel(order, 1))) << order;
  Evaluator evaluator;
  EXPECT_EQ(evaluator.evaluateText("bessel(10^300, 1)"), "nan");
}

TEST(Evaluator, LongInputAndTokensStayInsideTheirBounds) {
  Evaluator evaluator;
  // Names are cut to 15 characters: both spellings are the same variable.
  expectInOrder(evaluator, {
      {"abcdefghijklmnopqrstuvwxyz=4", "abcdefghijklmnopqrstuvwxyz=4"},
      {"abcdefghijklmno", "4"},
      {"ABCDEFGHIJKLMNOzzz", "4"},
      {std::string(300, 'q'), "Unknown variable = " + std::string(15, 'q')},
      {std::string(300, 'q') + "(1)", "Unrecognised function = " + std::string(15, 'q')},
  });
  // A number keeps its whole value; only the text kept for messages is cut to 63 characters.
  std::string digits70(70, '0');
  digits70[0] = '1';
  EXPECT_EQ(evaluator.evaluateText(digits70 + "/10^69"), "1");
  EXPECT_EQ(evaluator.evaluateText("(1 " + digits70),
            "Unbalanced parenthesis = " + digits70.substr(0, 63));
  EXPECT_EQ(evaluator.evaluateText(std::string(1000, '9')), "inf");
  EXPECT_EQ(evaluator.evaluateText("0." + std::string(900, '0') + "1"), "0");

  // Input is cut to 1023 characters: 512 ones summed, the rest of the line unseen.
  std::string sum;
  for (int i = 0; i < 1000; ++i) sum += "1+";
  EXPECT_EQ(evaluator.evaluateText(sum + "1"), "512");
  std::string assignment = "k=" + std::string(1500, '1');
  EXPECT_EQ(evaluator.evaluateText(assignment), assignment.substr(0, 1023));
  // A NUL byte ends the text.
  EXPECT_EQ(evaluator.evaluateText(std::string("2+3\0+4", 6)), "5");
  EXPECT_EQ(evaluator.evaluateText(std::string("\0" "5", 2)), "");
}

TEST(Evaluator, BoundsNestingWithASyntaxError) {
  Evaluator evaluator;
  auto nested = [](int depth, const std::string& open) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += open;
    text += "1";
    return text + std::string(depth, ')');
  };
  EXPECT_EQ(evaluator.evaluateText(nested(100, "(")), "1");
  EXPECT_EQ(evaluator.evaluateText(nested(101, "(")), "Syntax error = (");
  EXPECT_EQ(evaluator.evaluateText(nested(100, "abs(")), "1");
  EXPECT_EQ(evaluator.evaluateText(nested(101, "abs(")), "Syntax error = (");
  EXPECT_EQ(evaluator.evaluateText(nested(50, "(-")), "1");
  EXPECT_EQ(evaluator.evaluateText(std::string(5000, '(')), "Syntax error = (");
}

}  // namespace
}  // namespace nibblet
