#include "images/image_attributes.h"

#include <algorithm>

#include "pdf/filters.h"
#include "pdf/literals.h"

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

// A palette stream's data as the classic reader reads it: only a direct /Length, and only
// inflated.
std::string LookupStreamData(TDocReader& reader, int32_t num, int32_t gen) {
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
  if (reader.Encrypted) reader.Security.DecryptString(obj_num, gen, bytes);
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

// The modern reader's attributes from the typed image dictionary, references followed.
class TModernAttributes {
 public:
  explicit TModernAttributes(TObjectResolver& objects) : objects_(objects) {}

  TImageAttributes Read(const TPdfObject& dict, TPdfRef image) {
    TImageAttributes a;
    a.Modern = true;
    // Unresolved: a palette string belongs to the colour space's own object when it has one.
    const TPdfObject* space = dict.Get("ColorSpace");
    if (space == nullptr) space = dict.Get("CS");
    if (space != nullptr) ReadColorSpace(*space, image, a);
    if (const TPdfObject* parms = Entry(dict, "DecodeParms", "DP")) {
      const TPdfObject& value = objects_.Resolve(*parms);
      if (value.IsArray()) {
        for (const TPdfObject& item : value.Items())
          ReadParams(objects_.Resolve(item), a);
      } else {
        ReadParams(value, a);
      }
    }
    if (const TPdfObject* decode = objects_.Get(dict, "Decode");
        decode && decode->Items().size() >= 2) {
      a.Inverted =
          decode->Items()[0].AsNumber().value_or(0) > decode->Items()[1].AsNumber().value_or(0);
    }
    if (const TPdfObject* mask = Entry(dict, "ImageMask", "IM"))
      a.ImageMask = mask->AsBool().value_or(false);
    a.Chain = FilterChainOf(
        dict, [this](const TPdfObject& o) -> const TPdfObject& { return objects_.Resolve(o); });
    if (a.GlobalsRef.first > 0) {
      a.Jbig2Globals =
          objects_.StreamData({a.GlobalsRef.first, a.GlobalsRef.second}).value_or(std::string());
    }
    return a;
  }

 private:
  // The value of key, or of its abbreviation, resolved.
  const TPdfObject* Entry(const TPdfObject& dict, std::string_view key,
                          std::string_view abbreviation) {
    const TPdfObject* value = objects_.Get(dict, key);
    return value != nullptr ? value : objects_.Get(dict, abbreviation);
  }

  static TColorFamily FamilyNamed(const TPdfObject& name) {
    return name.kind() == TPdfObject::Kind::Name ? FamilyOf("/" + name.Text())
                                                 : TColorFamily::Unknown;
  }

  // The number of components an ICC profile stream declares with /N.
  TColorFamily IccFamily(const TPdfObject& profile) {
    const TPdfObject* n = objects_.Get(profile, "N");
    const double components = n ? n->AsNumber().value_or(0) : 0;
    return components == 1   ? TColorFamily::Gray
           : components == 3 ? TColorFamily::Rgb
           : components == 4 ? TColorFamily::Cmyk
                             : TColorFamily::Unknown;
  }

  // A base colour space: a name, [/ICCBased profile], another array by its first name, or an
  // ICC profile itself.
  TColorFamily BaseFamily(const TPdfObject& space) {
    const TPdfObject& value = objects_.Resolve(space);
    if (value.IsDict()) return IccFamily(value);
    if (value.IsArray() && !value.Items().empty()) {
      const TPdfObject& first = objects_.Resolve(value.Items()[0]);
      if (first.IsName("ICCBased") && value.Items().size() > 1)
        return IccFamily(objects_.Resolve(value.Items()[1]));
      return FamilyNamed(first);
    }
    return FamilyNamed(value);
  }

  void ReadColorSpace(const TPdfObject& raw, TPdfRef holder, TImageAttributes& a) {
    if (const auto ref = raw.AsRef()) holder = *ref;
    const TPdfObject& space = objects_.Resolve(raw);
    const TPdfArray& items = space.Items();
    if (items.size() < 2 || FamilyNamed(objects_.Resolve(items[0])) != TColorFamily::Indexed) {
      a.Family = BaseFamily(space);
      return;
    }
    a.Family = TColorFamily::Indexed;
    a.Base = BaseFamily(items[1]);
    if (items.size() > 2) {
      const double hival = objects_.Resolve(items[2]).AsNumber().value_or(0);
      a.HiVal = static_cast<int>(std::clamp(hival, 0.0, 255.0));
    }
    if (items.size() > 3) a.Lookup = LookupBytes(items[3], holder);
  }

  // The palette: a string of the holder object, or a string or stream object of its own.
  std::string LookupBytes(const TPdfObject& raw, TPdfRef holder) {
    if (const auto ref = raw.AsRef()) {
      const TPdfObject& value = objects_.Object(*ref);
      if (value.IsDict()) return objects_.StreamData(*ref).value_or(std::string());
      return StringBytes(value, *ref);
    }
    return StringBytes(raw, holder);
  }

  std::string StringBytes(const TPdfObject& value, TPdfRef holder) {
    if (value.kind() != TPdfObject::Kind::String) return {};
    std::string bytes = value.Text();
    objects_.DecryptString(holder, bytes);
    return bytes;
  }

  void ReadParams(const TPdfObject& params, TImageAttributes& a) {
    if (!params.IsDict()) return;
    const auto number = [&params](std::string_view key, int& out) {
      if (const TPdfObject* v = params.Get(key)) out = v->AsInt32().value_or(0);
    };
    const auto flag = [&params](std::string_view key, bool& out) {
      if (const TPdfObject* v = params.Get(key)) out = v->AsBool().value_or(false);
    };
    number("Predictor", a.Predictor.Predictor);
    number("Colors", a.Predictor.Colors);
    number("BitsPerComponent", a.Predictor.BitsPerComponent);
    number("Columns", a.Predictor.Columns);
    number("K", a.Ccitt.K);
    flag("BlackIs1", a.Ccitt.BlackIs1);
    flag("EncodedByteAlign", a.Ccitt.EncodedByteAlign);
    flag("EndOfLine", a.Ccitt.EndOfLine);
    if (const TPdfObject* globals = params.Get("JBIG2Globals")) {
      if (const auto ref = globals->AsRef()) a.GlobalsRef = {ref->Num, ref->Gen};
    }
  }

  TObjectResolver& objects_;
};

}  // namespace

TImageAttributes ReadImageAttributes(TDocReader& reader, const std::vector<TDictEntry>& entries,
                                     int32_t obj_num, int32_t gen) {
  TImageAttributes a;
  for (const TDictEntry& e : entries) {
    const auto& t = e.Tokens;
    if (t.size() < 2) continue;
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
  return a;
}

TImageAttributes ReadImageAttributes(TObjectResolver& objects, const TPdfObject& dict,
                                     TPdfRef image) {
  TModernAttributes reading(objects);
  return reading.Read(dict, image);
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
