// Kit objects and components, the application's settings, string helpers, geometry,
// directories and the settings control.
#include <gtest/gtest.h>

#include <vector>

#include "controlkit/kit_application.h"
#include "controlkit/kit_general.h"
#include "controlkit/kit_ini_ctrl.h"
#include "controlkit/kit_object.h"
#include "controlkit/kit_strings.h"
#include "controlkit/kit_sysinfo.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/file_paths.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/screen.h"
#include "platform/win/input.h"
#include "platform/win/usage_counts.h"
#include "platform/win/window.h"

namespace {

// ---- update lock ---------------------------------------------------------------------------------

TEST(KitObject, ChangeGoesToOnChangeUnlessLocked) {
  TKitObject obj;
  std::vector<TObject*> senders;
  obj.NotifyChange();  // no handler: nothing
  obj.OnChange = [&](TObject* sender) { senders.push_back(sender); };
  obj.NotifyChange();
  EXPECT_EQ(senders, (std::vector<TObject*>{&obj}));

  obj.BeginUpdate();
  obj.NotifyChange();
  obj.BeginUpdate();  // no nesting count
  obj.EndUpdate(false);
  EXPECT_EQ(senders.size(), 1u);
  EXPECT_FALSE(obj.IsUpdating());
  obj.BeginUpdate();
  obj.NotifyChange();
  obj.EndUpdate(true);
  EXPECT_EQ(senders.size(), 2u);
  EXPECT_EQ(obj.SettingsText(), "");

  // Components lock the same way.
  TKitCustomComponent comp(nullptr);
  int changes = 0;
  comp.OnChange = [&](TObject* sender) { changes += sender == &comp; };
  comp.BeginUpdate();
  comp.NotifyChange();
  comp.EndUpdate(true);
  EXPECT_EQ(changes, 1);
}

// ---- strings -------------------------------------------------------------------------------------

TEST(KitStrings, BlanksAndSeparators) {
  EXPECT_TRUE(IsBlank(""));
  EXPECT_TRUE(IsBlank("   "));
  EXPECT_FALSE(IsBlank("\t"));
  EXPECT_FALSE(IsBlank(" x "));
  EXPECT_EQ(TrimText("\t a b \r\n"), "a b");

  EXPECT_EQ(AddBackslash(""), "\\");
  EXPECT_EQ(AddBackslash("  "), "  \\");
  EXPECT_EQ(AddBackslash("C:\\Data"), "C:\\Data\\");
  EXPECT_EQ(AddBackslash("C:\\Data\\"), "C:\\Data\\");
  EXPECT_EQ(AddBackslash("/usr/lib"), "/usr/lib/");
  EXPECT_EQ(AddBackslash("/usr/lib/"), "/usr/lib/");
  EXPECT_EQ(AddBackslash("Data"), "Data\\");

  EXPECT_EQ(RemoveBackslash("C:\\"), "C:");
  EXPECT_EQ(RemoveBackslash("C:\\Data"), "C:\\Data");
  EXPECT_EQ(RemoveBackslash("/tmp/"), "/tmp");
  EXPECT_EQ(RemoveBackslash(""), "");
}

// ---- geometry -------------------------------------------------------------------------------------

TEST(KitGeometry, FitRectKeepsTheAspectRatio) {
  TRect r;
  FitRect(Rect(0, 0, 200, 100), Rect(10, 10, 110, 110), r);
  EXPECT_EQ(r, Rect(10, 10, 110, 60));
  FitRect(Rect(5, 5, 35, 105), Rect(0, 0, 60, 60), r);  // 30 x 100 into 60 x 60
  EXPECT_EQ(r, Rect(0, 0, 18, 60));
  FitRect(Rect(0, 0, 10, 10), Rect(3, 4, 43, 24), r);  // grows to the smaller side
  EXPECT_EQ(r, Rect(3, 4, 23, 24));
  // Halves round to even: 10 x 5 and 10 x 7 scaled by 0.5 give heights 2.5 and 3.5.
  FitRect(Rect(0, 0, 10, 5), Rect(0, 0, 5, 100), r);
  EXPECT_EQ(r, Rect(0, 0, 5, 2));
  FitRect(Rect(0, 0, 10, 7), Rect(0, 0, 5, 100), r);
  EXPECT_EQ(r, Rect(0, 0, 5, 4));
  FitRect(Rect(0, 0, 5, 3), Rect(0, 0, 50, 9), r);  // r = 3: 15 x 9
  EXPECT_EQ(r, Rect(0, 0, 15, 9));
  FitRect(Rect(0, 0, 3, 5), Rect(0, 0, 4, 100), r);  // r = 4/3: 4 x 6.67
  EXPECT_EQ(r, Rect(0, 0, 4, 7));
  // An empty source gives an empty rectangle at the destination, not a division by zero.
  FitRect(Rect(0, 0, 0, 50), Rect(7, 8, 100, 100), r);
  EXPECT_EQ(r, Rect(7, 8, 7, 8));
  FitRect(Rect(0, 0, 50, 0), Rect(7, 8, 100, 100), r);
  EXPECT_EQ(r, Rect(7, 8, 7, 8));

  Integer w = 0, h = 0;
  RectSize(Rect(3, 4, 10, 20), w, h);
  EXPECT_EQ(w, 7);
  EXPECT_EQ(h, 16);
}

TEST(KitGeometry, RotatedBounds) {
  TRect r = Rect(10, 20, 110, 60);
  RotatedBounds(r, 0);
  EXPECT_EQ(r, Rect(10, 20, 110, 60));
  RotatedBounds(r, 90);
  EXPECT_EQ(r, Rect(0, 0, 40, 100));
  r = Rect(0, 0, 100, 40);
  RotatedBounds(r, 180);
  EXPECT_EQ(r, Rect(0, 0, 100, 40));
  r = Rect(0, 0, 100, 40);
  RotatedBounds(r, -90);
  EXPECT_EQ(r, Rect(0, 0, 40, 100));
  // 45 degrees: w = 50, h = 20; offsets round(35.36 -+ 14.14) = 21 and 49 both ways.
  r = Rect(0, 0, 100, 40);
  RotatedBounds(r, 45);
  EXPECT_EQ(r, Rect(0, 0, 98, 98));
  // 30 degrees: w c - h s = 33.30 -> 33, w c + h s = 53.30 -> 53; w s - h c = 7.68 -> 8,
  // w s + h c = 42.32 -> 42.
  r = Rect(0, 0, 100, 40);
  RotatedBounds(r, 30);
  EXPECT_EQ(r, Rect(0, 0, 106, 84));
  // Odd sides lose their half (div): 101 x 41 turns like 100 x 40.
  r = Rect(0, 0, 101, 41);
  RotatedBounds(r, 90);
  EXPECT_EQ(r, Rect(0, 0, 40, 100));
}

TEST(KitGeometry, ArrayMinimumAndMaximum) {
  const std::vector<Integer> v{3, -7, 12, 5};
  EXPECT_EQ(MaxIntArray(v, 3), 12);
  EXPECT_EQ(MinIntArray(v, 3), -7);
  EXPECT_EQ(MaxIntArray(v, 0), 3);
  EXPECT_EQ(MinIntArray(v, 0), 3);
  EXPECT_EQ(MaxIntArray(v, 1), 3);
  EXPECT_EQ(MaxIntArray(v, 99), 12);  // cut to the last index
  EXPECT_EQ(MaxIntArray(v, -1), 3);   // empty range: the first element
  EXPECT_EQ(MaxIntArray({}, 5), 0);   // empty array
  EXPECT_EQ(MinIntArray({}, -1), 0);
  const std::vector<double> d{2.5, -1.25, 7.0};
  EXPECT_EQ(MinExtArray(d, 2), -1.25);
  EXPECT_EQ(MinExtArray(d, 0), 2.5);
  EXPECT_EQ(MinExtArray({}, 0), 0.0);
}

// ---- directories ---------------------------------------------------------------------------------

TEST(KitDirectories, PrefixesAndSeparators) {
  const std::string program = GetProgramDir();
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(program.back(), '/');
  EXPECT_TRUE(DirectoryExists(program));
  EXPECT_EQ(GetDirectory(ppProgram, true), program);
  EXPECT_EQ(GetDirectory(ppProgram, false), program.substr(0, program.size() - 1));
  EXPECT_EQ(GetDirectory(ppWindows, false), GetWindowsDir());
  EXPECT_EQ(GetDirectory(ppSystem, true), GetSystemDir() + "/");
  EXPECT_TRUE(DirectoryExists(GetWindowsDir()));
  EXPECT_TRUE(DirectoryExists(GetSystemDir()));
  EXPECT_EQ(GetDirectory(ppFixed, true), "");
}

// ---- the application -----------------------------------------------------------------------------

TEST(KitApplicationTest, DefaultsAndLogFile) {
  ASSERT_NE(KitApplication, nullptr);
  // Palette realisation is on unless bit 0 is set.
  EXPECT_EQ(KitApplication->Options() & kKitOptionNoPaletteRealize, 0);
  const std::string program = GetProgramPath();
  EXPECT_EQ(KitApplication->LogPlace(), 2);
  EXPECT_EQ(KitApplication->LogFile(), ChangeFileExt(program, ".LOG"));

  KitApplication->SetLogFile("trace");
  EXPECT_EQ(KitApplication->LogFile(), GetProgramDir() + "trace.LOG");
  KitApplication->SetLogFile("C:\\Logs\\run.txt");
  EXPECT_EQ(KitApplication->LogFile(), GetProgramDir() + "run.txt");
  KitApplication->SetLogPlace(0);
  KitApplication->SetLogFile("x");
  EXPECT_EQ(KitApplication->LogFile(), GetWindowsDir() + "/x.LOG");
  KitApplication->SetLogPlace(3);
  KitApplication->SetLogFile("C:\\Logs\\run");
  EXPECT_EQ(KitApplication->LogFile(), "C:\\Logs\\run.LOG");
  KitApplication->SetLogPlace(2);
  KitApplication->SetLogFile("");
}

// The kit's cursor (the module's cursor resource 16548) is screen cursor -255 while the
// application lives, and leaves the screen's table with it.
TEST(KitApplicationTest, InstallsTheKitCursorForItsLife) {
  ASSERT_NE(KitApplication, nullptr);
  const auto isKitCursor = [](win::HCURSOR cursor) {
    win::CursorInfo info;
    return win::GetCursorIdentity(cursor, &info) && info.module != nullptr && info.id == 16548;
  };
  EXPECT_TRUE(isKitCursor(Screen->Cursors(-255)));
  const int loaded = win::LoadedCursorCount();

  delete KitApplication;
  KitApplication = nullptr;
  EXPECT_EQ(Screen->Cursors(-255), win::LoadCursor(nullptr, win::IDC_ARROW));
  EXPECT_EQ(win::LoadedCursorCount(), loaded - 1);

  // The module's end frees whatever application the slot then holds.
  KitApplication = new TKitApplication(nullptr);
  EXPECT_TRUE(isKitCursor(Screen->Cursors(-255)));
  EXPECT_EQ(win::LoadedCursorCount(), loaded);
}

TEST(KitApplicationTest, PatternBitmapIsACheckerOfTheColourAndWhite) {
  win::ResetWindowSystem();
  TBitmap* pattern = KitApplication->GetPatternBitmap(clRed);
  ASSERT_NE(pattern, nullptr);
  EXPECT_EQ(pattern->Width(), 8);
  EXPECT_EQ(pattern->Height(), 8);
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x)
      EXPECT_EQ(pattern->Canvas()->Pixels(x, y), (x + y) % 2 ? clRed : clWhite) << x << "," << y;
  EXPECT_EQ(KitApplication->GetPatternBitmap(clRed), pattern);
  // Another colour repaints the odd pixels of the same bitmap.
  EXPECT_EQ(KitApplication->GetPatternBitmap(clBlue), pattern);
  EXPECT_EQ(pattern->Canvas()->Pixels(1, 0), clBlue);
  EXPECT_EQ(pattern->Canvas()->Pixels(0, 0), clWhite);
}

