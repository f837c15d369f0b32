#pragma once

#include <cstdio>
#include <string>

#include "help/rtf_reader.h"

namespace zirvanta::testing {

// A document in one line: paragraphs joined by " / ", each with its non-default format before a
// colon ("qc li720 fi-360 sb120 sa60 tx2000,4000: "), each run with its non-default format in
// parentheses ("(b i u f1 s20 #ff0000)text").
inline std::string Describe(const RtfDocument& document) {
  static constexpr const char* kAlignments[] = {"", "qc", "qr", "qj"};
  std::string out;
  for (const RtfParagraph& paragraph : document.paragraphs) {
    if (!out.empty()) out += " / ";
    const RtfParagraphFormat& f = paragraph.format;
    std::string format = kAlignments[static_cast<int>(f.alignment)];
    auto add = [&](const char* name, int32_t value) {
      if (value == 0) return;
      if (!format.empty()) format += ' ';
      format += name + std::to_string(value);
    };
    add("li", f.leftIndent);
    add("fi", f.firstIndent);
    add("ri", f.rightIndent);
    add("sb", f.spaceBefore);
    add("sa", f.spaceAfter);
    for (size_t i = 0; i < f.tabStops.size(); ++i) {
      format += (i == 0 ? (format.empty() ? "tx" : " tx") : ",") + std::to_string(f.tabStops[i]);
    }
    if (!format.empty()) out += format + ": ";
    for (const RtfRun& run : paragraph.runs) {
      std::string flags;
      auto flag = [&](bool on, const char* name, std::string value = {}) {
        if (!on) return;
        if (!flags.empty()) flags += ' ';
        flags.append(name).append(value);
      };
      const RtfCharFormat& c = run.format;
      flag(c.bold, "b");
      flag(c.italic, "i");
      flag(c.underline, "u");
      flag(c.font >= 0, "f", std::to_string(c.font));
      flag(c.sizeHalfPoints != 24, "s", std::to_string(c.sizeHalfPoints));
      if (c.colour) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "#%02x%02x%02x", c.colour->red, c.colour->green,
                      c.colour->blue);
        flag(true, hex);
      }
      out += (flags.empty() ? "" : "(" + flags + ")") + run.text;
    }
  }
  return out;
}

}  // namespace zirvanta::testing
