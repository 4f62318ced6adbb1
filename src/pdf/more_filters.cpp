#include "pdf/more_filters.h"

#include <map>

#include "pdf/literals.h"
#include "pdf/records.h"

namespace paginor {

namespace {

using TParams = std::map<std::string, std::string>;

// The key-value pairs of the dictionary that opens at t[i] ("<<"); moves i past its ">>".
// Values that are themselves arrays or dictionaries are passed over.
TParams ReadParamsDict(const std::vector<std::string>& t, std::size_t& i) {
  TParams params;
  int depth = 0;
  std::string key;
  for (; i < t.size(); ++i) {
    const std::string& token = t[i];
    if (token == "<<" || token == "[") {
      ++depth;
      key.clear();
      continue;
    }
    if (token == ">>" || token == "]") {
      if (--depth <= 0) {
        ++i;
        break;
      }
      continue;
    }
    if (depth != 1) continue;
    if (key.empty() && token.starts_with('/')) {
      key = token;
    } else if (!key.empty()) {
      params[key] = token;
      key.clear();
    }
  }
  return params;
}

std::vector<TParams> ReadParmsList(const std::vector<std::string>& t) {
  std::vector<TParams> list;
  if (t.size() < 2) return list;
  std::size_t i = 1;
  if (t[i] == "<<") {
    list.push_back(ReadParamsDict(t, i));
    return list;
  }
  if (t[i] != "[") return list;
  ++i;
  while (i < t.size() && t[i] != "]") {
    if (t[i] == "<<") {
      list.push_back(ReadParamsDict(t, i));
    } else if (IsReferenceAt(t, i)) {
      list.emplace_back();  // a parameter object of its own: read as none
      i += 3;
    } else {
      list.emplace_back();  // null
      ++i;
    }
  }
  return list;
}

int Number(const TParams& p, const char* key, int fallback) {
  const auto it = p.find(key);
  if (it == p.end()) return fallback;
  return ParseInt32(it->second).value_or(fallback);
}

}  // namespace

std::string DecodeASCIIHex(std::string_view data, std::size_t limit, bool* limit_reached) {
  std::string out;
  int high = -1;
  bool reached = false;
  for (const char c : data) {
    if (c == '>') break;
    const auto ch = static_cast<unsigned char>(c);
    const bool digit =
        (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
    if (!digit) continue;
    if (high < 0) {
      high = HexDigitValue(ch);
      continue;
    }
    if (out.size() >= limit) {
      reached = true;
      high = -1;
      break;
    }
    out += static_cast<char>(high << 4 | HexDigitValue(ch));
    high = -1;
  }
  if (high >= 0) {
    if (out.size() < limit) {
      out += static_cast<char>(high << 4);
    } else {
      reached = true;
    }
  }
  if (limit_reached != nullptr) *limit_reached = reached;
  return out;
}

std::string DecodeRunLength(std::string_view data, std::size_t limit, bool* limit_reached) {
  std::string out;
  bool reached = false;
  std::size_t at = 0;
  while (at < data.size() && !reached) {
    const auto length = static_cast<unsigned char>(data[at++]);
    if (length == 128) break;
    std::size_t count = 0;
    if (length < 128) {
      count = std::min<std::size_t>(std::size_t{length} + 1, data.size() - at);
    } else {
      count = at < data.size() ? 257 - std::size_t{length} : 0;
    }
    if (count > limit - out.size()) {
      count = limit - out.size();
      reached = true;
    }
    if (length < 128) {
      out.append(data.substr(at, count));
      at += std::size_t{length} + 1;
    } else if (at < data.size()) {
      out.append(count, data[at]);
      ++at;
    }
  }
  if (limit_reached != nullptr) *limit_reached = reached;
  return out;
}

std::vector<TFilterStep> ReadFilterChain(const std::vector<std::string>& filter,
                                         const std::vector<std::string>& parms) {
  std::vector<TFilterStep> chain;
  for (std::size_t i = 1; i < filter.size(); ++i) {
    // Every token but the brackets is a step, as the classic reader counts them: what is not
    // a filter name fails as an unknown filter.
    if (filter[i] == "[" || filter[i] == "]") continue;
    TFilterStep step;
    step.Name = filter[i];
    chain.push_back(std::move(step));
  }
  const std::vector<TParams> list = ReadParmsList(parms);
  for (std::size_t k = 0; k < chain.size() && k < list.size(); ++k) {
    const TParams& p = list[k];
    TPredictorParams& predictor = chain[k].Predictor;
    predictor.Predictor = Number(p, "/Predictor", 1);
    predictor.Colors = Number(p, "/Colors", 1);
    predictor.BitsPerComponent = Number(p, "/BitsPerComponent", 8);
    predictor.Columns = Number(p, "/Columns", 1);
    chain[k].EarlyChange = Number(p, "/EarlyChange", 1) != 0;
    if (const auto name = p.find("/Name"); name != p.end()) chain[k].CryptName = name->second;
  }
  return chain;
}

std::string StreamCryptFilter(const std::vector<TFilterStep>& chain) {
  if (chain.empty() || chain.front().Name != "/Crypt") return {};
  return chain.front().CryptName;
}

}  // namespace paginor