// A class of the name the single-instance test allows when asked to.
class TDataModule : public TComponent {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TDataModule>("TDataModule", TComponent::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  using TComponent::TComponent;
};

TEST(KitApplicationTest, SingleInstanceRule) {
  win::ResetWindowSystem();
  TForm form(nullptr);
  const TClass& cls = TKitIniCtrl::StaticClass();
  EXPECT_TRUE(OnlyOneInstance(nullptr, &cls, true));
  TComponent plain(nullptr);
  EXPECT_TRUE(OnlyOneInstance(&plain, &cls, true));
  EXPECT_FALSE(OnlyOneInstance(&form, nullptr, false));
  new TKitIniCtrl(&form);
  EXPECT_FALSE(OnlyOneInstance(&form, &cls, false));
  new TKitIniCtrl(&form);
  EXPECT_TRUE(OnlyOneInstance(&form, &cls, false));

  TDataModule module(nullptr);
  new TKitIniCtrl(&module);
  EXPECT_TRUE(OnlyOneInstance(&module, &cls, false));
  EXPECT_FALSE(OnlyOneInstance(&module, &cls, true));

  EXPECT_EQ(KitEOneInstError::CreateMode("TKitFormShape", 0).Message(),
            "TKitFormShape:\rInvalid owner (<>TForm) or second instance on a form");
  EXPECT_EQ(KitEOneInstError::CreateMode("TKitFormShape", 1).Message(),
            "TKitFormShape:\rAlready one TKitFormShape control in this project!");
}

// ---- the settings control ------------------------------------------------------------------------

TEST(KitIniCtrlTest, SettersHoldTheirRules) {
  TKitIniCtrl ini(nullptr);
  ini.SetIniFile("settings");
  EXPECT_EQ(ini.IniFile(), "settings.INI");
  ini.SetIniFile("C:\\App\\settings.cfg");
  EXPECT_EQ(ini.IniFile(), "C:\\App\\settings.cfg");

  ini.SetMaxEntries(40);
  EXPECT_EQ(ini.MaxEntries(), 40);
  ini.SetAlphaCounter(true);
  EXPECT_EQ(ini.MaxEntries(), 26);
  ini.SetMaxEntries(30);
  EXPECT_EQ(ini.MaxEntries(), 26);
  ini.SetMaxEntries(10);
  EXPECT_EQ(ini.MaxEntries(), 10);

  ini.SetTarget(itIniFile);
  EXPECT_EQ(ini.EffectiveTarget(), itIniFile);
  ini.SetTarget(itAuto);
  EXPECT_EQ(ini.EffectiveTarget(), itRegistry);

  ini.SetNetUser(true);
  EXPECT_EQ(ini.User(), ini.GetUserName());
  EXPECT_FALSE(ini.User().empty());
}

}  // namespace
