#pragma once

#include <QFont>

#include "help/rtf_reader.h"

class QTextDocument;

// Fills a text document with what the rich-text reader made of a file: paragraphs with their
// alignment, indents, spacing and tab stops, runs with their font, size, weight, slant,
// underline and colour. Lengths in twips become pixels at the given resolution; a run without a
// font takes baseFont's family.
void FillTextDocument(const zirvanta::RtfDocument& source, QTextDocument& document,
                      const QFont& baseFont, int dotsPerInch);
