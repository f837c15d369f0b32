// Mutated samples through the reader: whatever the bytes, it must return a well-formed document
// (the sanitizer builds run this too).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "help/rtf_reader.h"
#include "rtf_fuzz_check.h"

namespace zirvanta {
namespace {

std::vector<std::string> Samples() {
  std::ifstream manual(ZIRVANTA_DESCRIPTION_RTF, std::ios::binary);
  std::vector<std::string> samples = {
      std::string(std::istreambuf_iterator<char>(manual), {}),
      R"({\rtf1\ansi\ansicpg1251\deff0{\fonttbl{\f0\fswiss\fcharset204 Arial;})"
      R"({\f1\fcharset2 Symbol;}})"
      R"({\colortbl;\red128\green0\blue0;}\pard\qc\b\fs32\cf1 \'cf\'f0\'e8\par\pard\fi-360\li720)"
      R"({\f1\'b7\tab}\uc1\u1055?\u-10179?\u-8704?\line x\tab\tx2000 y{\*\bkmkstart a}\par})",
      R"({\rtf1{\info{\title t}}{\stylesheet{\s1 h;}}{\pict\bin3 {}}x})"
      R"({\field{\*\fldinst a}{\fldrslt b}})",
  };
  EXPECT_GT(samples[0].size(), 1000u) << "the manual is missing: " << ZIRVANTA_DESCRIPTION_RTF;
  return samples;
}

constexpr const char* kTokens[] = {
    "{",
    "}",
    "\\",
    "\\par ",
    "\\pard",
    "\\bin",
    "\\bin99999999999 ",
    "\\u-1",
    "\\u55357?",
    "\\uc0",
    "\\uc99999",
    "\\'ff",
    "\\'",
    "\\*",
    "{\\fonttbl ",
    "{\\colortbl;",
    "\\red999",
    ";",
    "\\f",
    "\\f99999999999",
    "\\fs",
    "\\cf1",
    "\\cf-2",
    "\\tx",
    "\\li-9999999999",
    "\\line",
    "\\tab",
    "\\qc",
    "\\b0",
    "\\plain",
    "\\ansicpg1251",
    "\\fcharset204",
    "\\v",
    "9999999999",
    "-",
    "\xff",
    "{{{{{{{{{{{{{{{{",
};

std::string Mutate(const std::string& sample, std::mt19937& random) {
  std::string bytes = sample;
  auto below = [&](size_t n) -> size_t {
    return n == 0 ? 0 : std::uniform_int_distribution<size_t>(0, n - 1)(random);
  };
  const size_t edits = 1 + below(8);
  for (size_t e = 0; e < edits; ++e) {
    const size_t at = below(bytes.size() + 1);
    switch (below(6)) {
      case 0:
        if (at < bytes.size()) bytes[at] = static_cast<char>(below(256));
        break;
      case 1: bytes.insert(at, kTokens[below(std::size(kTokens))]); break;
      case 2: bytes.erase(at, below(64)); break;
      case 3: bytes.insert(at, bytes.substr(below(bytes.size() + 1), below(256))); break;
      case 4: bytes.resize(at); break;
      case 5:
        bytes.insert(at, below(5000), bytes.empty() ? '{' : bytes[below(bytes.size())]);
        break;
    }
  }
  return bytes;
}

TEST(RtfFuzz, MutatedSamplesGiveWellFormedDocuments) {
  const std::vector<std::string> samples = Samples();
  std::mt19937 random(20240613);
  RtfLimits small;  // low limits, so that they are met often
  small.maxTextBytes = 2000;
  small.maxParagraphs = 40;
  small.maxRuns = 60;
  small.maxGroupDepth = 8;
  for (int i = 0; i < 3000; ++i) {
    const std::string input = Mutate(samples[static_cast<size_t>(i) % samples.size()], random);
    const RtfLimits limits = i % 4 == 0 ? small : RtfLimits{};
    const std::string fault = testing::DocumentFault(ReadRtf(input, limits), limits);
    ASSERT_EQ(fault, "") << "input " << i << ", " << input.size() << " bytes";
  }
}

TEST(RtfFuzz, TheManualReadsWhole) {
  const RtfDocument manual = ReadRtf(Samples()[0]);
  EXPECT_TRUE(manual.isRtf);
  EXPECT_FALSE(manual.truncated);
  EXPECT_GT(manual.paragraphs.size(), 50u);
  EXPECT_EQ(testing::DocumentFault(manual, RtfLimits{}), "");
}

}  // namespace
}  // namespace zirvanta
