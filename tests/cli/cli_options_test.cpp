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
  EXPECT_FALSE(joined.options->convert.Windows1252Text);  // every character by default

  for (const auto& [args, windows1252] : std::vector<std::pair<std::vector<std::string>, bool>>{
           {{"--encoding", "cp1252", "a.pdf"}, true}, {{"--encoding=utf-8", "a.pdf"}, false}}) {
    const TCliParse encoding = ParseCommandLine(args);
    ASSERT_TRUE(encoding.options.has_value()) << encoding.error;
    EXPECT_EQ(encoding.options->convert.Windows1252Text, windows1252) << args[0];
  }
}

TEST(CommandLine, RefusesWhatItCannotUse) {
  const std::vector<std::vector<std::string>> bad = {{},
                                                     {"--info"},
                                                     {"-p"},
                                                     {"a.pdf", "b.pdf"},
                                                     {"--unbekannt", "a.pdf"},
                                                     {"--encoding", "latin1", "a.pdf"}};
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
