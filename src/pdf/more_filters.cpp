#include "pdf/more_filters.h"

#include "pdf/literals.h"

namespace paginor {

namespace {

// A whole number of a parameter dictionary; fallback when absent or not whole.
int WholeNumber(const TPdfObject& params, std::string_view key, int fallback) {
  const TPdfObject* value = params.Get(key);
  return value ? value->AsInt32().value_or(fallback) : fallback;
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

std::vector<TFilterStep> ReadFilterChain(const std::vector<std::string>& filter) {
  std::vector<TFilterStep> chain;
  for (std::size_t i = 1; i < filter.size(); ++i) {
    // Every token but the brackets is a step, as the classic reader counts them: what is not
    // a filter name fails as an unknown filter.
    if (filter[i] == "[" || filter[i] == "]") continue;
    TFilterStep step;
    step.Name = filter[i];
    chain.push_back(std::move(step));
  }
  return chain;
}

std::vector<TFilterStep> FilterChainOf(const TPdfObject& dict, const TResolve& resolve) {
  std::vector<TFilterStep> chain;
  const TPdfObject* filter = dict.Get("Filter");
  if (filter == nullptr) return chain;
  const TPdfObject& names = resolve(*filter);
  // A step that is not a name is kept so that the chain fails on it as on an unknown filter.
  const auto step_of = [](const TPdfObject& name) {
    TFilterStep step;
    step.Name = name.kind() == TPdfObject::Kind::Name ? "/" + name.Text() : "?";
    return step;
  };
  if (names.IsArray()) {
    for (const TPdfObject& name : names.Items())
      chain.push_back(step_of(resolve(name)));
  } else if (!names.IsNull()) {
    chain.push_back(step_of(names));
  }
  // /DecodeParms (/DP as pictures abbreviate it): one dictionary or null per step, or one
  // dictionary for a single filter.
  std::vector<const TPdfObject*> params;
  const TPdfObject* parms = dict.Get("DecodeParms");
  if (parms == nullptr) parms = dict.Get("DP");
  if (parms != nullptr) {
    const TPdfObject& list = resolve(*parms);
    if (list.IsArray()) {
      for (const TPdfObject& item : list.Items())
        params.push_back(&resolve(item));
    } else {
      params.push_back(&list);
    }
  }
  for (std::size_t k = 0; k < chain.size() && k < params.size(); ++k) {
    const TPdfObject& p = *params[k];
    TPredictorParams& predictor = chain[k].Predictor;
    predictor.Predictor = WholeNumber(p, "Predictor", 1);
    predictor.Colors = WholeNumber(p, "Colors", 1);
    predictor.BitsPerComponent = WholeNumber(p, "BitsPerComponent", 8);
    predictor.Columns = WholeNumber(p, "Columns", 1);
    chain[k].EarlyChange = WholeNumber(p, "EarlyChange", 1) != 0;
    if (const TPdfObject* name = p.Get("Name"); name && name->kind() == TPdfObject::Kind::Name)
      chain[k].CryptName = "/" + name->Text();
  }
  return chain;
}

std::string StreamCryptFilter(const std::vector<TFilterStep>& chain) {
  if (chain.empty() || chain.front().Name != "/Crypt") return {};
  return chain.front().CryptName;
}

}  // namespace paginor
