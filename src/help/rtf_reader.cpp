#include "rtf_reader.h"

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <unordered_map>

namespace zirvanta {

std::string RtfParagraph::Text() const {
  std::string text;
  for (const RtfRun& run : runs) text += run.text;
  return text;
}

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Bytes 0x80..0x9F of Windows-1252; 0xA0..0xFF are Latin-1.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

// Bytes 0x80..0xBF of Windows-1251; 0xC0..0xFF are U+0410..U+044F.
constexpr std::array<char16_t, 64> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

enum class CodePage { Windows1252, Windows1251, Symbol };

char32_t DecodeByte(uint8_t byte, CodePage page) {
  if (byte < 0x80) return byte;
  switch (page) {
    case CodePage::Windows1251:
      return byte >= 0xC0 ? char32_t{0x0410} + (byte - 0xC0) : kCp1251High[byte - 0x80];
    case CodePage::Symbol:
      if (byte == 0xB7) return 0x2022;  // the bullet of the Symbol font
      [[fallthrough]];
    case CodePage::Windows1252:
      break;
  }
  return byte >= 0xA0 ? char32_t{byte} : kCp1252High[byte - 0x80];
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

enum class Word {
  Rtf, SkipDestination, FontTable, ColourTable,
  Bold, Italic, Underline, UnderlineNone, Plain, Font, FontSize, Colour, Hidden,
  Pard, AlignLeft, AlignCentre, AlignRight, AlignJustified,
  FirstIndent, LeftIndent, RightIndent, SpaceBefore, SpaceAfter, TabStop,
  Par, Line, Tab, SectionEnd, RowEnd, Cell,
  EmDash, EnDash, Bullet, LeftQuote, RightQuote, LeftDoubleQuote, RightDoubleQuote, EmSpace,
  EnSpace,
  Unicode, UnicodeSkip, Binary, AnsiCodePage, DefaultFont,
  FontCharset, FontNil, FontRoman, FontSwiss, FontModern, FontScript, FontDecor, FontTech,
  FontBidi, Red, Green, Blue,
};

const std::unordered_map<std::string_view, Word>& Words() {
  static const std::unordered_map<std::string_view, Word> words = [] {
    std::unordered_map<std::string_view, Word> table = {
        {"rtf", Word::Rtf}, {"fonttbl", Word::FontTable}, {"colortbl", Word::ColourTable},
        {"b", Word::Bold}, {"i", Word::Italic}, {"ul", Word::Underline},
        {"ulnone", Word::UnderlineNone}, {"plain", Word::Plain}, {"f", Word::Font},
        {"fs", Word::FontSize}, {"cf", Word::Colour}, {"v", Word::Hidden}, {"pard", Word::Pard},
        {"ql", Word::AlignLeft}, {"qc", Word::AlignCentre}, {"qr", Word::AlignRight},
        {"qj", Word::AlignJustified}, {"fi", Word::FirstIndent}, {"li", Word::LeftIndent},
        {"lin", Word::LeftIndent}, {"ri", Word::RightIndent}, {"rin", Word::RightIndent},
        {"sb", Word::SpaceBefore}, {"sa", Word::SpaceAfter}, {"tx", Word::TabStop},
        {"par", Word::Par}, {"line", Word::Line}, {"tab", Word::Tab}, {"sect", Word::SectionEnd},
        {"page", Word::SectionEnd}, {"row", Word::RowEnd}, {"cell", Word::Cell},
        {"emdash", Word::EmDash}, {"endash", Word::EnDash}, {"bullet", Word::Bullet},
        {"lquote", Word::LeftQuote}, {"rquote", Word::RightQuote},
        {"ldblquote", Word::LeftDoubleQuote}, {"rdblquote", Word::RightDoubleQuote},
        {"emspace", Word::EmSpace}, {"enspace", Word::EnSpace}, {"u", Word::Unicode},
        {"uc", Word::UnicodeSkip}, {"bin", Word::Binary}, {"ansicpg", Word::AnsiCodePage},
        {"deff", Word::DefaultFont}, {"fcharset", Word::FontCharset}, {"fnil", Word::FontNil},
        {"froman", Word::FontRoman}, {"fswiss", Word::FontSwiss}, {"fmodern", Word::FontModern},
        {"fscript", Word::FontScript}, {"fdecor", Word::FontDecor}, {"ftech", Word::FontTech},
        {"fbidi", Word::FontBidi}, {"red", Word::Red}, {"green", Word::Green},
        {"blue", Word::Blue},
    };
    // Groups whose content is never shown, beside those marked with \*.
    for (std::string_view skipped :
         {"info", "stylesheet", "pict", "object", "header", "headerl", "headerr", "headerf",
          "footer", "footerl", "footerr", "footerf", "footnote", "annotation", "fldinst",
          "themedata", "colorschememapping", "listtable", "listoverridetable", "revtbl",
          "rsidtbl", "generator", "xmlnstbl", "latentstyles", "datastore", "filetbl", "pn",
          "nonshppict", "shp", "shpinst", "bkmkstart", "bkmkend", "xe", "tc", "txe", "template",
          "userprops", "author", "operator", "title", "subject", "keywords", "comment",
          "doccomm", "company", "creatim", "revtim", "printim", "buptim"}) {
      table.emplace(skipped, Word::SkipDestination);
    }
    for (std::string_view underline :
         {"uld", "uldb", "ulw", "uldash", "uldashd", "uldashdd", "ulhwave", "ulldash", "ulth",
          "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulwave"}) {
      table.emplace(underline, Word::Underline);
    }
    return table;
  }();
  return words;
}

enum class Destination { Text, Skip, FontTable, ColourTable };

struct CharState {
  bool bold = false, italic = false, underline = false, hidden = false;
  int32_t fontNumber = 0;
  bool fontSet = false;
  int32_t sizeHalfPoints = 24;
  int32_t colourIndex = 0;  // entry 0 of the colour table is the automatic colour
};

struct GroupState {
  Destination destination = Destination::Text;
  CharState chars;
  RtfParagraphFormat paragraph;
  int32_t unicodeSkip = 1;
};

int32_t Clamp(int32_t value, int32_t low, int32_t high) { return std::clamp(value, low, high); }

class Reader {
 public:
  Reader(std::string_view bytes, const RtfLimits& limits) : in_(bytes), limits_(limits) {}

  RtfDocument Read() {
    if (in_.substr(0, 5) != "{\\rtf") return std::move(document_);
    document_.isRtf = true;
    while (pos_ < in_.size() && !stopped_) {
      const auto c = static_cast<uint8_t>(in_[pos_++]);
      if (c == '{') {
        OpenGroup();
      } else if (c == '}') {
        // The document's own group ends here; its state gives the last paragraph's format.
        if (depth_ == 1) break;
        CloseGroup();
      } else if (c == '\\') {
        ControlSequence();
      } else if (c >= 0x20) {
        if (ConsumeFallback()) continue;
        if (c == ';' && State().destination != Destination::Text) {
          EndTableEntry();
        } else {
          Character(DecodeByte(c, CurrentCodePage()));
        }
      }
    }
    if (!stopped_) EndParagraph(false);
    return std::move(document_);
  }

 private:
  // --- groups -------------------------------------------------------------------------------
  GroupState& State() { return states_.back(); }
  bool Skipping() const {
    return overflowDepth_ > 0 || states_.back().destination == Destination::Skip;
  }

  void OpenGroup() {
    fallbackLeft_ = 0;
    ++depth_;
    if (overflowDepth_ > 0 || states_.size() > limits_.maxGroupDepth) {
      ++overflowDepth_;
      return;
    }
    states_.push_back(states_.back());
  }

  void CloseGroup() {
    fallbackLeft_ = 0;
    if (depth_ == 0) return;
    --depth_;
    if (overflowDepth_ > 0) {
      --overflowDepth_;
      return;
    }
    if (State().destination == Destination::FontTable && fontPending_) CommitFont();
    if (states_.size() > 1) states_.pop_back();
  }

  // --- control words and symbols ------------------------------------------------------------
  void ControlSequence() {
    if (pos_ >= in_.size()) return;
    const auto c = static_cast<uint8_t>(in_[pos_]);
    if (IsLetter(c)) return ControlWord();
    ++pos_;
    if (c == '\'') {
      const int high = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
      const int low = pos_ + 1 < in_.size() ? HexValue(in_[pos_ + 1]) : -1;
      if (high < 0 || low < 0) return;
      pos_ += 2;
      if (ConsumeFallback()) return;
      const auto byte = static_cast<uint8_t>(high * 16 + low);
      if (byte == ';' && State().destination != Destination::Text) return EndTableEntry();
      return Character(DecodeByte(byte, CurrentCodePage()));
    }
    if (ConsumeFallback()) return;
    switch (c) {
      case '*': if (!Skipping()) State().destination = Destination::Skip; return;
      case '\\': case '{': case '}': return Character(c);
      case '~': return Character(0x00A0);
      case '_': return Character(0x2011);
      case '\r': case '\n': return EndParagraph(true);
      default: return;  // \- (optional hyphen), \| and \: (formula and index marks), others
    }
  }

  void ControlWord() {
    const size_t start = pos_;
    while (pos_ < in_.size() && IsLetter(static_cast<uint8_t>(in_[pos_]))) ++pos_;
    const std::string_view name = in_.substr(start, std::min<size_t>(pos_ - start, 32));
    bool hasParameter = false;
    int32_t parameter = 0;
    const bool negative = pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(in_[pos_ + 1]);
    if (negative) ++pos_;
    int64_t value = 0;
    while (pos_ < in_.size() && IsDigit(in_[pos_])) {
      hasParameter = true;
      value = std::min<int64_t>(value * 10 + (in_[pos_++] - '0'), int64_t{1} << 32);
    }
    if (hasParameter) {
      value = negative ? -value : value;
      parameter = static_cast<int32_t>(std::clamp<int64_t>(
          value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    }
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;

    const auto found = Words().find(name);
    if (found == Words().end()) {
      (void)ConsumeFallback();
      return;
    }
    if (found->second == Word::Binary) {  // raw bytes follow; never read as text
      const size_t length = hasParameter && parameter > 0 ? static_cast<size_t>(parameter) : 0;
      pos_ += std::min(length, in_.size() - pos_);
      (void)ConsumeFallback();
      return;
    }
    if (ConsumeFallback()) return;
    Apply(found->second, hasParameter, parameter);
  }

  void Apply(Word word, bool hasParameter, int32_t parameter) {
    if (Skipping()) return;
    GroupState& state = State();
    CharState& chars = state.chars;
    RtfParagraphFormat& paragraph = state.paragraph;
    const bool on = !hasParameter || parameter != 0;
    switch (word) {
      case Word::Rtf: return;
      case Word::SkipDestination: state.destination = Destination::Skip; return;
      case Word::FontTable: state.destination = Destination::FontTable; return;
      case Word::ColourTable:
        state.destination = Destination::ColourTable;
        colourComponentSeen_ = false;
        return;
      case Word::Bold: chars.bold = on; return;
      case Word::Italic: chars.italic = on; return;
      case Word::Underline: chars.underline = on; return;
      case Word::UnderlineNone: chars.underline = false; return;
      case Word::Hidden: chars.hidden = on; return;
      case Word::Plain:
        chars = CharState{};
        chars.fontNumber = defaultFont_;
        chars.fontSet = defaultFontSet_;
        return;
      case Word::Font:
        if (state.destination == Destination::FontTable) return StartFont(parameter);
        chars.fontNumber = parameter;
        chars.fontSet = true;
        return;
      case Word::FontSize:
        chars.sizeHalfPoints = hasParameter ? Clamp(parameter, 2, 3276) : 24;
        return;
      case Word::Colour: chars.colourIndex = parameter; return;
      case Word::Pard: paragraph = RtfParagraphFormat{}; return;
      case Word::AlignLeft: paragraph.alignment = RtfAlignment::Left; return;
      case Word::AlignCentre: paragraph.alignment = RtfAlignment::Centre; return;
      case Word::AlignRight: paragraph.alignment = RtfAlignment::Right; return;
      case Word::AlignJustified: paragraph.alignment = RtfAlignment::Justified; return;
      case Word::FirstIndent: paragraph.firstIndent = Twips(parameter); return;
      case Word::LeftIndent: paragraph.leftIndent = Twips(parameter); return;
      case Word::RightIndent: paragraph.rightIndent = Twips(parameter); return;
      case Word::SpaceBefore: paragraph.spaceBefore = Clamp(parameter, 0, kRtfMaxTwips); return;
      case Word::SpaceAfter: paragraph.spaceAfter = Clamp(parameter, 0, kRtfMaxTwips); return;
      case Word::TabStop:
        if (paragraph.tabStops.size() < limits_.maxTabStops) {
          paragraph.tabStops.push_back(Clamp(parameter, 0, kRtfMaxTwips));
        }
        return;
      case Word::Par: case Word::RowEnd: return EndParagraph(true);
      case Word::SectionEnd: return EndParagraph(false);
      case Word::Line: return Character('\n');
      case Word::Tab: case Word::Cell: return Character('\t');
      case Word::EmDash: return Character(0x2014);
      case Word::EnDash: return Character(0x2013);
      case Word::Bullet: return Character(0x2022);
      case Word::LeftQuote: return Character(0x2018);
      case Word::RightQuote: return Character(0x2019);
      case Word::LeftDoubleQuote: return Character(0x201C);
      case Word::RightDoubleQuote: return Character(0x201D);
      case Word::EmSpace: return Character(0x2003);
      case Word::EnSpace: return Character(0x2002);
      case Word::Unicode: {
        // The value is a signed 16-bit number; negative ones stand for 32768..65535.
        const int32_t value = parameter < 0 && parameter >= -32768 ? parameter + 65536 : parameter;
        UnicodeUnit(value >= 0 && value <= 0xFFFF ? static_cast<char32_t>(value) : kReplacement);
        fallbackLeft_ = state.unicodeSkip;
        return;
      }
      case Word::UnicodeSkip: state.unicodeSkip = Clamp(parameter, 0, 255); return;
      case Word::Binary: return;
      case Word::AnsiCodePage:
        documentCodePage_ = parameter == 1251 ? CodePage::Windows1251 : CodePage::Windows1252;
        return;
      case Word::DefaultFont:
        defaultFont_ = parameter;
        defaultFontSet_ = true;
        if (!chars.fontSet) chars.fontNumber = parameter, chars.fontSet = true;
        return;
      case Word::FontCharset: if (fontPending_) pendingFont_.charset = parameter; return;
      case Word::FontNil: return SetFamily(RtfFontFamily::Nil);
      case Word::FontRoman: return SetFamily(RtfFontFamily::Roman);
      case Word::FontSwiss: return SetFamily(RtfFontFamily::Swiss);
      case Word::FontModern: return SetFamily(RtfFontFamily::Modern);
      case Word::FontScript: return SetFamily(RtfFontFamily::Script);
      case Word::FontDecor: return SetFamily(RtfFontFamily::Decor);
      case Word::FontTech: return SetFamily(RtfFontFamily::Tech);
      case Word::FontBidi: return SetFamily(RtfFontFamily::Bidi);
      case Word::Red: return SetComponent(&RtfColour::red, parameter);
      case Word::Green: return SetComponent(&RtfColour::green, parameter);
      case Word::Blue: return SetComponent(&RtfColour::blue, parameter);
    }
  }

  // While the characters that stand in for the last \u are still to come, one is dropped.
  bool ConsumeFallback() {
    if (fallbackLeft_ <= 0) return false;
    --fallbackLeft_;
    return true;
  }

  // --- the font and colour tables -----------------------------------------------------------
  void StartFont(int32_t number) {
    if (fontPending_) CommitFont();
    pendingFont_ = RtfFont{};
    pendingFontNumber_ = number;
    fontPending_ = true;
  }

  void SetFamily(RtfFontFamily family) {
    if (fontPending_ && State().destination == Destination::FontTable) pendingFont_.family = family;
  }

  void CommitFont() {
    fontPending_ = false;
    if (document_.fonts.size() >= limits_.maxFonts) return;
    fontIndex_[pendingFontNumber_] = static_cast<int32_t>(document_.fonts.size());
    document_.fonts.push_back(std::move(pendingFont_));
  }

  void SetComponent(uint8_t RtfColour::*component, int32_t value) {
    if (State().destination != Destination::ColourTable) return;
    pendingColour_.*component = static_cast<uint8_t>(Clamp(value, 0, 255));
    colourComponentSeen_ = true;
  }

  void EndTableEntry() {
    if (Skipping()) return;
    if (State().destination == Destination::FontTable) {
      if (fontPending_) CommitFont();
    } else if (colours_.size() < limits_.maxColours) {
      colours_.push_back(colourComponentSeen_ ? std::optional(pendingColour_) : std::nullopt);
      pendingColour_ = RtfColour{};
      colourComponentSeen_ = false;
    }
  }

  // --- text -----------------------------------------------------------------------------------
  int32_t FontIndex(const CharState& chars) const {
    if (!chars.fontSet) return -1;
    const auto found = fontIndex_.find(chars.fontNumber);
    return found == fontIndex_.end() ? -1 : found->second;
  }

  CodePage CurrentCodePage() const {
    const int32_t font = FontIndex(states_.back().chars);
    const int32_t charset = font < 0 ? 0 : document_.fonts[static_cast<size_t>(font)].charset;
    if (charset == 2) return CodePage::Symbol;
    if (charset == 204) return CodePage::Windows1251;
    if (charset == 0 || charset == 1) return documentCodePage_;
    return CodePage::Windows1252;
  }

  RtfCharFormat CurrentCharFormat() const {
    const CharState& chars = states_.back().chars;
    RtfCharFormat format;
    format.bold = chars.bold;
    format.italic = chars.italic;
    format.underline = chars.underline;
    format.font = FontIndex(chars);
    format.sizeHalfPoints = chars.sizeHalfPoints;
    if (chars.colourIndex > 0 && static_cast<size_t>(chars.colourIndex) < colours_.size()) {
      format.colour = colours_[static_cast<size_t>(chars.colourIndex)];
    }
    return format;
  }

  // A UTF-16 unit of \u: a surrogate pair makes one character, a lone surrogate a U+FFFD.
  void UnicodeUnit(char32_t unit) {
    if (Skipping()) return;
    if (unit >= 0xDC00 && unit <= 0xDFFF && highSurrogate_ != 0) {
      const char32_t combined = 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00);
      highSurrogate_ = 0;
      return Emit(combined);
    }
    FlushSurrogate();
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      highSurrogate_ = unit;
      return;
    }
    Emit(unit);
  }

  void FlushSurrogate() {
    if (highSurrogate_ == 0) return;
    highSurrogate_ = 0;
    if (!Skipping()) Emit(kReplacement);
  }

  void Character(char32_t c) {
    if (Skipping()) return;
    FlushSurrogate();
    Emit(c);
  }

  void Emit(char32_t c) {
    GroupState& state = State();
    if (state.destination == Destination::FontTable) {
      if (fontPending_ && pendingFont_.name.size() < limits_.maxFontNameBytes) {
        AppendUtf8(pendingFont_.name, c);
      }
      return;
    }
    if (state.destination != Destination::Text || state.chars.hidden) return;

    const RtfCharFormat format = CurrentCharFormat();
    std::vector<RtfRun>& runs = paragraph_.runs;
    if (runs.empty() || !(runs.back().format == format)) {
      if (runCount_ >= limits_.maxRuns) return Stop();
      ++runCount_;
      runs.push_back(RtfRun{{}, format});
    }
    const size_t before = runs.back().text.size();
    AppendUtf8(runs.back().text, c);
    textBytes_ += runs.back().text.size() - before;
    if (textBytes_ > limits_.maxTextBytes) Stop();
  }

  // Ends the paragraph being built; an empty one counts only when a paragraph mark ended it.
  void EndParagraph(bool mark) {
    if (mark && (Skipping() || State().destination != Destination::Text)) return;
    FlushSurrogate();
    if (!mark && paragraph_.runs.empty()) return;
    if (document_.paragraphs.size() >= limits_.maxParagraphs) return Stop();
    paragraph_.format = states_.back().paragraph;
    paragraph_.mark = CurrentCharFormat();
    document_.paragraphs.push_back(std::move(paragraph_));
    paragraph_ = RtfParagraph{};
  }

  void Stop() {
    stopped_ = true;
    document_.truncated = true;
  }

  static int32_t Twips(int32_t value) { return Clamp(value, -kRtfMaxTwips, kRtfMaxTwips); }
  static bool IsLetter(uint8_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  std::string_view in_;
  const RtfLimits& limits_;
  size_t pos_ = 0;
  bool stopped_ = false;

  RtfDocument document_;
  std::vector<GroupState> states_{GroupState{}};
  size_t depth_ = 0;          // open groups, counted on even where states_ stops growing
  size_t overflowDepth_ = 0;  // open groups beyond the depth limit, skipped whole
  int32_t fallbackLeft_ = 0;
  char32_t highSurrogate_ = 0;
  RtfParagraph paragraph_;
  size_t runCount_ = 0;
  size_t textBytes_ = 0;

  CodePage documentCodePage_ = CodePage::Windows1252;
  int32_t defaultFont_ = 0;
  bool defaultFontSet_ = false;
  std::map<int32_t, int32_t> fontIndex_;  // font number -> index in document_.fonts
  RtfFont pendingFont_;
  int32_t pendingFontNumber_ = 0;
  bool fontPending_ = false;
  std::vector<std::optional<RtfColour>> colours_;
  RtfColour pendingColour_;
  bool colourComponentSeen_ = false;
};

}  // namespace

RtfDocument ReadRtf(std::string_view bytes, const RtfLimits& limits) {
  return Reader(bytes, limits).Read();
}

}  // namespace zirvanta
