// A typed PDF object of the modern reader: null, boolean, number, string, name, array,
// dictionary or reference, parsed from the buffer once with PDF's own token rules (comments,
// balanced parentheses and every escape in strings, #xx in names).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace paginor {

class TPdfObject;
using TPdfArray = std::vector<TPdfObject>;
using TPdfDict = std::vector<std::pair<std::string, TPdfObject>>;  // keys without their "/"

struct TPdfRef {
  int32_t Num = 0;
  int32_t Gen = 0;
};

class TPdfObject {
 public:
  enum class Kind : uint8_t { Null, Bool, Number, String, Name, Array, Dict, Ref };

  TPdfObject() = default;
  static TPdfObject Boolean(bool b);
  static TPdfObject Number(double v);
  static TPdfObject String(std::string bytes);
  static TPdfObject Name(std::string name);  // without its "/"
  static TPdfObject Array(TPdfArray items);
  // pos: where the dictionary starts in the bytes it was parsed from.
  static TPdfObject Dict(TPdfDict entries, int64_t pos = -1);
  static TPdfObject Reference(TPdfRef ref);

  Kind kind() const { return kind_; }
  bool IsNull() const { return kind_ == Kind::Null; }
  bool IsDict() const { return kind_ == Kind::Dict; }
  bool IsArray() const { return kind_ == Kind::Array; }
  bool IsRef() const { return kind_ == Kind::Ref; }
  bool IsName(std::string_view name) const { return kind_ == Kind::Name && text_ == name; }

  std::optional<double> AsNumber() const;
  // A number without a fraction, within the range doubles hold exactly; nothing otherwise.
  std::optional<int64_t> AsInteger() const;
  // The same, within int32_t.
  std::optional<int32_t> AsInt32() const;
  std::optional<bool> AsBool() const;
  // The bytes of a string, or the name of a name; empty for other kinds.
  const std::string& Text() const { return text_; }
  std::optional<TPdfRef> AsRef() const;
  // Empty for other kinds.
  const TPdfArray& Items() const;
  const TPdfDict& Entries() const;

  // The value of a dictionary's key (without "/"); nullptr when absent or no dictionary.
  const TPdfObject* Get(std::string_view key) const;
  // Where a parsed dictionary starts in its bytes ("<<"); -1 for other objects.
  int64_t Pos() const { return pos_; }
  // A number array of exactly n numbers.
  std::optional<std::vector<double>> Numbers(std::size_t n) const;

 private:
  Kind kind_ = Kind::Null;
  double number_ = 0;
  int64_t pos_ = -1;
  std::string text_;
  TPdfRef ref_;
  std::shared_ptr<const TPdfArray> array_;
  std::shared_ptr<const TPdfDict> dict_;
};

// PDF's white space (NUL, tab, LF, FF, CR, space) and delimiters, as the modern reader reads
// objects and content.
bool IsPdfWhite(unsigned char c);
bool IsPdfDelimiter(unsigned char c);

// Limits of one parse: nesting of arrays and dictionaries and objects in all.
struct TParseLimits {
  int Depth = 64;
  std::size_t Objects = std::size_t{1} << 20;
};

struct TParsed {
  TPdfObject Object;
  std::size_t End = 0;  // the first byte after the object
};

// The object starting at (or after white space and comments from) `at`; nothing when the bytes
// there are no object. An "n g R" becomes a reference; a "stream" after a dictionary is left
// for the caller (End points after the dictionary).
std::optional<TParsed> ParseObject(std::string_view data, std::size_t at,
                                   const TParseLimits& limits = {});

}  // namespace paginor
