#include "cli/cli_options.h"

#include <gtest/gtest.h>

namespace paginor {
namespace {

TEST(CommandLine, ReadsTheOptions) {
  const TCliParse parse = ParseCommandLine({"--info", "-p", "geheim", "-q", "datei.pdf"});
  ASSERT_TRUE(parse.options.has_value()) << parse.error;
  EXPECT_EQ(parse.options->input, "datei.pdf");
  EXPECT_EQ(parse.options->password, "geheim");
  EXPECT_TRUE(parse.options->info);
  EXPECT_TRUE(parse.options->quiet);
  EXPECT_FALSE(parse.options->progress);

  const TCliParse joined = ParseCommandLine({"--password=a b", "--", "-seltsam.pdf"});
  ASSERT_TRUE(joined.options.has_value());
  EXPECT_EQ(joined.options->password, "a b");
  EXPECT_EQ(joined.options->input, "-seltsam.pdf");
}

TEST(CommandLine, RefusesWhatItCannotUse) {
  const std::vector<std::vector<std::string>> bad = {
      {}, {"--info"}, {"-p"}, {"a.pdf", "b.pdf"}, {"--unbekannt", "a.pdf"}};
  for (const auto& args : bad) {
    const TCliParse parse = ParseCommandLine(args);
    EXPECT_FALSE(parse.options.has_value());
    EXPECT_FALSE(parse.error.empty());
  }
  EXPECT_TRUE(ParseCommandLine({"--help"}).options.has_value());
  EXPECT_TRUE(ParseCommandLine({"--version"}).options.has_value());
}

}  // namespace
}  // namespace paginor
