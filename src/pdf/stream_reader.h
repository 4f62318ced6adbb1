// One way to read a stream object: its dictionary's /Length (direct or through its object) and
// filters, where its data begin and end, decryption, and the filters undone through the
// reader's registry. Page content, cross-reference and object streams, fonts, CMaps and
// pictures all read their data here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pdf/doc_reader.h"
#include "pdf/more_filters.h"

namespace paginor {

// What a stream's dictionary says about reading its data.
struct TStreamHeader {
  // /Length; an indirect one that cannot be read counts 0, as the classic reader reads numbers.
  std::optional<int64_t> Length;
  // Every token of /Filter but the brackets, each with its /DecodeParms (which only the modern
  // reader reads).
  std::vector<TFilterStep> Chain;
};

// The header from the dictionary entries the reader holds (right after ReadDict); the cursor
// stays where it is.
TStreamHeader StreamHeaderOf(TDocReader& reader);

// After the dictionary: "stream" and LF or CR LF, the cursor then on the first data byte. The
// modern reader also takes a lone CR or a blank after the keyword.
bool EnterStreamData(TDocReader& reader);

// How many bytes of data follow start. The classic reader takes /Length as it is. The modern
// reader takes it where "endstream" follows; when it is missing, wrong or beyond the file, the
// data run up to the next "endstream", without the line end before it.
int64_t StreamDataLength(const TDocReader& reader, int64_t start,
                         const std::optional<int64_t>& length);

// Decrypts a stream's data with the key of object num (the modern reader: with the crypt
// filter its chain names).
void DecryptStreamData(TDocReader& reader, int32_t num, int32_t gen,
                       const std::vector<TFilterStep>& chain, std::string& data);

// The result of undoing a stream's filters.
struct TUndone {
  std::string Data;
  bool LimitReached = false;  // a filter would have given more than the limit
  std::string UnknownFilter;  // the first filter the registry does not know; empty when none
};
// Undoes the chain in order through the reader's registry, counting the bytes each step makes
// against the file's budget. Stops at the first unknown filter.
TUndone UndoFilters(TDocReader& reader, const std::vector<TFilterStep>& chain, std::string data,
                    std::size_t limit = kMaxInflatedSize);

// The decoded data of the stream object whose dictionary the reader has just read (its entries
// still in DictEntries): /Length, decryption when encrypt is set, every filter. Nothing when
// the data cannot be found or a filter is unknown.
std::optional<std::string> ReadStreamData(TDocReader& reader, int32_t num, int32_t gen,
                                          bool encrypt);

// The decoded data of stream object num; nothing when it is no stream. The cursor is left where
// it was.
std::optional<std::string> ReadStreamObject(TDocReader& reader, int32_t num, int32_t gen);

}  // namespace paginor
