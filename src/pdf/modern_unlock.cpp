#include "pdf/modern_unlock.h"

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include "pdf/literals.h"
#include "pdf/standard_security.h"

namespace paginor {

namespace {

struct TCryptFilterEntry {
  std::string Name;    // with its "/"
  std::string Method;  // /CFM
};

// The encryption dictionary as the modern handler reads it.
struct TEncryptDictionary {
  bool Found = false;
  std::string Filter = "/Standard";
  int V = 0;
  int R = 0;
  int LengthBits = 0;  // 0: not given
  std::string O, U, OE, UE;
  int32_t P = 0;
  bool EncryptMetadata = true;
  std::vector<TCryptFilterEntry> CryptFilters;
  std::string StmF = "/Identity";
  std::string StrF = "/Identity";
};

// A string value at t[i]: (literal) with its escapes, or <hex digits>, possibly split by
// blanks into several tokens up to the closing ">".
std::string StringAt(const std::vector<std::string>& t, std::size_t i) {
  if (i >= t.size()) return {};
  if (t[i].starts_with('(')) return UnescapeLiteral(StripParens(t[i]));
  if (!t[i].starts_with('<') || t[i].starts_with("<<")) return {};
  std::string digits = t[i].substr(1);
  for (std::size_t k = i + 1; k < t.size() && !digits.ends_with('>') && t[k] != ">"; ++k)
    digits += t[k];
  if (digits.ends_with('>')) digits.pop_back();
  return DecodeHexBytes(digits);
}

// /CF << /Name << /CFM /AESV2 ... >> ... >>, written inline.
std::vector<TCryptFilterEntry> ReadCryptFilters(const std::vector<std::string>& t) {
  std::vector<TCryptFilterEntry> filters;
  int depth = 0;
  for (std::size_t i = 1; i < t.size(); ++i) {
    if (t[i] == "<<") {
      ++depth;
    } else if (t[i] == ">>") {
      --depth;
    } else if (depth == 1 && t[i].starts_with('/') && i + 1 < t.size() && t[i + 1] == "<<") {
      filters.push_back({t[i], "/None"});
    } else if (depth == 2 && t[i] == "/CFM" && i + 1 < t.size() && !filters.empty()) {
      filters.back().Method = t[++i];
    }
  }
  return filters;
}

TEncryptDictionary ReadDictionary(TDocReader& reader) {
  TEncryptDictionary d;
  if (!reader.GotoObject(reader.EncryptNum, reader.EncryptGen)) return d;
  reader.ReadDict();
  d.Found = !reader.Invalid;
  for (const TDictEntry& entry : reader.DictEntries) {
    const auto& t = entry.Tokens;
    if (t.size() < 2) continue;
    const std::string& key = t[0];
    const auto number = [&t] { return ParseInt64(t[1]).value_or(0); };
    if (key == "/Filter") {
      d.Filter = t[1];
    } else if (key == "/V") {
      d.V = static_cast<int>(std::clamp<int64_t>(number(), -1, 99));
    } else if (key == "/R") {
      d.R = static_cast<int>(std::clamp<int64_t>(number(), -1, 99));
    } else if (key == "/Length") {
      d.LengthBits = static_cast<int>(std::clamp<int64_t>(number(), 0, 4096));
    } else if (key == "/O") {
      d.O = StringAt(t, 1);
    } else if (key == "/U") {
      d.U = StringAt(t, 1);
    } else if (key == "/OE") {
      d.OE = StringAt(t, 1);
    } else if (key == "/UE") {
      d.UE = StringAt(t, 1);
    } else if (key == "/P") {
      // Signed (-4) or unsigned (4294967292): the same four bytes.
      d.P = static_cast<int32_t>(static_cast<uint32_t>(number() & 0xFFFFFFFF));
    } else if (key == "/EncryptMetadata") {
      d.EncryptMetadata = t[1] != "false";
    } else if (key == "/CF") {
      d.CryptFilters = ReadCryptFilters(t);
    } else if (key == "/StmF") {
      d.StmF = t[1];
    } else if (key == "/StrF") {
      d.StrF = t[1];
    }
  }
  reader.FreeDict();
  return d;
}

std::optional<TCryptMethod> MethodOf(const std::string& cfm) {
  if (cfm == "/None") return TCryptMethod::Identity;
  if (cfm == "/V2") return TCryptMethod::Rc4;
  if (cfm == "/AESV2") return TCryptMethod::AesV2;
  if (cfm == "/AESV3") return TCryptMethod::AesV3;
  return std::nullopt;
}

// The methods of the handler's crypt filters, /Identity included; nothing when the dictionary
// asks for what this handler cannot do.
std::optional<std::map<std::string, TCryptMethod>> CryptFiltersOf(const TEncryptDictionary& d) {
  if (d.Filter != "/Standard" || !d.Found) return std::nullopt;
  const bool rc4 = (d.V == 1 || d.V == 2) && d.R >= 2 && d.R <= 4;
  const bool filters = d.V == 4 && d.R == 4;
  const bool aes256 = d.V == 5 && (d.R == 5 || d.R == 6);
  if (!rc4 && !filters && !aes256) return std::nullopt;
  std::map<std::string, TCryptMethod> methods{{"/Identity", TCryptMethod::Identity}};
  if (rc4) {
    methods["/StdCF"] = TCryptMethod::Rc4;
    return methods;
  }
  for (const TCryptFilterEntry& f : d.CryptFilters) {
    const auto method = MethodOf(f.Method);
    if (!method ||
        (aes256 && *method != TCryptMethod::AesV3 && *method != TCryptMethod::Identity)) {
      return std::nullopt;
    }
    if (f.Name != "/Identity") methods[f.Name] = *method;
  }
  if (!methods.contains(d.StmF) || !methods.contains(d.StrF)) return std::nullopt;
  return methods;
}

// A UTF-8 password in Latin-1, the encoding revisions 2 to 4 hash; nothing when it is plain
// ASCII already or holds characters beyond Latin-1.
std::optional<std::string> Latin1Of(const std::string& utf8) {
  std::string out;
  bool changed = false;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size() &&
               (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
      out += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
      changed = true;
    } else {
      return std::nullopt;
    }
  }
  if (!changed) return std::nullopt;
  return out;
}

}  // namespace

