// Builds PDF files in memory for tests: objects in, a file with a correct cross-reference
// table out, plus switches for the faults a test needs.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace paginor::testing {

class PdfBuilder {
 public:
  enum class Length { Direct, Indirect, Missing };

  // Adds an object with the given body and returns its number (1, 2, ...).
  int Add(const std::string& body);
  // Defines or replaces object num; numbers may leave gaps.
  void Set(int num, const std::string& body);
  // Adds a stream object. dict holds the dictionary's entries without "<<" and ">>".
  int AddStream(const std::string& dict, const std::string& data, Length length = Length::Direct);
  // A zlib stream of data, for /FlateDecode.
  static std::string Deflate(const std::string& data);

  // A catalog and a flat page tree with one page per content text (each text a plain
  // stream); the catalog becomes the root. Returns the page object numbers.
  std::vector<int> AddSimplePages(const std::vector<std::string>& contents);

  int root = 0;               // /Root of the trailer (0: none written)
  std::string trailer_extra;  // further trailer entries, e.g. "/Encrypt 9 0 R"

  struct Faults {
    std::map<int, int> offset_shift;  // object number -> bytes added to its listed offset
    std::set<int> unlisted;           // objects written but left out of the table
    std::set<int> split_before;       // start a new subsection at these object numbers
    std::string after_eof;            // bytes after the final "%%EOF" line
    bool no_eof = false;              // leave out "%%EOF"
  };
  std::string Build(const Faults& faults) const;
  std::string Build() const { return Build(Faults{}); }

  // The offset at which Build wrote object num, in the last file built.
  int64_t OffsetOf(int num) const { return offsets_.at(num); }

  // Appends an incremental update to a built file: the given objects, a new section listing
  // them, and a trailer with /Prev naming the file's last section (or prev when given),
  // written with ten digits.
  static std::string AppendUpdate(const std::string& file,
                                  const std::map<int, std::string>& objects,
                                  const std::string& trailer_entries, int64_t prev = -1);
  // The offset that the file's last "startxref" names.
  static int64_t StartXref(const std::string& file);

 private:
  std::map<int, std::string> objects_;
  mutable std::map<int, int64_t> offsets_;
};

// Writes the cross-reference section for the given offsets (subsections of consecutive
// numbers, object 0 as the free head) starting with "xref".
std::string XrefSection(const std::map<int, int64_t>& offsets, const std::set<int>& split_before);

}  // namespace paginor::testing
