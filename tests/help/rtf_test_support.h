#pragma once

#include <cstdio>
#include <string>
#include <utility>

#include "help/rtf_reader.h"

namespace zirvanta::testing {

// A document in one line: paragraphs joined by " / ", each with its non-default format before a
// colon ("qc li720 fi-360 sb120 sa60 tx2000,4000: "), each run with its non-default format in
// parentheses ("(b i u f1 s20 #ff0000)text").
inline std::string Describe(const RtfDocument& document) {
  static constexpr const char* kAlignments[] = {"", "qc", "qr", "qj"};
  std::string out;
  auto add = [](std::string& to, bool on, const char* name, const std::string& value = {}) {
    if (on) to.append(to.empty() ? "" : " ").append(name).append(value);
  };
  for (const RtfParagraph& paragraph : document.paragraphs) {
    if (!out.empty()) out += " / ";
    const RtfParagraphFormat& f = paragraph.format;
    std::string format = kAlignments[static_cast<int>(f.alignment)];
    const std::pair<const char*, int32_t> numbers[] = {{"li", f.leftIndent},
        {"fi", f.firstIndent}, {"ri", f.rightIndent}, {"sb", f.spaceBefore}, {"sa", f.spaceAfter}};
    for (const auto& [name, value] : numbers) add(format, value != 0, name, std::to_string(value));
    std::string tabs;
    for (int32_t stop : f.tabStops) {
      tabs.append(tabs.empty() ? "tx" : ",").append(std::to_string(stop));
    }
    add(format, !tabs.empty(), "", tabs);
    if (!format.empty()) out += format + ": ";
    for (const RtfRun& run : paragraph.runs) {
      const RtfCharFormat& c = run.format;
      std::string flags;
      add(flags, c.bold, "b");
      add(flags, c.italic, "i");
      add(flags, c.underline, "u");
      add(flags, c.font >= 0, "f", std::to_string(c.font));
      add(flags, c.sizeHalfPoints != 24, "s", std::to_string(c.sizeHalfPoints));
      if (c.colour) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "#%02x%02x%02x", c.colour->red, c.colour->green,
                      c.colour->blue);
        add(flags, true, hex);
      }
      out += (flags.empty() ? "" : "(" + flags + ")") + run.text;
    }
  }
  return out;
}

}  // namespace zirvanta::testing
