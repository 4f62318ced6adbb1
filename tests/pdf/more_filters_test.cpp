#include "pdf/more_filters.h"
#include "pdf/filter_registry.h"

#include <gtest/gtest.h>

#include <map>

#include "support/filter_encoders.h"

namespace paginor {
namespace {

using testing::EncodeASCIIHex;
using testing::EncodeLzw;
using testing::EncodePng;
using testing::EncodeRunLength;
using testing::EncodeTiff;

// The modern chain of a stream dictionary written out; "n 0 R" names the object objects[n].
std::vector<TFilterStep> Chain(std::string_view dict,
                               const std::map<int32_t, std::string>& objects = {}) {
  std::map<int32_t, TPdfObject> parsed;
  for (const auto& [num, text] : objects)
    parsed[num] = ParseObject(text, 0)->Object;
  const auto resolve = [&parsed](const TPdfObject& o) -> const TPdfObject& {
    static const TPdfObject kNull;
    if (!o.IsRef()) return o;
    const auto it = parsed.find(o.AsRef()->Num);
    return it == parsed.end() ? kNull : it->second;
  };
  const auto stream = ParseObject(dict, 0);
  return stream ? FilterChainOf(stream->Object, resolve) : std::vector<TFilterStep>{};
}

TEST(ASCIIHex, Cases) {
  const struct {
    const char* name;
    std::string encoded;
    std::string decoded;
  } cases[] = {
      {"pairs", "48616c6c6f>", "Hallo"},
      {"upper case and blanks", "48 61\r\n6C 6C\t6F>", "Hallo"},
      {"odd last digit counts as followed by 0", "4861 7>", "Ha\x70"},
      {"nothing after the end mark", "41>42", "A"},
      {"without an end mark", "4142", "AB"},
      {"other bytes are skipped", "4x1z42>", "AB"},
      {"zero bytes stay", "00ff00>", std::string("\0\xff\0", 3)},
      {"empty", ">", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeASCIIHex(c.encoded), c.decoded) << c.name;
  }
}

TEST(RunLength, Cases) {
  const struct {
    const char* name;
    std::string encoded;
    std::string decoded;
  } cases[] = {
      {"literal run",
       std::string("\x02"
                   "abc\x80",
                   5),
       "abc"},
      {"repeat run",
       std::string("\xFE"
                   "x\x80",
                   3),
       "xxx"},
      {"longest repeat",
       std::string("\x81"
                   "y\x80",
                   3),
       std::string(128, 'y')},
      {"both",
       std::string("\x00"
                   "a\xFD"
                   "b\x01"
                   "cd\x80",
                   8),
       "abbbbcd"},
      {"nothing after the end",
       std::string("\x00"
                   "a\x80\x00"
                   "b",
                   5),
       "a"},
      {"no end mark",
       std::string("\x00"
                   "a",
                   2),
       "a"},
      {"literal cut by the end of the data",
       std::string("\x05"
                   "ab",
                   3),
       "ab"},
      {"repeat without its byte",
       std::string("\x00"
                   "a\xFE",
                   3),
       "a"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeRunLength(c.encoded), c.decoded) << c.name;
  }
}

TEST(MoreFilters, OutputStopsAtTheLimit) {
  bool reached = false;
  EXPECT_EQ(DecodeRunLength(std::string("\x81"
                                        "y\x81"
                                        "z",
                                        4),
                            130, &reached)
                .size(),
            130u);
  EXPECT_TRUE(reached);
  EXPECT_EQ(DecodeASCIIHex("414243444546>", 4, &reached), "ABCD");
  EXPECT_TRUE(reached);
  EXPECT_EQ(DecodeASCIIHex("41424344>", 4, &reached), "ABCD");
  EXPECT_FALSE(reached);
}

TEST(MoreFilters, OurEncodersRoundTrip) {
  std::string data;
  for (int i = 0; i < 12000; ++i)
    data += static_cast<char>(i % 7 == 0 ? 'a' : i * 13);
  data += std::string(400, 'r');
  EXPECT_EQ(DecodeASCIIHex(EncodeASCIIHex(data)), data);
  EXPECT_EQ(DecodeRunLength(EncodeRunLength(data)), data);
  EXPECT_EQ(DecodeLZW(EncodeLzw(data)), data);
}

TEST(FilterChain, LzwWithoutEarlyChange) {
  std::string data;
  for (int i = 0; i < 12000; ++i)
    data += static_cast<char>(i * 31 % 251);  // enough codes to pass every width
  const std::string late = EncodeLzw(data, /*early_change=*/false);
  const auto chain = Chain("<< /Filter /LZWDecode /DecodeParms << /EarlyChange 0 >> >>");
  ASSERT_EQ(chain.size(), 1u);
  EXPECT_FALSE(chain[0].EarlyChange);
  EXPECT_EQ(TFilterRegistry::Modern().Decode(chain[0], late), data);
  // The default reads the widths one code early and goes wrong where they change.
  EXPECT_TRUE(Chain("<< /Filter /LZWDecode >>")[0].EarlyChange);
  EXPECT_NE(DecodeLZW(late), data);
  const auto explicit_early = Chain("<< /Filter /LZW /DecodeParms << /EarlyChange 1 >> >>");
  EXPECT_EQ(TFilterRegistry::Modern().Decode(explicit_early[0], EncodeLzw(data)), data);
}

TEST(FilterChain, FiltersAndTheirParameters) {
  const auto chain = Chain(
      "<< /Filter [/ASCII85Decode /FlateDecode] "
      "/DecodeParms [null << /Predictor 12 /Columns 5 /Colors 3 >>] >>");
  ASSERT_EQ(chain.size(), 2u);
  EXPECT_EQ(chain[0].Name, "/ASCII85Decode");
  EXPECT_EQ(chain[0].Predictor.Predictor, 1);
  EXPECT_EQ(chain[1].Name, "/FlateDecode");
  EXPECT_EQ(chain[1].Predictor.Predictor, 12);
  EXPECT_EQ(chain[1].Predictor.Columns, 5);
  EXPECT_EQ(chain[1].Predictor.Colors, 3);
  EXPECT_EQ(chain[1].Predictor.BitsPerComponent, 8);

  const auto single = Chain("<< /Filter /LZWDecode /DecodeParms << /Predictor 2 >> >>");
  ASSERT_EQ(single.size(), 1u);
  EXPECT_EQ(single[0].Predictor.Predictor, 2);

  const auto crypt =
      Chain("<< /Filter [/Crypt /FlateDecode] /DecodeParms [<< /Name /StdCF >> null] >>");
  EXPECT_EQ(StreamCryptFilter(crypt), "/StdCF");
  EXPECT_EQ(StreamCryptFilter(Chain("<< /Filter /Crypt >>")), "/Identity");
  EXPECT_EQ(StreamCryptFilter(Chain("<< /Filter [/FlateDecode /Crypt] >>")), "");
  // Parameters and filters written as objects of their own are followed; nested values and
  // steps that are no names are not parameters or filters.
  const auto referenced =
      Chain("<< /Filter 8 0 R /DecodeParms [7 0 R << /X [1 2] /Columns 9 >> null] >>",
            {{7, "<< /Columns 4 >>"}, {8, "[/FlateDecode /DCTDecode 5]"}});
  ASSERT_EQ(referenced.size(), 3u);
  EXPECT_EQ(referenced[0].Predictor.Columns, 4);
  EXPECT_EQ(referenced[1].Predictor.Columns, 9);
  EXPECT_EQ(referenced[1].Name, "/DCTDecode");
  EXPECT_FALSE(TFilterRegistry::Modern().Knows(referenced[2].Name));
  // Filter names with #xx escapes mean the names they spell.
  EXPECT_EQ(Chain("<< /Filter /Flate#44ecode >>")[0].Name, "/FlateDecode");
}

TEST(FilterChain, TheClassicReaderCountsEveryTokenButTheBrackets) {
  const auto chain = ReadFilterChain({"/Filter", "[", "/FlateDecode", "5", "0", "R", "]"});
  ASSERT_EQ(chain.size(), 4u);
  EXPECT_EQ(chain[0].Name, "/FlateDecode");
  EXPECT_EQ(chain[3].Name, "R");
  EXPECT_EQ(chain[0].Predictor.Predictor, 1);  // no parameters
}

TEST(FilterChain, StepsUndoPredictorsAfterFlateAndLzw) {
  std::string rows;
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 15; ++x)
      rows += static_cast<char>(x * y + 3 * x);
  }
  const struct {
    const char* name;
    const char* filter;
    int predictor;
    std::string encoded;
  } cases[] = {
      {"Flate, PNG rows", "/FlateDecode", 12, testing::Deflate(EncodePng(rows, 15, 3))},
      {"Flate, PNG predictor 15", "/FlateDecode", 15, testing::Deflate(EncodePng(rows, 15, 3))},
      {"Flate, TIFF", "/FlateDecode", 2, testing::Deflate(EncodeTiff(rows, 15, 3))},
      {"LZW, PNG rows", "/LZWDecode", 10, EncodeLzw(EncodePng(rows, 15, 3))},
      {"LZW, TIFF", "/LZWDecode", 2, EncodeLzw(EncodeTiff(rows, 15, 3))},
  };
  for (const auto& c : cases) {
    TFilterStep step;
    step.Name = c.filter;
    step.Predictor.Predictor = c.predictor;
    step.Predictor.Colors = 3;
    step.Predictor.Columns = 5;
    EXPECT_EQ(TFilterRegistry::Modern().Decode(step, c.encoded), rows) << c.name;
  }
  TFilterStep unknown;
  unknown.Name = "/JPXDecode";
  EXPECT_FALSE(TFilterRegistry::Modern().Decode(unknown, "data"));
  TFilterStep crypt;
  crypt.Name = "/Crypt";
  EXPECT_EQ(TFilterRegistry::Modern().Decode(crypt, "data"), "data");
}

}  // namespace
}  // namespace paginor
