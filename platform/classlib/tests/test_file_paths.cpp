#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/classlib/file_paths.h"
#include "platform/classlib/streams.h"

namespace fs = std::filesystem;

namespace {

// Written the way the system writes names: drive letter, backslashes.
std::string WindowsStyle(const fs::path& p) {
  std::string s = "C:" + p.string();
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

void Touch(const fs::path& p, const std::string& content = "x") { std::ofstream(p, std::ios::binary) << content; }

class FilePaths : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qm_paths_XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    fs::create_directories(root_ / "Data" / "Quillmoth");
    Touch(root_ / "Data" / "Quillmoth" / "Smoke.BMP", "smoke");
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path root_;
};

}  // namespace

TEST(FileNames, SplittingKeepsTheSeparatorStyle) {
  const std::string win = "C:\\Data\\Quillmoth\\Smoke.bmp";
  EXPECT_EQ(ExtractFilePath(win), "C:\\Data\\Quillmoth\\");
  EXPECT_EQ(ExtractFileName(win), "Smoke.bmp");
  EXPECT_EQ(ExtractFileExt(win), ".bmp");
  EXPECT_EQ(ChangeFileExt(win, ".tga"), "C:\\Data\\Quillmoth\\Smoke.tga");

  const std::string slashed = "/data/quillmoth/fire.zke";
  EXPECT_EQ(ExtractFilePath(slashed), "/data/quillmoth/");
  EXPECT_EQ(ExtractFileName(slashed), "fire.zke");
  EXPECT_EQ(ExtractFileExt(slashed), ".zke");

  // A dot in a folder name is no extension; a drive alone is a path.
  EXPECT_EQ(ExtractFileExt("C:\\v1.2\\readme"), "");
  EXPECT_EQ(ChangeFileExt("C:\\v1.2\\readme", ".txt"), "C:\\v1.2\\readme.txt");
  EXPECT_EQ(ChangeFileExt("a.tar.gz", ""), "a.tar");
  EXPECT_EQ(ExtractFilePath("C:Smoke.bmp"), "C:");
  EXPECT_EQ(ExtractFileName("C:Smoke.bmp"), "Smoke.bmp");
  EXPECT_EQ(ExtractFilePath("Smoke.bmp"), "");
  EXPECT_EQ(ExtractFileName("C:\\Data\\"), "");
  EXPECT_EQ(ExtractFileExt("name."), ".");

  EXPECT_EQ(IncludeTrailingBackslash("C:\\Data"), "C:\\Data\\");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\Data\\"), "C:\\Data\\");
  EXPECT_EQ(IncludeTrailingBackslash("/tmp/data"), "/tmp/data/");
  EXPECT_EQ(IncludeTrailingBackslash("/tmp/data/"), "/tmp/data/");
  EXPECT_EQ(IncludeTrailingBackslash(""), "\\");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\Data\\"), "C:\\Data");
  EXPECT_EQ(ExcludeTrailingBackslash("/tmp/data/"), "/tmp/data");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\Data"), "C:\\Data");
}

TEST_F(FilePaths, WindowsNamesFindFilesWhateverTheirCase) {
  const fs::path real = root_ / "Data" / "Quillmoth" / "Smoke.BMP";
  const std::string asWritten = WindowsStyle(root_) + "\\DATA\\quillmoth\\smoke.bmp";
  EXPECT_TRUE(FileExists(asWritten));
  EXPECT_EQ(ResolvePath(asWritten), real.string());
  EXPECT_TRUE(FileExists(WindowsStyle(real)));  // exact case, Windows form
  EXPECT_TRUE(FileExists(real.string()));       // a plain name is left alone

  EXPECT_TRUE(DirectoryExists(WindowsStyle(root_) + "\\data\\QUILLMOTH\\"));
  EXPECT_TRUE(DirectoryExists(WindowsStyle(root_) + "\\data\\QUILLMOTH"));
  EXPECT_FALSE(FileExists(WindowsStyle(root_) + "\\data\\QUILLMOTH"));  // a directory is no file
  EXPECT_FALSE(DirectoryExists(asWritten));                             // and a file no directory
  EXPECT_FALSE(FileExists(asWritten + "\\"));
  EXPECT_FALSE(FileExists(WindowsStyle(root_) + "\\data\\fire.bmp"));
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(DirectoryExists(""));

  // The file stream opens through the same rules.
  TFileStream in(asWritten, fmOpenRead);
  EXPECT_EQ(in.Size(), 5);
}

TEST_F(FilePaths, NewFilesLandInTheMatchingFolder) {
  const std::string asWritten = WindowsStyle(root_) + "\\DATA\\QUILLMOTH\\New.zkg";
  EXPECT_EQ(ResolvePath(asWritten), (root_ / "Data" / "Quillmoth" / "New.zkg").string());
  {
    TFileStream out(asWritten, fmCreate);
    out.WriteBuffer("g", 1);
  }
  EXPECT_TRUE(fs::exists(root_ / "Data" / "Quillmoth" / "New.zkg"));
  // Below a component that matches nothing, the rest stays as written.
  EXPECT_EQ(ResolvePath(WindowsStyle(root_) + "\\Data\\Missing\\SUB\\x.bin"),
            (root_ / "Data" / "Missing" / "SUB" / "x.bin").string());

  EXPECT_TRUE(DeleteFile(Upper(asWritten)));
  EXPECT_FALSE(fs::exists(root_ / "Data" / "Quillmoth" / "New.zkg"));
  EXPECT_FALSE(DeleteFile(asWritten));
  EXPECT_FALSE(DeleteFile(WindowsStyle(root_) + "\\Data"));  // never a directory
  EXPECT_TRUE(fs::exists(root_ / "Data"));
}

TEST_F(FilePaths, ExactNameWinsAndTiesAreStable) {
  const fs::path dir = root_ / "Data";
  Touch(dir / "a.txt", "lower");
  Touch(dir / "A.txt", "upper");
  EXPECT_EQ(ResolvePath((dir / "a.txt").string()), (dir / "a.txt").string());
  EXPECT_EQ(ResolvePath((dir / "A.txt").string()), (dir / "A.txt").string());
  // Neither matches exactly: the first in byte order, whatever the directory order.
  EXPECT_EQ(ResolvePath((dir / "a.TXT").string()), (dir / "A.txt").string());

  // Relative names resolve from the current folder.
  const fs::path old = fs::current_path();
  fs::current_path(root_);
  EXPECT_TRUE(FileExists("data\\quillmoth\\SMOKE.bmp"));
  EXPECT_EQ(ResolvePath("data\\quillmoth\\SMOKE.bmp"), "Data/Quillmoth/Smoke.BMP");
  EXPECT_EQ(ResolvePath("C:data\\.\\quillmoth\\..\\QUILLMOTH\\smoke.bmp"), "Data/./Quillmoth/../Quillmoth/Smoke.BMP");
  fs::current_path(old);
}
