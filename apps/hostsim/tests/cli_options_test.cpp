// hostsim's options: frame ranges, sizes, scripted commands and their answers.
#include <gtest/gtest.h>

#include "apps/hostsim/cli_options.h"

TEST(CliOptionsTest, RenderOptionsAreReadAndBadOnesRefused) {
  const RenderOptions o = ParseRenderOptions(
      {"--frames", "5:12", "--size", "64x48", "--out", "dir", "--emitter", "a.zke", "--emitter", "b.zke", "--scene", "s.json"});
  EXPECT_EQ(o.frames.first, 5);
  EXPECT_EQ(o.frames.last, 12);
  EXPECT_EQ(o.width, 64);
  EXPECT_EQ(o.height, 48);
  EXPECT_EQ(o.out, "dir");
  EXPECT_EQ(o.scene.emitters, (std::vector<std::string>{"a.zke", "b.zke"}));
  EXPECT_EQ(o.scene.scene, "s.json");

  for (const char* frames : {"5", "5:", ":5", "7:3", "-1:3", "1:x", "1:2:3", "0:100001"})
    EXPECT_THROW(ParseRenderOptions({"--frames", frames}), UsageError) << frames;
  for (const char* size : {"64", "64x", "1x10", "10x8193", "64X48", "64x48x2", " 64x48"})
    EXPECT_THROW(ParseRenderOptions({"--size", size}), UsageError) << size;
  EXPECT_THROW(ParseRenderOptions({"--out"}), UsageError);
  EXPECT_THROW(ParseRenderOptions({"--colour", "red"}), UsageError);
  EXPECT_THROW(ParseRenderOptions({"--scene", "a.json", "--load", "b.scn"}), UsageError);
}

TEST(CliOptionsTest, AnswersBelongToTheCommandBeforeThem) {
  const RunOptions o = ParseRunOptions({"--load", "in.scn", "--command", "File/New Emitter", "--command",
                                        "File/Save Emitter Settings", "--answer", "out.zke", "--answer", "yes",
                                        "--save", "out.scn"});
  EXPECT_EQ(o.load, "in.scn");
  EXPECT_EQ(o.save, "out.scn");
  ASSERT_EQ(o.commands.size(), 2u);
  EXPECT_TRUE(o.commands[0].answers.empty());
  ASSERT_EQ(o.commands[1].answers.size(), 2u);
  EXPECT_EQ(o.commands[1].answers[0].text, "out.zke");
  EXPECT_EQ(o.commands[1].answers[1].text, "yes");

  EXPECT_THROW(ParseRunOptions({"--answer", "x.zke", "--command", "File/Load Emitter Settings"}), UsageError);
  EXPECT_THROW(ParseRunOptions({"--command", "New Emitter"}), UsageError);
  EXPECT_THROW(ParseRunOptions({"--command"}), UsageError);

  const SceneSaveOptions s = ParseSceneSaveOptions({"out.scn", "--emitter", "a.zke"});
  EXPECT_EQ(s.file, "out.scn");
  EXPECT_THROW(ParseSceneSaveOptions({"--emitter", "a.zke"}), UsageError);
  EXPECT_THROW(ParseSceneSaveOptions({"a.scn", "b.scn"}), UsageError);
}
