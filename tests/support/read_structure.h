// Runs the reading phases before the page loop, as the driver does, for tests that look at
// the reader's state.
#pragma once

#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

#include "pdf/doc_reader.h"
#include "pdf/inherited.h"
#include "pdf/page_tree.h"
#include "pdf/repair.h"
#include "pdf/unlock.h"
#include "pdf/xref.h"

namespace paginor::testing {

// Answers the first prompt with the given password and cancels every later one, so that a
// password the check refuses cannot keep a test asking forever.
class FixedPrompt final : public TPasswordPrompt {
 public:
  explicit FixedPrompt(std::optional<std::string> answer = std::nullopt)
      : answer_(std::move(answer)) {}
  std::optional<std::string> AskPassword() override {
    return ++asked == 1 ? answer_ : std::nullopt;
  }
  void WrongPassword() override { ++wrong; }
  int asked = 0;
  int wrong = 0;

 private:
  std::optional<std::string> answer_;
};

// modern: the reader of "Moderne und beschädigte PDF-Dateien lesen", with the driver's
// further phases for it.
inline std::unique_ptr<TDocReader> ReadStructure(std::string bytes,
                                                 TPasswordPrompt* prompt = nullptr,
                                                 bool modern = false) {
  auto reader = std::make_unique<TDocReader>(std::move(bytes));
  reader->SetRules(modern ? TReadingRules::Modern() : TReadingRules::Classic());
  ReadXrefAndTrailer(*reader);
  if (reader->Invalid) return reader;
  if (reader->Encrypted) {
    FixedPrompt cancel;
    UnlockDocument(*reader, prompt != nullptr ? *prompt : cancel);
    if (reader->Invalid) return reader;
  }
  if (modern) ExpandObjectStreams(*reader);
  ReadCatalog(*reader);
  if (reader->Invalid) return reader;
  WalkPageTree(*reader);
  ReadPageDictionaries(*reader);
  if (modern) ApplyInheritedAttributes(*reader);
  ReadPageResources(*reader);
  return reader;
}

inline std::string ReadFixture(const std::string& name) {
  std::ifstream in(std::string(PAGINOR_TEST_DATA) + "/" + name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace paginor::testing
