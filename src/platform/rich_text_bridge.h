// The rich text document and Qt's text document, both ways: the text view shows the one and
// the user's edits come back from the other.
#pragma once

#include <QString>
#include <functional>

#include "output/document.h"

class QTextDocument;

namespace paginor {

QString Cp1252ToQString(std::string_view text);
std::string QStringToCp1252(const QString& text);

// Replaces the Qt document's content with the document's lines, fonts and paragraphs.
// `between_chunks`, when given, is called after every few hundred lines (a long document
// takes a while to fill, and the window stays responsive meanwhile).
void FillTextDocument(QTextDocument& view, const TRichDocument& document,
                      const std::function<void()>& between_chunks = {});
// Replaces the document's text and attributes with what the Qt document holds; the default
// font and the selection rules of the document stay its own.
void ReadTextDocument(const QTextDocument& view, TRichDocument& document);

}  // namespace paginor