bool UnlockModern(TDocReader& reader, TPasswordPrompt& prompt) {
  TSecurityHandler& security = reader.Security;
  const TEncryptDictionary d = ReadDictionary(reader);
  const auto methods = CryptFiltersOf(d);
  if (!methods) {
    prompt.Unsupported();
    reader.Invalid = true;
    return false;
  }
  // A literal identifier has its escapes resolved, like every other string.
  const bool hex_id = security.FileId.starts_with('<');
  security.DecodeFileId();
  if (!hex_id) security.FileId = UnescapeLiteral(security.FileId);
  security.OwnerHash = d.O;
  security.UserHash = d.U;
  security.Permissions = d.P;

  TStandardParams params;
  params.Revision = d.R;
  const int bits = d.V == 1 ? 40 : d.LengthBits > 0 ? d.LengthBits : d.V == 4 ? 128 : 40;
  params.KeyBytes = std::clamp(bits / 8, 5, 16);
  params.Owner = d.O;
  params.User = d.U;
  params.OwnerKey = d.OE;
  params.UserKey = d.UE;
  params.Permissions = d.P;
  params.FileId = security.FileId;
  params.EncryptMetadata = d.EncryptMetadata;

  const auto open = [&](const std::string& password) {
    std::optional<std::string> key = FileKeyForPassword(password, params);
    if (!key && d.R < 5) {
      if (const auto latin1 = Latin1Of(password)) key = FileKeyForPassword(*latin1, params);
    }
    return key;
  };
  return AskUntilOpened(reader, prompt, [&](const std::string& password) {
    std::optional<std::string> key = open(password);
    if (!key) return false;
    security.Modern = true;
    security.Key = std::move(*key);
    security.CryptFilters = *methods;
    security.StreamMethod = methods->at(d.V == 4 || d.V == 5 ? d.StmF : "/StdCF");
    security.StringMethod = methods->at(d.V == 4 || d.V == 5 ? d.StrF : "/StdCF");
    return true;
  });
}

}  // namespace paginor
