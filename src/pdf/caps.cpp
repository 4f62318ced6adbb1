#include "pdf/caps.h"

namespace paginor {

const char* CapStatusLine(TCap cap) {
  switch (cap) {
    case TCap::Nesting:
      return "Die Datei ist zu tief verschachtelt, tiefere Teile werden übergangen.";
    case TCap::Dictionary:
      return "Ein Wörterbuch ist zu groß, sein Rest wird übergangen.";
    case TCap::Document:
      return "Die Datei ist zu groß, ihr Rest wird übergangen.";
    case TCap::PageTree:
      return "Der Seitenbaum ist zu groß, sein Rest wird übergangen.";
    case TCap::Xref:
      return "Die Querverweistabelle ist zu groß, weitere Objekte werden übergangen.";
    case TCap::Content:
      return "Ein Seiteninhalt ist zu groß, er wird abgeschnitten.";
    case TCap::Image:
      return "Ein Bild ist zu groß und wird übergangen.";
    case TCap::Images:
      return "Die Bilder sind zusammen zu groß, weitere werden übergangen.";
    case TCap::Resources:
      return "Die Seiten nennen zu viele Schriften oder Bilder, weitere werden übergangen.";
    case TCap::Operands:
      return "Ein Seiteninhalt hat zu viele Operanden, die ältesten werden übergangen.";
    case TCap::SavedStates:
      return "Ein Seiteninhalt speichert zu viele Grafikzustände, weitere werden übergangen.";
    case TCap::Runs:
      return "Eine Seite hat zu viele Textstücke, weitere werden übergangen.";
    case TCap::Blanks:
      return "Eine Lücke im Text ist zu breit, sie wird gekürzt.";
    case TCap::EmptyLines:
      return "Ein Abstand im Text ist zu hoch, er wird gekürzt.";
  }
  return "";
}

void TCaps::Reached(TCap cap) {
  bool& reached = reached_[static_cast<std::size_t>(cap)];
  if (reached) return;
  reached = true;
  if (sink_) sink_(CapStatusLine(cap));
}

}  // namespace paginor
