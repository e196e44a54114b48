#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/resources.h"
#include "platform/classlib/streams.h"

// The test executable embeds this very file as "TestSource" and test_records.cpp as
// resource #100 (RT_RCDATA); a static library linked into it embeds test_lists.cpp as
// "StaticProbe" (see the folder's CMakeLists.txt).

namespace {

std::string SourceFile(const std::string& name) {
  std::ifstream in(std::string(QM_TEST_SOURCE_DIR) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string StreamText(TStream& s) {
  std::string out(static_cast<std::size_t>(s.Size()), '\0');
  s.SetPosition(0);
  s.ReadBuffer(out.data(), static_cast<Int64>(out.size()));
  return out;
}

}  // namespace

TEST(Resources, EmbeddedFilesReadBackByteForByte) {
  const std::string expected = SourceFile("test_resources.cpp");
  ASSERT_FALSE(expected.empty());
  TResourceStream s("TestSource", RT_RCDATA);
  EXPECT_EQ(s.Size(), static_cast<Int64>(expected.size()));
  EXPECT_EQ(StreamText(s), expected);

  TResourceStream byId(100, RT_RCDATA);
  EXPECT_EQ(StreamText(byId), SourceFile("test_records.cpp"));

  // Registered from a static library whose object nothing refers to.
  TResourceStream probe("StaticProbe", RT_RCDATA);
  EXPECT_EQ(StreamText(probe), SourceFile("test_lists.cpp"));
}

TEST(Resources, LookupIgnoresCaseAndNeedsTheRightType) {
  ResourceData exact = FindResource("TestSource", "RT_RCDATA");
  ASSERT_TRUE(exact);
  ResourceData folded = FindResource("TESTSOURCE", "rt_rcdata");
  EXPECT_EQ(folded.Data, exact.Data);
  EXPECT_EQ(folded.Size, exact.Size);
  EXPECT_EQ(exact.Data[exact.Size], 0);  // text resources end with a zero byte
  EXPECT_EQ(FindResource(MakeIntResource(100), RT_RCDATA).Data, FindResource("#100", "RT_RCDATA").Data);

  EXPECT_FALSE(FindResource("TestSource", RT_BITMAP));
  EXPECT_FALSE(FindResource("Nope", RT_RCDATA));
  EXPECT_FALSE(FindResource("100", RT_RCDATA));
}

TEST(Resources, MissingResourcesAndWritesRaise) {
  try {
    TResourceStream s("TMISSINGFORM", RT_RCDATA);
    FAIL() << "no exception";
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), "Resource TMISSINGFORM not found");
  }
  EXPECT_THROW(TResourceStream(7, RT_RCDATA), EResNotFound);

  TResourceStream s("TestSource", RT_RCDATA);
  const Int64 size = s.Size();
  s.Seek(3, soFromBeginning);
  try {
    s.Write("x", 1);
    FAIL() << "no exception";
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Message(), "Can't write to a read-only resource stream");
  }
  EXPECT_THROW(s.SetSize(0), EStreamError);
  EXPECT_EQ(s.Size(), size);
  EXPECT_EQ(s.Position(), 3);

  // Reading still follows the stream rules: short at the end, past the end nothing.
  char buf[16];
  s.Seek(-4, soFromEnd);
  EXPECT_EQ(s.Read(buf, 16), 4);
  s.Seek(10, soFromEnd);
  EXPECT_EQ(s.Read(buf, 1), 0);
}

TEST(Resources, RegistrationLastsAsLongAsItsOwner) {
  static const Byte first[] = {1, 2, 3};
  static const Byte second[] = {9};
  {
    resource_detail::Registration a{{"Extra", "RT_BITMAP", first, sizeof first}};
    ResourceData found = FindResource("extra", RT_BITMAP);
    ASSERT_TRUE(found);
    EXPECT_EQ(found.Size, 3u);
    {
      // The same name and type again keeps the first data.
      resource_detail::Registration b{{"EXTRA", "rt_bitmap", second, sizeof second}};
      EXPECT_EQ(FindResource("Extra", RT_BITMAP).Data, first);
    }
    EXPECT_EQ(FindResource("Extra", RT_BITMAP).Data, first);
  }
  EXPECT_FALSE(FindResource("Extra", RT_BITMAP));  // an unloaded module takes its resources
}
