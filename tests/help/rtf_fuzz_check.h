#pragma once

#include <string>

#include "help/rtf_reader.h"

namespace zirvanta::testing {

inline bool ValidUtf8(const std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3
                          : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || i + length > text.size()) return false;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3F);
    }
    if ((length == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ||
        (length == 4 && (c < 0x10000 || c > 0x10FFFF))) {
      return false;
    }
    i += length;
  }
  return true;
}

// What is wrong with a document the reader returned, or "" when it is well formed.
inline std::string DocumentFault(const RtfDocument& document, const RtfLimits& limits) {
  if (!document.isRtf && !document.paragraphs.empty()) return "paragraphs without rich text";
  if (document.fonts.size() > limits.maxFonts) return "too many fonts";
  for (const RtfFont& font : document.fonts) {
    if (!ValidUtf8(font.name)) return "font name not UTF-8";
    if (font.name.size() > limits.maxFontNameBytes + 3) return "font name too long";
  }
  if (document.paragraphs.size() > limits.maxParagraphs) return "too many paragraphs";
  size_t runs = 0, textBytes = 0;
  for (const RtfParagraph& paragraph : document.paragraphs) {
    const RtfParagraphFormat& format = paragraph.format;
    for (int32_t twips : {format.firstIndent, format.leftIndent, format.rightIndent}) {
      if (twips < -kRtfMaxTwips || twips > kRtfMaxTwips) return "indent out of range";
    }
    if (format.spaceBefore < 0 || format.spaceAfter < 0) return "negative spacing";
    if (format.tabStops.size() > limits.maxTabStops) return "too many tab stops";
    for (size_t i = 0; i < paragraph.runs.size(); ++i) {
      const RtfRun& run = paragraph.runs[i];
      if (run.text.empty()) return "empty run";
      if (i > 0 && paragraph.runs[i - 1].format == run.format) return "runs not merged";
      if (!ValidUtf8(run.text)) return "text not UTF-8";
      const RtfCharFormat& c = run.format;
      if (c.font < -1 || c.font >= static_cast<int32_t>(document.fonts.size())) return "bad font";
      if (c.sizeHalfPoints < 2 || c.sizeHalfPoints > 3276) return "bad size";
      textBytes += run.text.size();
    }
    runs += paragraph.runs.size();
  }
  if (runs > limits.maxRuns) return "too many runs";
  if (textBytes > limits.maxTextBytes + 4) return "too much text";
  return "";
}

}  // namespace zirvanta::testing
