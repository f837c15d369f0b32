#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <filesystem>
#include <string>

#include "file_test_support.h"
#include "help/rtf_file.h"
#include "help/rtf_reader.h"
#include "rtf_test_support.h"

namespace zirvanta {
namespace {

using testing::Describe;
using namespace std::string_view_literals;

std::string Read(std::string_view rtf, const RtfLimits& limits = {}) {
  return Describe(ReadRtf(rtf, limits));
}

struct Case {
  const char* name;
  std::string_view rtf;
  const char* expected;
};

// One construct per row, as a word processor writes it.
constexpr Case kConstructs[] = {
    {"groups keep their formatting", R"({\rtf1 a{\b b{\i c}}d})", "a(b)b(b i)cd"},
    {"paragraphs, empty ones included", R"({\rtf1 one\par\par two\par})", "one /  / two"},
    {"a backslash before a line end is a paragraph", "{\\rtf1 a\\\nb}", "a / b"},
    {"line ends in the source are no text", "{\\rtf1 a\r\nb\n}", "ab"},
    {"line breaks and tabs", R"({\rtf1 a\line b\tab c})", "a\nb\tc"},
    {"bold, italic, underline on and off",
     R"({\rtf1 \b B\b0 n\i I\i0 n\ul U\ulnone n\uldb D\ul0 n})",
     "(b)Bn(i)In(u)Un(u)Dn"},
    {"plain resets the characters but not the paragraph",
     R"({\rtf1\deff1{\fonttbl{\f0 Sans;}{\f1 Mono;}}\qc\b\f0\fs40 x\plain y})",
     "qc: (b f0 s40)x(f1)y"},
    {"font table with families and sizes in half points",
     R"({\rtf1\ansi\deff0{\fonttbl{\f0\froman\fcharset0 Times New Roman;}{\f1\fswiss Arial;})"
     R"(\f2\fmodern Courier New;}\f1\fs20 a\f2\fs16 b\f9 c})",
     "(f1 s20)a(f2 s16)b(s16)c"},
    {"colour table with the automatic colour first",
     R"({\rtf1{\colortbl;\red255\green0\blue0;\red0\green128\blue0;}\cf1 r\cf2 g\cf0 a\cf7 x})",
     "(#ff0000)r(#008000)gax"},  // an index past the table is the automatic colour
    {"alignment of each paragraph",
     R"({\rtf1\qc c\par\qr r\par\qj j\par\ql l\par\pard p\par})",
     "qc: c / qr: r / qj: j / l / p"},
    {"a group's paragraph format ends with the group", R"({\rtf1{\qc c\par}l\par})",
     "qc: c / l"},
    {"first-line and left indents, spacing, tab stops",
     R"({\rtf1\fi-360\li720\ri100\sb120\sa60\tx2000\tx4000 a\par\pard b})",
     "li720 fi-360 ri100 sb120 sa60 tx2000,4000: a / b"},
    {"bullets written as text", R"({\rtf1 \bullet\tab a\par\'95 b\par{\pntext\'b7\tab}c})",
     "\u2022\ta / \u2022 b / \u00b7\tc"},
    {"bullet of a Symbol font",
     R"({\rtf1{\fonttbl{\f0 Arial;}{\f3\ftech\fcharset2 Symbol;}}{\f3\'b7}\f0 x})",
     "(f1)\u2022(f0)x"},
    {"code page 1252", R"({\rtf1\ansi\ansicpg1252 caf\'e9 \'80 \'93q\'94})",
     "caf\u00e9 \u20ac \u201cq\u201d"},
    {"code page 1251", R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8\'e2\'e5\'f2 \'a8\'b8})",
     "\u041f\u0440\u0438\u0432\u0435\u0442 \u0401\u0451"},
    {"a Cyrillic font in a Western document",
     R"({\rtf1\ansicpg1252{\fonttbl{\f0 Arial;}{\f1\fcharset204 Arial CYR;}}\f1\'c0\f0\'c0})",
     "(f1)\u0410(f0)\u00c0"},
    {"Unicode with its fallback skipped",
     R"({\rtf1\uc1\u1055?\u-3998?{\uc2\u1072??}\uc0\u1073 x})",
     "\u041f\uf062\u0430\u0431x"},
    {"the fallback may be a byte escape and ends with the group",
     R"({\rtf1\uc2\u1055\'3f\'3f{\u1072?}b})", "\u041f\u0430b"},
    {"a surrogate pair is one character", R"({\rtf1\u-10179?\u-8704?})", "\U0001F600"},
    {"lone surrogates are replaced", R"({\rtf1\u-10179?x\u-8704?})", "\ufffdx\ufffd"},
    {"special characters",
     R"({\rtf1 \{\}\\\~\_\-\emdash\endash\lquote\rquote\ldblquote\rdblquote})",
     "{}\\\u00a0\u2011\u2014\u2013\u2018\u2019\u201c\u201d"},
    {"ignored destinations show no text",
     R"({\rtf1{\info{\title T}{\author A}}{\stylesheet{\s0 Normal;}}{\*\generator G;})"
     R"({\pict\pngblip 89504e47}{\*\unknown U}{\header H}x})",
     "x"},
    {"unknown control words are skipped", R"({\rtf1 a\unknownword42 b\nosupersub c})", "abc"},
    {"field results show, instructions do not",
     R"({\rtf1{\field{\*\fldinst HYPERLINK "x"}{\fldrslt{\ul link}}}})", "(u)link"},
    {"hidden text", R"({\rtf1 a{\v hidden}b})", "ab"},
    {"binary data is skipped, braces in it included", R"({\rtf1 a\bin4 }}{xb})", "ab"},
    {"table cells and rows", R"({\rtf1\trowd a\cell b\cell\row c})", "a\tb\t / c"},
    {"not rich text", "plain text {\\b x}", ""},
};

TEST(ReadRtf, EachConstruct) {
  for (const Case& c : kConstructs) EXPECT_EQ(Read(c.rtf), c.expected) << c.name;
}

// Bytes no word processor writes: a partial or empty document, never a crash or a hang.
constexpr Case kDamaged[] = {
    {"unbalanced closing braces, text after the end", R"({\rtf1 a}}}}b)", "a"},
    {"unclosed groups", R"({\rtf1 {\b{{a)", "(b)a"},
    {"cut inside a byte escape", R"({\rtf1 a\')", "a"},
    {"cut after a backslash", "{\\rtf1 a\\", "a"},
    {"a byte escape without hex digits", R"({\rtf1 a\'zzb})", "azzb"},
    {"numbers past 32 bits", R"({\rtf1\fs99999999999999999999 a\li-99999999999 b\u99999999?c})",
     "li-31680: (s3276)ab\ufffdc"},
    {"negative sizes and colours",
     R"({\rtf1{\colortbl;\red-5\green300\blue-99999999999;}\fs-4\cf1 a})", "(s2 #00ff00)a"},
    {"a huge binary length", R"({\rtf1 a\bin99999999999999 xyz})", "a"},
    {"a negative binary length", R"({\rtf1 a\bin-5 b})", "ab"},
    {"a huge fallback count", R"({\rtf1\uc99999999\u1055 abc}d)", "\u041f"},
    {"a control word of a thousand letters",
     "{\\rtf1 a\\bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb b}", "ab"},
    {"NUL and control bytes", "{\\rtf1 a\0\x01\x1f" "b}"sv, "ab"},
    {"raw high bytes take the code page", "{\\rtf1\\ansicpg1251 \xcf}", "\u041f"},
};

TEST(ReadRtf, DamagedInput) {
  for (const Case& c : kDamaged) EXPECT_EQ(Read(c.rtf), c.expected) << c.name;
}

TEST(ReadRtf, DeepNestingIsSkippedBeyondTheLimitAndBalancedAfterIt) {
  const std::string deep = std::string(100000, '{') + "\\b deep" + std::string(100000, '}');
  EXPECT_EQ(Read("{\\rtf1 a{\\i" + deep + "b}c}"), "a(i)bc");
  EXPECT_EQ(Read("{\\rtf1 a" + std::string(100000, '{') + "x"), "a");
  RtfLimits shallow;
  shallow.maxGroupDepth = 3;
  EXPECT_EQ(Read(R"({\rtf1 a{b{c{d}}}e})", shallow), "abce");
}

TEST(ReadRtf, LimitsCutTheDocumentShortAndSaySo) {
  const struct {
    RtfLimits limits;
    std::string_view rtf;
    const char *expected, *fonts;
  } cases[] = {
      {{.maxParagraphs = 2}, R"({\rtf1 a\par b\par c\par d})", "a / b", ""},
      {{.maxRuns = 3}, R"({\rtf1 a\b b\b0 c\b d})", "", ""},  // stopped in the only paragraph
      {{.maxTextBytes = 4, .maxFonts = 1, .maxTabStops = 1, .maxFontNameBytes = 3},
       R"({\rtf1{\fonttbl{\f0 Arial;}{\f1 Mono;}}\tx10\tx20 ab\par cdef})", "tx10: ab", "Ari;"},
  };
  for (const auto& c : cases) {
    const RtfDocument document = ReadRtf(c.rtf, c.limits);
    EXPECT_EQ(Describe(document), c.expected) << c.rtf;
    std::string fonts;
    for (const RtfFont& font : document.fonts) fonts += font.name + ';';
    EXPECT_EQ(fonts, c.fonts) << c.rtf;
    EXPECT_TRUE(document.truncated) << c.rtf;
  }
  EXPECT_FALSE(ReadRtf(R"({\rtf1 a\par b})").truncated);
}

TEST(ReadRtf, FontTableEntries) {
  const RtfDocument document = ReadRtf(
      R"({\rtf1{\fonttbl{\f0\froman\fcharset204{\*\panose 0}Times New Roman{\*\falt Times};})"
      R"(\f5\fmodern Courier New;}})");
  ASSERT_EQ(document.fonts.size(), 2u);
  EXPECT_EQ(document.fonts[0], (RtfFont{"Times New Roman", RtfFontFamily::Roman, 204}));
  EXPECT_EQ(document.fonts[1], (RtfFont{"Courier New", RtfFontFamily::Modern, 0}));
}

TEST(ReadDocumentFile, RegularFilesOnly) {
  using Status = DocumentFileRead::Status;
  testing::TempDir dir;
  testing::WriteBytes(dir.File("a.rtf"), "{\\rtf1 a}");
  testing::WriteBytes(dir.File("empty.rtf"), "");
  std::filesystem::create_directory(dir.File("folder.rtf"));
  ASSERT_EQ(::mkfifo(dir.File("pipe.rtf").c_str(), 0600), 0);  // no writer: must not block

  const DocumentFileRead read = ReadDocumentFile(dir.File("a.rtf"));
  EXPECT_EQ(read.status, Status::Ok);
  EXPECT_EQ(read.bytes, "{\\rtf1 a}");
  EXPECT_EQ(ReadDocumentFile(dir.File("empty.rtf")).status, Status::Ok);
  EXPECT_EQ(ReadDocumentFile(dir.File("a.rtf"), 9).status, Status::Ok);
  EXPECT_EQ(ReadDocumentFile(dir.File("a.rtf"), 8).status, Status::TooLarge);
  EXPECT_EQ(ReadDocumentFile(dir.File("missing.rtf")).status, Status::Missing);
  EXPECT_EQ(ReadDocumentFile(dir.File("a.rtf/x")).status, Status::Missing);
  EXPECT_EQ(ReadDocumentFile(dir.File("folder.rtf")).status, Status::NotRegular);
  EXPECT_EQ(ReadDocumentFile(dir.File("pipe.rtf")).status, Status::NotRegular);
}

}  // namespace
}  // namespace zirvanta
