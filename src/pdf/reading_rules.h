// What sets the modern reader ("Moderne und beschädigte PDF-Dateien lesen") apart from the
// classic one, chosen once per conversion and asked by the phases by what it is about.
#pragma once

#include <cstdint>

#include "pdf/filter_registry.h"

namespace paginor {

struct TReadingRules {
  // Tokens: tab and form feed are white space, and comments are read over.
  bool PdfWhiteSpace = false;
  // An object is taken only where its "n g obj" header names it.
  bool CheckedObjects = false;
  // Stream data may follow "stream" and a lone CR or a blank; a /Length that "endstream" does
  // not follow (or none) is found again.
  bool StreamRecovery = false;
  // The filters streams are decoded with, and whether /DecodeParms are read.
  const TFilterRegistry* Filters = &TFilterRegistry::Classic();
  bool FilterParameters = false;
  // Every revision of the standard security handler, crypt filters and AES.
  bool EveryEncryption = false;
  // Cross-reference streams, object streams and hybrid files; free entries stay free.
  bool CompressedObjects = false;
  // A damaged cross-reference table is rebuilt by scanning the file.
  bool Repair = false;
  // Room for object numbers beyond what the table declares.
  int64_t XrefRoom = 4096;
  // Page attributes inherited through the page tree; the crop box and /Rotate.
  bool InheritedAttributes = false;
  // Fonts: matrices, encoding dictionaries, ToUnicode, CMaps and font programs.
  bool FontDetails = false;
  // Pictures: filter chains, JPX and JBIG2, CMYK, pictures inside forms.
  bool MorePictures = false;
  // The interpreter: forms, annotations, marked content, the whole text matrix.
  bool InterpreterExtensions = false;

  static TReadingRules Classic() { return {}; }
  static TReadingRules Modern() {
    TReadingRules rules;
    rules.PdfWhiteSpace = true;
    rules.CheckedObjects = true;
    rules.StreamRecovery = true;
    rules.Filters = &TFilterRegistry::Modern();
    rules.FilterParameters = true;
    rules.EveryEncryption = true;
    rules.CompressedObjects = true;
    rules.Repair = true;
    rules.XrefRoom = 65536;
    rules.InheritedAttributes = true;
    rules.FontDetails = true;
    rules.MorePictures = true;
    rules.InterpreterExtensions = true;
    return rules;
  }
};

}  // namespace paginor
