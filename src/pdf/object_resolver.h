// The modern reader's objects by number: each parsed once from where the cross-reference table
// puts it (objects of object streams have been written out by then) and kept.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "pdf/doc_reader.h"
#include "pdf/object.h"

namespace paginor {

class TObjectResolver {
 public:
  explicit TObjectResolver(TDocReader& reader) : reader_(reader) {}

  // Object num; null when the table has no such object or its body is no object.
  const TPdfObject& Object(TPdfRef ref);
  // The direct object whose bytes start at pos (a dictionary inside another object); null when
  // there is none.
  const TPdfObject& ObjectAt(int64_t pos);
  // What o refers to (through chains of references, a few steps at most); o itself otherwise.
  const TPdfObject& Resolve(const TPdfObject& o);
  // The value of key in dictionary o (o and the value resolved); nullptr when absent.
  const TPdfObject* Get(const TPdfObject& o, std::string_view key);
  // The decoded data of stream object ref: /Length direct or indirect (or up to "endstream"),
  // decryption with the object's key, the generic filters; nothing when there is none. The
  // reader's cursor is left where it was.
  std::optional<std::string> StreamData(TPdfRef ref);
  // Decrypts a string that object holder holds, where the file is encrypted (strings of objects
  // written out of an object stream were decrypted with the stream).
  void DecryptString(TPdfRef holder, std::string& bytes);

 private:
  TPdfObject Parse(int64_t pos) const;

  TDocReader& reader_;
  std::unordered_map<int32_t, TPdfObject> objects_;
  std::unordered_map<int64_t, TPdfObject> direct_;  // by position
};

}  // namespace paginor
