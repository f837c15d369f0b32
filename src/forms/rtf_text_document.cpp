#include "rtf_text_document.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace {

QFont::StyleHint StyleHintOf(zirvanta::RtfFontFamily family) {
  switch (family) {
    case zirvanta::RtfFontFamily::Roman: return QFont::Serif;
    case zirvanta::RtfFontFamily::Modern: return QFont::TypeWriter;
    case zirvanta::RtfFontFamily::Script: return QFont::Cursive;
    case zirvanta::RtfFontFamily::Decor: return QFont::Decorative;
    default: return QFont::SansSerif;
  }
}

QTextCharFormat CharFormat(const zirvanta::RtfDocument& source, const zirvanta::RtfCharFormat& run,
                           const QFont& baseFont) {
  QTextCharFormat format;
  const bool hasFont = run.font >= 0 && static_cast<size_t>(run.font) < source.fonts.size();
  const zirvanta::RtfFont* font = hasFont ? &source.fonts[static_cast<size_t>(run.font)] : nullptr;
  // A symbol font's characters were mapped to Unicode already: its own face is not wanted.
  if (font && font->charset != 2 && !font->name.empty()) {
    format.setFontFamilies(QStringList{QString::fromStdString(font->name)} + baseFont.families());
    format.setFontStyleHint(StyleHintOf(font->family));
  } else {
    format.setFontFamilies(baseFont.families());
  }
  // Sizes beyond what a manual uses would only slow the layout down.
  format.setFontPointSize(std::clamp(run.sizeHalfPoints / 2.0, 4.0, 144.0));
  format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
  format.setFontItalic(run.italic);
  format.setFontUnderline(run.underline);
  if (run.colour)
    format.setForeground(QColor(run.colour->red, run.colour->green, run.colour->blue));
  return format;
}

QTextBlockFormat BlockFormat(const zirvanta::RtfParagraphFormat& paragraph, int dotsPerInch) {
  const auto pixels = [dotsPerInch](int32_t twips) { return twips * dotsPerInch / 1440.0; };
  QTextBlockFormat format;
  switch (paragraph.alignment) {
    case zirvanta::RtfAlignment::Left: format.setAlignment(Qt::AlignLeft); break;
    case zirvanta::RtfAlignment::Centre: format.setAlignment(Qt::AlignHCenter); break;
    case zirvanta::RtfAlignment::Right: format.setAlignment(Qt::AlignRight); break;
    case zirvanta::RtfAlignment::Justified: format.setAlignment(Qt::AlignJustify); break;
  }
  // A hanging first line may reach left of the paragraph, never left of the page.
  const double left = std::max(0.0, pixels(paragraph.leftIndent));
  format.setLeftMargin(left);
  format.setTextIndent(std::max(-left, pixels(paragraph.firstIndent)));
  format.setRightMargin(std::max(0.0, pixels(paragraph.rightIndent)));
  format.setTopMargin(pixels(paragraph.spaceBefore));
  format.setBottomMargin(pixels(paragraph.spaceAfter));
  // Stops are measured from the page's left edge, Qt's from where the first line begins. A
  // hanging first line has a stop at the paragraph's left indent, where its later lines begin.
  const double firstLine = left + format.textIndent();
  QList<qreal> stops;
  for (int32_t stop : paragraph.tabStops) stops.append(pixels(stop) - firstLine);
  if (paragraph.firstIndent < 0 && left > 0) stops.append(left - firstLine);
  std::sort(stops.begin(), stops.end());
  QList<QTextOption::Tab> tabs;
  for (qreal stop : stops) {
    if (stop > 0) tabs.append(QTextOption::Tab(stop, QTextOption::LeftTab));
  }
  format.setTabPositions(tabs);
  return format;
}

}  // namespace

void FillTextDocument(const zirvanta::RtfDocument& source, QTextDocument& document,
                      const QFont& baseFont, int dotsPerInch) {
  document.clear();
  document.setDefaultFont(baseFont);
  QTextCursor cursor(&document);
  bool first = true;
  for (const zirvanta::RtfParagraph& paragraph : source.paragraphs) {
    const QTextBlockFormat block = BlockFormat(paragraph.format, dotsPerInch);
    const QTextCharFormat blockChars = CharFormat(source, paragraph.mark, baseFont);
    if (first) {
      cursor.setBlockFormat(block);
      cursor.setBlockCharFormat(blockChars);
    } else {
      cursor.insertBlock(block, blockChars);
    }
    first = false;
    for (const zirvanta::RtfRun& run : paragraph.runs) {
      QString text = QString::fromStdString(run.text);
      text.replace(QLatin1Char('\n'), QChar::LineSeparator);
      cursor.insertText(text, CharFormat(source, run.format, baseFont));
    }
  }
}
