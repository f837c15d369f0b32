#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zirvanta {

// A small, strict reader of the rich text that word processors write for a manual: paragraphs,
// line breaks and tabs, bold, italic, underline, fonts and sizes, foreground colours, alignment,
// indents, spacing and tab stops, text in the document's code page or as Unicode. Everything
// else is skipped, never shown as text. It never fails: any bytes give a document, partial or
// empty, in time and memory bounded by the input's length and the limits.

struct RtfColour {
  uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const RtfColour&, const RtfColour&) = default;
};

enum class RtfFontFamily : uint8_t { Nil, Roman, Swiss, Modern, Script, Decor, Tech, Bidi };

struct RtfFont {
  std::string name;  // UTF-8, without the closing semicolon
  RtfFontFamily family = RtfFontFamily::Nil;
  int32_t charset = 0;  // \fcharset: 0 the document's code page, 2 symbol, 204 Cyrillic, ...
  friend bool operator==(const RtfFont&, const RtfFont&) = default;
};

struct RtfCharFormat {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int32_t font = -1;                  // index into RtfDocument::fonts; -1 for none
  int32_t sizeHalfPoints = 24;        // \fs, kept within 2..3276
  std::optional<RtfColour> colour;    // none: the automatic colour
  friend bool operator==(const RtfCharFormat&, const RtfCharFormat&) = default;
};

enum class RtfAlignment : uint8_t { Left, Centre, Right, Justified };

// Lengths in twips (1/1440 inch), each kept within +-kRtfMaxTwips.
struct RtfParagraphFormat {
  RtfAlignment alignment = RtfAlignment::Left;
  int32_t firstIndent = 0;  // \fi, relative to the left indent
  int32_t leftIndent = 0;   // \li
  int32_t rightIndent = 0;  // \ri
  int32_t spaceBefore = 0;  // \sb
  int32_t spaceAfter = 0;   // \sa
  std::vector<int32_t> tabStops;  // \tx, in the order written
  friend bool operator==(const RtfParagraphFormat&, const RtfParagraphFormat&) = default;
};

inline constexpr int32_t kRtfMaxTwips = 31680;  // 22 inches, the widest page word processors take

// Text in UTF-8; a tab is '\t' and a line break inside the paragraph is '\n'.
struct RtfRun {
  std::string text;
  RtfCharFormat format;
  friend bool operator==(const RtfRun&, const RtfRun&) = default;
};

struct RtfParagraph {
  RtfParagraphFormat format;
  std::vector<RtfRun> runs;  // neighbours differ in format; none is empty
  RtfCharFormat mark;        // the paragraph mark's: an empty paragraph is as high as it

  std::string Text() const;
};

struct RtfDocument {
  std::vector<RtfFont> fonts;
  std::vector<RtfParagraph> paragraphs;
  bool isRtf = false;      // the input began with {\rtf; otherwise the document is empty
  bool truncated = false;  // a limit below cut the document short
};

// Bounds on what one document may hold; reading stops, with truncated set, at the first one hit.
struct RtfLimits {
  std::size_t maxTextBytes = 8u << 20;
  std::size_t maxParagraphs = 200000;
  std::size_t maxRuns = 400000;
  std::size_t maxFonts = 1024;
  std::size_t maxColours = 1024;
  std::size_t maxTabStops = 64;      // per paragraph; further stops are dropped
  std::size_t maxFontNameBytes = 256;
  std::size_t maxGroupDepth = 256;   // deeper groups are skipped whole
};

RtfDocument ReadRtf(std::string_view bytes, const RtfLimits& limits = {});

}  // namespace zirvanta
