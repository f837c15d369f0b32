#include "start_folder.h"

#include <gtest/gtest.h>

#include <map>

#include "../files/file_test_support.h"

namespace zirvanta {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using Outcome = StartFolderChoice::Outcome;
using Environment = std::map<std::string, std::string>;

TEST(StartFolder, ArgumentsAndEnvironmentChooseTheFolder) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("given"));
  std::filesystem::create_directory(dir.File("-dash"));
  WriteBytes(dir.File("file"), "x");
  const Environment xdg{{"XDG_DATA_HOME", "/data"}, {"HOME", "/home/u"}};
  const Environment home{{"HOME", "/home/u"}};
  const Environment relative{{"XDG_DATA_HOME", "data"}, {"HOME", "/home/u"}};
  const struct {
    std::vector<std::string> args;
    Environment environment;
    Outcome outcome;
    std::string folder, message;
  } cases[] = {
      {{}, xdg, Outcome::Start, dir.path, ""},
      {{"given"}, xdg, Outcome::Start, dir.File("given"), ""},
      {{dir.File("given") + "/"}, xdg, Outcome::Start, dir.File("given/"), ""},
      {{"--", "-dash"}, xdg, Outcome::Start, dir.File("-dash"), ""},
      {{"--data-folder"}, xdg, Outcome::Start, "/data/zirvanta", ""},
      {{"--data-folder"}, home, Outcome::Start, "/home/u/.local/share/zirvanta", ""},
      {{"--data-folder"}, relative, Outcome::Start, "/home/u/.local/share/zirvanta", ""},
      {{"missing"}, xdg, Outcome::Refused, "", "does not exist"},
      {{"file"}, xdg, Outcome::Refused, "", "does not exist"},
      {{""}, xdg, Outcome::Refused, "", "empty"},
      {{"-dash"}, xdg, Outcome::Refused, "", "unknown option '-dash'"},
      {{"given", "--data-folder"}, xdg, Outcome::Refused, "", "one start folder"},
      {{"missing", "--help"}, xdg, Outcome::Help, "", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const auto lookup = [&](const char* name) {
      const auto found = c.environment.find(name);
      return found == c.environment.end() ? nullptr : found->second.c_str();
    };
    const StartFolderChoice choice = ChooseStartFolder(c.args, lookup, dir.path);
    EXPECT_EQ(choice.outcome, c.outcome);
    EXPECT_EQ(choice.folder, c.folder);
    EXPECT_EQ(choice.dataFolder, c.args == std::vector<std::string>{"--data-folder"});
    EXPECT_NE(choice.message.find(c.message), std::string::npos) << choice.message;
  }
}

TEST(StartFolder, TheDataFolderIsSeededOnceAndNoUserFileIsReplaced) {
  TempDir share, home;
  std::filesystem::create_directories(share.File("fractals/sub"));
  std::filesystem::create_directory(share.File("paletts"));
  WriteBytes(share.File("fractals/a.frc"), "A");
  WriteBytes(share.File("fractals/b.frc"), "B");
  WriteBytes(share.File("paletts/p.ptt"), "P");
  WriteBytes(share.File("Description.rtf"), "manual");
  const std::string data = home.File(".local/share/zirvanta");
  const auto prepare = [&] { EXPECT_EQ(PrepareDataFolder(data, share.path).message, ""); };
  prepare();
  EXPECT_EQ(ReadBytes(data + "/fractals/a.frc"), "A");
  EXPECT_EQ(ReadBytes(data + "/paletts/p.ptt"), "P");
  EXPECT_EQ(ReadBytes(data + "/Description.rtf"), "manual");
  EXPECT_FALSE(std::filesystem::exists(data + "/fractals/sub"));

  // A changed file and a deleted sample stay so, an edited manual too; a deleted sample folder
  // comes back whole.
  WriteBytes(data + "/fractals/a.frc", "mine");
  std::filesystem::remove(data + "/fractals/b.frc");
  std::filesystem::remove_all(data + "/paletts");
  WriteBytes(data + "/Description.rtf", "edited");
  prepare();
  EXPECT_EQ(ReadBytes(data + "/fractals/a.frc"), "mine");
  EXPECT_FALSE(std::filesystem::exists(data + "/fractals/b.frc"));
  EXPECT_EQ(ReadBytes(data + "/paletts/p.ptt"), "P");
  EXPECT_EQ(ReadBytes(data + "/Description.rtf"), "edited");
  std::filesystem::remove(data + "/Description.rtf");
  prepare();
  EXPECT_EQ(ReadBytes(data + "/Description.rtf"), "manual");
}

TEST(StartFolder, AFolderThatCannotBeMadeIsFatalAndMissingSamplesAreNot) {
  TempDir dir;
  WriteBytes(dir.File("file"), "x");
  const PrepareOutcome blocked = PrepareDataFolder(dir.File("file/zirvanta"), dir.File("share"));
  EXPECT_TRUE(blocked.fatal);
  EXPECT_NE(blocked.message.find("could not be created"), std::string::npos);

  // No installation (a build tree): empty sample folders, no message.
  const PrepareOutcome bare = PrepareDataFolder(dir.File("data"), dir.File("share"));
  EXPECT_FALSE(bare.fatal);
  EXPECT_EQ(bare.message, "");
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("data/paletts")));
  EXPECT_EQ(ShareFolderFor("/opt/z/bin"), "/opt/z/share/zirvanta");
}

}  // namespace
}  // namespace zirvanta
