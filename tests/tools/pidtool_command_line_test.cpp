// pidtool's argument handling: what runs, what prints help, what is sent back with the usage.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/command_line.h"

namespace pidtool {
namespace {

using Action = ParsedCommandLine::Action;

ParsedCommandLine Parse(std::vector<std::string> words) { return ParseCommandLine(words); }

TEST(CommandLine, RunsACommandWithItsArgumentsAndOptionsAnywhere) {
  ParsedCommandLine parsed = Parse({"register", "Rm7731.pid"});
  ASSERT_EQ(parsed.action, Action::Run);
  EXPECT_EQ(parsed.command->id, CommandId::Register);
  EXPECT_EQ(parsed.arguments, std::vector<std::string>{"Rm7731.pid"});
  EXPECT_FALSE(parsed.json);

  parsed = Parse({"id", "--json", "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}", "camera 1"});
  ASSERT_EQ(parsed.action, Action::Run);
  EXPECT_EQ(parsed.command->id, CommandId::Id);
  EXPECT_TRUE(parsed.json);
  EXPECT_EQ(parsed.arguments.size(), 2u);

  parsed = Parse({"products", "--json"});
  ASSERT_EQ(parsed.action, Action::Run);
  EXPECT_TRUE(parsed.json);
}

TEST(CommandLine, TakesTheGlobalOptionsBeforeOrAfterTheCommand) {
  struct Case {
    std::vector<std::string> words;
    Action action;
    bool json;
  };
  const Case cases[] = {
      {{"--json", "list"}, Action::Run, true},
      {{"--json", "--json", "show", "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}"}, Action::Run, true},
      {{"--version"}, Action::ShowVersion, false},
      {{"--json", "--version"}, Action::ShowVersion, true},
      {{"products", "--version"}, Action::ShowVersion, false},
      {{"--json", "--help", "list"}, Action::ShowHelp, true},
      {{"--json"}, Action::BadUsage, true},
      {{"--json", "frobnicate"}, Action::BadUsage, true},
      {{"show", "--json"}, Action::BadUsage, true},
      {{"list", "--", "--json"}, Action::Run, false},
  };
  for (const Case& c : cases) {
    const ParsedCommandLine parsed = Parse(c.words);
    EXPECT_EQ(parsed.action, c.action) << c.words[0] << " " << c.words.size();
    EXPECT_EQ(parsed.json, c.json) << c.words[0] << " " << c.words.size();
  }
  EXPECT_EQ(Parse({"--json", "list", "CATEGORY_Other"}).arguments,
            std::vector<std::string>{"CATEGORY_Other"});
}

TEST(CommandLine, TakesTheCategoryOfListAsOptional) {
  EXPECT_EQ(Parse({"list"}).action, Action::Run);
  EXPECT_EQ(Parse({"list", "CATEGORY_Other"}).action, Action::Run);
  EXPECT_EQ(Parse({"list", "a", "b"}).action, Action::BadUsage);
}

TEST(CommandLine, PrintsHelpForTheToolAndForEachCommand) {
  for (std::vector<std::string> words :
       std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"help"}}) {
    const ParsedCommandLine parsed = Parse(words);
    EXPECT_EQ(parsed.action, Action::ShowHelp) << words[0];
    EXPECT_EQ(parsed.command, nullptr) << words[0];
  }
  for (const CommandSpec& command : Commands()) {
    for (const char* help : {"--help", "-h"}) {
      const ParsedCommandLine parsed = Parse({command.name, help});
      EXPECT_EQ(parsed.action, Action::ShowHelp) << command.name;
      EXPECT_EQ(parsed.command, &command) << command.name;
    }
    const ParsedCommandLine viaHelp = Parse({"help", command.name});
    EXPECT_EQ(viaHelp.command, &command) << command.name;
    EXPECT_NE(CommandHelp(command).find(CommandUsage(command)), std::string::npos) << command.name;
    EXPECT_NE(ToolHelp().find(std::string("  ") + command.name + " "), std::string::npos)
        << command.name;
  }
}

TEST(CommandLine, SendsBackAWrongNumberOfArguments) {
  ParsedCommandLine parsed = Parse({"register"});
  EXPECT_EQ(parsed.action, Action::BadUsage);
  EXPECT_EQ(parsed.command->id, CommandId::Register);
  EXPECT_NE(parsed.error.find("<module file>"), std::string::npos) << parsed.error;

  EXPECT_EQ(Parse({"register", "a.dll", "b.dll"}).action, Action::BadUsage);
  EXPECT_EQ(Parse({"products", "extra"}).action, Action::BadUsage);
  EXPECT_EQ(Parse({"show"}).action, Action::BadUsage);
  EXPECT_EQ(Parse({"id", "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}"}).action, Action::BadUsage);
  EXPECT_EQ(Parse({"name", "a", "b", "c"}).action, Action::BadUsage);
}

TEST(CommandLine, SendsBackUnknownCommandsAndOptions) {
  ParsedCommandLine parsed = Parse({});
  EXPECT_EQ(parsed.action, Action::BadUsage);
  EXPECT_EQ(parsed.command, nullptr);

  parsed = Parse({"regster", "x.dll"});
  EXPECT_EQ(parsed.action, Action::BadUsage);
  EXPECT_NE(parsed.error.find("'regster'"), std::string::npos) << parsed.error;

  parsed = Parse({"--verbose"});
  EXPECT_EQ(parsed.action, Action::BadUsage);

  parsed = Parse({"list", "--all"});
  EXPECT_EQ(parsed.action, Action::BadUsage);
  EXPECT_EQ(parsed.command->id, CommandId::List);
  EXPECT_NE(parsed.error.find("'--all'"), std::string::npos) << parsed.error;

  EXPECT_EQ(Parse({"help", "nothing"}).action, Action::BadUsage);
}

TEST(CommandLine, TakesWordsAfterDoubleDashAsArguments) {
  const ParsedCommandLine parsed = Parse({"register", "--", "-odd name.dll"});
  ASSERT_EQ(parsed.action, Action::Run);
  EXPECT_EQ(parsed.arguments, std::vector<std::string>{"-odd name.dll"});
  EXPECT_EQ(Parse({"list", "--", "--json"}).arguments, std::vector<std::string>{"--json"});
}

}  // namespace
}  // namespace pidtool
