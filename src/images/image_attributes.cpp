#include "images/image_attributes.h"

#include <algorithm>

#include "pdf/filters.h"
#include "pdf/literals.h"
#include "pdf/stream_reader.h"

namespace paginor {

namespace {

constexpr int kMaxArrayTokens = 4096;

TColorFamily FamilyOf(const std::string& name) {
  if (name == "/DeviceGray" || name == "/G" || name == "/CalGray") return TColorFamily::Gray;
  if (name == "/DeviceRGB" || name == "/RGB" || name == "/CalRGB") return TColorFamily::Rgb;
  if (name == "/DeviceCMYK" || name == "/CMYK") return TColorFamily::Cmyk;
  if (name == "/Indexed" || name == "/I") return TColorFamily::Indexed;
  return TColorFamily::Unknown;
}

// The number of components an ICC profile stream declares with /N.
TColorFamily IccFamily(TDocReader& reader, int32_t num) {
  TSavedCursor saved(reader);
  TColorFamily family = TColorFamily::Unknown;
  if (reader.GotoObject(num)) {
    reader.ReadDict();
    for (const TDictEntry& e : reader.DictEntries) {
      if (e.Tokens[0] == "/N" && e.Tokens.size() >= 2) {
        const int n = ParseInt32(e.Tokens[1]).value_or(0);
        family = n == 1   ? TColorFamily::Gray
                 : n == 3 ? TColorFamily::Rgb
                 : n == 4 ? TColorFamily::Cmyk
                          : TColorFamily::Unknown;
      }
    }
    reader.FreeDict();
  }
  return family;
}

// A base colour space at t[i]: a name, [/ICCBased n g R], or a reference to either.
// Moves i past it.
TColorFamily ReadBase(TDocReader& reader, const std::vector<std::string>& t, std::size_t& i) {
  if (i >= t.size()) return TColorFamily::Unknown;
  if (IsReferenceAt(t, i)) {
    const int32_t num = *ParseInt32(t[i]);
    i += 3;
    const std::vector<std::string> object = reader.ObjectTokens(num, kMaxArrayTokens);
    std::size_t k = 0;
    if (!object.empty() && object[0].starts_with("<<")) return IccFamily(reader, num);
    return ReadBase(reader, object, k);
  }
  if (t[i] == "[") {
    const std::size_t start = i;
    int depth = 0;
    for (; i < t.size(); ++i) {
      if (t[i] == "[") ++depth;
      if (t[i] == "]" && --depth == 0) break;
    }
    ++i;
    if (start + 1 < t.size() && t[start + 1] == "/ICCBased" && IsReferenceAt(t, start + 2)) {
      return IccFamily(reader, *ParseInt32(t[start + 2]));
    }
    return start + 1 < t.size() ? FamilyOf(t[start + 1]) : TColorFamily::Unknown;
  }
  return FamilyOf(t[i++]);
}

// A palette or globals stream's data. The modern reader reads it as every stream; the classic
// reader takes only a direct /Length and only inflates.
std::string LookupStreamData(TDocReader& reader, int32_t num, int32_t gen) {
  if (reader.Rules().MorePictures)
    return ReadStreamObject(reader, num, gen).value_or(std::string());
  TSavedCursor saved(reader);
  std::string data;
  if (reader.GotoObject(num)) {
    int32_t length = 0;
    bool flate = false;
    reader.ReadDict();
    for (const TDictEntry& e : reader.DictEntries) {
      if (e.Tokens[0] == "/Length" && e.Tokens.size() == 2)
        length = ParseInt32(e.Tokens[1]).value_or(0);
      if (e.Tokens[0] == "/Filter" && e.Tokens.size() >= 2)
        flate = e.Tokens.back() == "/FlateDecode";
    }
    reader.FreeDict();
    if (reader.AtStreamData()) {
      data = reader.ReadBytes(std::min<int64_t>(length, reader.Size()));
      if (reader.Encrypted) reader.Security.DecryptObject(num, gen, data);
      if (flate) data = DecodeFlate(data);
    }
  }
  return data;
}

// Strings of objects written out of an object stream (by the modern reader) were decrypted
// with the stream.
bool InObjectStream(const TDocReader& reader, int32_t num) {
  return reader.Rules().CompressedObjects && num >= 0 && num < reader.XrefCount() &&
         reader.XrefTable[static_cast<std::size_t>(num)].Offset >= reader.FileSize();
}

// A string value starting at t[i]: <hex> (possibly split at white space), (literal), or a
// reference to a string or stream object.
std::string ReadStringValue(TDocReader& reader, const std::vector<std::string>& t, std::size_t i,
                            int32_t obj_num, int32_t gen) {
  if (i >= t.size()) return {};
  std::string bytes;
  if (t[i].starts_with('<') && !t[i].starts_with("<<")) {
    std::string digits = t[i].substr(1);
    for (std::size_t k = i + 1; k < t.size() && t[k] != ">" && t[k] != "]"; ++k)
      digits += t[k];
    bytes = DecodeHexBytes(digits);
  } else if (t[i].starts_with('(')) {
    bytes = UnescapeLiteral(StripParens(t[i]));
  } else if (IsReferenceAt(t, i)) {
    const int32_t num = *ParseInt32(t[i]);
    const int32_t object_gen = *ParseInt32(t[i + 1]);
    const std::vector<std::string> object = reader.ObjectTokens(num, kMaxArrayTokens);
    if (!object.empty() && object[0].starts_with("<<"))
      return LookupStreamData(reader, num, object_gen);
    return ReadStringValue(reader, object, 0, num, object_gen);
  } else {
    return {};
  }
  if (reader.Encrypted && !InObjectStream(reader, obj_num)) {
    reader.Security.DecryptString(obj_num, gen, bytes);
  }
  return bytes;
}

void ReadColorSpace(TDocReader& reader, std::vector<std::string> t, TImageAttributes& a,
                    int32_t obj_num, int32_t gen) {
  // t is the value: a name, an array, or a reference to either.
  if (IsReferenceAt(t, 0)) {
    obj_num = *ParseInt32(t[0]);
    gen = *ParseInt32(t[1]);
    t = reader.ObjectTokens(obj_num, kMaxArrayTokens);
  }
  if (t.empty()) return;
  std::size_t i = 0;
  if (t[0] != "[" || t.size() < 2 || FamilyOf(t[1]) != TColorFamily::Indexed) {
    a.Family = ReadBase(reader, t, i);
    return;
  }
  a.Family = TColorFamily::Indexed;
  i = 2;
  a.Base = ReadBase(reader, t, i);
  if (i < t.size()) a.HiVal = std::clamp(ParseInt32(t[i]).value_or(0), 0, 255);
  a.Lookup = ReadStringValue(reader, t, i + 1, obj_num, gen);
}

// The entries of an inline dictionary value << ... >> as key, value pairs of single tokens.
void ReadParams(const std::vector<std::string>& t, std::size_t start, TImageAttributes& a) {
  for (std::size_t i = start; i + 1 < t.size(); ++i) {
    const std::string& key = t[i];
    const std::string& value = t[i + 1];
    const int number = ParseInt32(value).value_or(0);
    if (key == "/Predictor") a.Predictor.Predictor = number;
    if (key == "/Colors") a.Predictor.Colors = number;
    if (key == "/BitsPerComponent") a.Predictor.BitsPerComponent = number;
    if (key == "/Columns") a.Predictor.Columns = number;
    if (key == "/K") a.Ccitt.K = number;
    if (key == "/BlackIs1") a.Ccitt.BlackIs1 = value == "true";
    if (key == "/EncodedByteAlign") a.Ccitt.EncodedByteAlign = value == "true";
    if (key == "/EndOfLine") a.Ccitt.EndOfLine = value == "true";
    if (key == "/JBIG2Globals" && IsReferenceAt(t, i + 1)) {
      a.GlobalsRef = {number, ParseInt32(t[i + 2]).value_or(0)};
    }
  }
}

void ReadDecodeParms(TDocReader& reader, const std::vector<std::string>& t, TImageAttributes& a) {
  if (IsReferenceAt(t, 1)) {
    // A dictionary object: its tokens up to the closing ">>".
    ReadParams(reader.ObjectTokens(*ParseInt32(t[1]), kMaxArrayTokens), 0, a);
    return;
  }
  ReadParams(t, 1, a);
}

}  // namespace

TImageAttributes ReadImageAttributes(TDocReader& reader, const std::vector<TDictEntry>& entries,
                                     int32_t obj_num, int32_t gen) {
  TImageAttributes a;
  a.Modern = reader.Rules().MorePictures;
  std::vector<std::string> filter;
  std::vector<std::string> parms;
  for (const TDictEntry& e : entries) {
    const auto& t = e.Tokens;
    if (t.size() < 2) continue;
    if (t[0] == "/Filter") filter = t;
    if (t[0] == "/DecodeParms" || t[0] == "/DP") parms = t;
    if (t[0] == "/ColorSpace" || t[0] == "/CS") {
      ReadColorSpace(reader, std::vector<std::string>(t.begin() + 1, t.end()), a, obj_num, gen);
    } else if (t[0] == "/DecodeParms" || t[0] == "/DP") {
      ReadDecodeParms(reader, t, a);
    } else if (t[0] == "/Decode" && t.size() >= 4 && t[1] == "[") {
      a.Inverted = ParseNumber(t[2]).value_or(0) > ParseNumber(t[3]).value_or(0);
    } else if (t[0] == "/ImageMask" || t[0] == "/IM") {
      a.ImageMask = t[1] == "true";
    }
  }
  if (a.Modern) {
    a.Chain = ReadFilterChain(filter, parms);
    // Parameters written as an object of their own reach the predictor of the samples only.
    for (TFilterStep& step : a.Chain) {
      if (step.Predictor.Predictor < 2) step.Predictor = a.Predictor;
    }
    if (a.GlobalsRef.first > 0) {
      a.Jbig2Globals = LookupStreamData(reader, a.GlobalsRef.first, a.GlobalsRef.second);
    }
  }
  return a;
}

std::vector<TRGBQuad> PaletteFor(const TImageAttributes& a, int bits) {
  std::vector<TRGBQuad> palette;
  if (a.ImageMask) {
    // Mask samples of 0 are painted (black), 1 leave the page (white).
    palette = {TRGBQuad{0, 0, 0, 0}, TRGBQuad{255, 255, 255, 0}};
  } else if (a.Family == TColorFamily::Indexed) {
    const int components = a.Base == TColorFamily::Gray ? 1 : a.Base == TColorFamily::Cmyk ? 4 : 3;
    for (int i = 0; i <= a.HiVal; ++i) {
      const std::size_t at = static_cast<std::size_t>(i) * components;
      if (at + components > a.Lookup.size()) break;
      const auto c = [&](int k) { return static_cast<uint8_t>(a.Lookup[at + k]); };
      if (components == 1) {
        palette.push_back(TRGBQuad{c(0), c(0), c(0), 0});
      } else if (components == 4) {
        const auto ink = [&](int k) {
          return static_cast<uint8_t>((255 - c(k)) * (255 - c(3)) / 255);
        };
        palette.push_back(TRGBQuad{ink(2), ink(1), ink(0), 0});
      } else {
        palette.push_back(TRGBQuad{c(2), c(1), c(0), 0});
      }
    }
  } else {
    palette = GreyRamp(bits);
  }
  palette.resize(std::size_t{1} << bits);
  if (a.Inverted && a.Family != TColorFamily::Indexed) std::reverse(palette.begin(), palette.end());
  return palette;
}

}  // namespace paginor
