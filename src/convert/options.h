// The conversion options of the main window's first tab, with their initial values.
#pragma once

namespace paginor {

struct TConvertOptions {
  bool HorzLayCheck = true;    // "Horizontales Layout ausgleichen"
  bool VertLayCheck = true;    // "Vertikales Layout ausgleichen"
  bool StartWTCheck = true;    // "Horizontal beim Textstart beginnen"
  bool HTMLLinksCheck = true;  // "HTML Links zu den Bildern"
  bool TabsCheck = false;      // "Tabs statt Leerzeichen (für HTML nicht geeignet!)"
  bool ReadPicsCheck = true;   // "Bilder einlesen"
  // "Moderne und beschädigte PDF-Dateien lesen": cross-reference and object streams, repair of
  // damaged files, inherited page attributes, every standard encryption, more filters and
  // picture decoders. Off: the classic reader alone.
  bool ModernCheck = true;
  // The document's characters held to Windows-1252 ("?" for the others), as earlier versions
  // wrote them; the converter's --encoding cp1252. The classic reader always holds them so.
  bool Windows1252Text = false;
};

}  // namespace paginor
