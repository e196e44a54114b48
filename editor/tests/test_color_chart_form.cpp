// The colour-gradient editor driven headlessly: mouse through the input injector, popup
// menus, file, colour and message dialogs through the answer queue.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "editor/tests/window_test_env.h"
#include "chart/chart_control.h"
#include "editor/color_chart_form.h"
#include "editor/editor_helpers.h"
#include "engine/color_series.h"
#include "engine/float_color.h"
#include "platform/classlib/dialogs.h"
#include "platform/classlib/menus.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/streams.h"
#include "platform/win/clock.h"
#include "platform/win/compositor.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace fs = std::filesystem;

namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;
constexpr TColor kBlack = 0x000000;
constexpr TColor kWhite = 0xFFFFFF;

struct Key {
  Double x;
  TColor colour;
  bool operator==(const Key&) const = default;
};

std::string ReadFileText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<Key> Keys(TColorSeries& s) {
  std::vector<Key> out;
  for (Integer i = 0; i < s.Count(); ++i) out.push_back({s.GetXValue(i), s.GetValueColor(i)});
  return out;
}

class ColorChartFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartWindowTest();
    root_ = fs::temp_directory_path() / ("qm_color_chart_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "data");
    fs::create_directories(root_ / "elsewhere");
    SetDataFolder((root_ / "data").string());

    gradient_ = std::make_unique<TColorSeries>(nullptr);
    gradient_->SetValueColor(0, kBlack);
    gradient_->AddXY(50, 1.0, "", kRed);
    gradient_->AddXY(100, 1.0, "", kBlue);

    form_ = std::make_unique<TColorChartForm>(nullptr);
    form_->SetBounds(100, 50, 400, 178);
    form_->SetSeries(gradient_.get());
    form_->Show();
    Paint();
  }
  void TearDown() override {
    form_.reset();
    gradient_.reset();
    EXPECT_EQ(win::PendingModalAnswers(), 0u);
    EndWindowTest();
    fs::remove_all(root_);
  }

  void Paint() {
    win::PumpPendingMessages();
    win::UpdateWindow(form_->Handle());
  }
  TChart* Chart() { return form_->Chart; }
  win::POINT Screen(Integer x, Integer y) {
    TPoint p = Chart()->ClientToScreen(TPoint{x, y});
    return win::POINT{p.x, p.y};
  }
  // The centre of key i's pointer on the chart.
  TPoint KeyPoint(Integer i) { return TPoint{gradient_->CalcXPos(i), gradient_->CalcYPos(i)}; }
  TPoint ValuePoint(Double x) { return TPoint{gradient_->CalcXPosValue(x), gradient_->CalcYPos(0)}; }

  void Press(TPoint p, win::MouseButton b = win::MouseButton::Left) {
    // Far apart in time: two presses are never taken for a double-click.
    win::AdvanceClock(2000);
    const win::POINT s = Screen(p.x, p.y);
    win::InjectMouseMove(s.x, s.y);
    win::InjectMouseDown(b, s.x, s.y);
    win::PumpPendingMessages();
  }
  void MoveTo(TPoint p) {
    const win::POINT s = Screen(p.x, p.y);
    win::InjectMouseMove(s.x, s.y);
    win::PumpPendingMessages();
  }
  void Release(TPoint p, win::MouseButton b = win::MouseButton::Left) {
    const win::POINT s = Screen(p.x, p.y);
    win::InjectMouseUp(b, s.x, s.y);
    win::PumpPendingMessages();
  }
  // Drags key i to where value x sits on the axis as it is now.
  void Drag(Integer i, Double x) {
    const TPoint from = KeyPoint(i);
    Press(from);
    MoveTo(TPoint{gradient_->CalcXPosValue(x), from.y});
    Release(TPoint{gradient_->CalcXPosValue(x), from.y});
    Paint();
  }
  // Right-clicks the point; the popup's prompt is answered with `item` (0 dismisses).
  const win::ModalPrompt& RightClick(TPoint p, TMenuItem* item) {
    win::AnswerPopupMenu(item ? item->Command() : 0);
    return RightClickAnswered(p);
  }
  // The same with the answers already queued.
  const win::ModalPrompt& RightClickAnswered(TPoint p) {
    win::AdvanceClock(2000);
    const win::POINT s = Screen(p.x, p.y);
    win::InjectClick(win::MouseButton::Right, s.x, s.y);
    win::PumpPendingMessages();
    win::PumpPendingMessages();
    EXPECT_FALSE(win::ModalPrompts().empty());
    return win::ModalPrompts().back();
  }
  static bool ItemEnabled(const win::ModalPrompt& prompt, const std::string& caption) {
    for (const auto& item : prompt.items)
      if (item.caption == caption) return item.enabled;
    ADD_FAILURE() << "no menu item " << caption;
    return false;
  }
  void ClickButton(const char* name) {
    auto* button = dynamic_cast<TControl*>(form_->FindComponent(name));
    ASSERT_NE(button, nullptr) << name;
    TPoint p = button->ClientToScreen(TPoint{button->Width() / 2, button->Height() / 2});
    win::InjectClick(win::MouseButton::Left, p.x, p.y);
    win::PumpPendingMessages();
  }
  std::string Path(const char* folder, const char* file) { return (root_ / folder / file).string(); }

  fs::path root_;
  std::unique_ptr<TColorSeries> gradient_;
  std::unique_ptr<TColorChartForm> form_;
};

TEST_F(ColorChartFormTest, StripColumnsAreTheGradientSampledAcrossThePlotRectangle) {
  win::WindowImage img;
  ASSERT_TRUE(win::CaptureWindow(form_->Handle(), &img));
  const TRect r = Chart()->ChartRect();
  const Integer w = r.right - r.left;
  ASSERT_GT(w, 50);
  // A row near the bottom, below the pointers and their marks.
  const Integer y = Chart()->Top() + r.bottom - 3;
  const Double largest = gradient_->MaxXValue();
  Integer mismatches = 0;
  for (Integer i = 0; i < w; ++i) {
    TColorRGBA c;
    gradient_->ColorAt(largest * i / w, c);
    const TColor expected = RGBToColor(c);
    const win::COLORREF got = img.At(Chart()->Left() + r.left + i, y);
    if (got != static_cast<win::COLORREF>(expected) && ++mismatches <= 5)
      ADD_FAILURE() << "column " << i << ": got " << std::hex << got << " want " << expected;
  }
  EXPECT_EQ(mismatches, 0);
  // The ends really are the end colours: black before key 0's X, blue at the far end.
  EXPECT_EQ(img.At(Chart()->Left() + r.left, y), static_cast<win::COLORREF>(kBlack));
  EXPECT_EQ(img.At(Chart()->Left() + r.right - 1, y), static_cast<win::COLORREF>(kBlue));
}

TEST_F(ColorChartFormTest, DraggingRespectsTheFixedKeysAndLimitsAndKeepsTheDraggedKey) {
  // Key 0 cannot be taken hold of.
  Drag(0, 30);
  EXPECT_EQ(Keys(*gradient_), (std::vector<Key>{{1, kBlack}, {50, kRed}, {100, kBlue}}));
  EXPECT_EQ(form_->DragIndex, -1);

  // To X 1 or below the key stays where it was; a move inside the range takes it.
  Drag(1, 0.6);
  EXPECT_EQ(Keys(*gradient_), (std::vector<Key>{{1, kBlack}, {50, kRed}, {100, kBlue}}));
  Drag(1, 30);
  EXPECT_EQ(Keys(*gradient_), (std::vector<Key>{{1, kBlack}, {30, kRed}, {100, kBlue}}));

  // Past its neighbour: the keys re-sort and the red key is still the one held.
  const TPoint from = KeyPoint(1);
  Press(from);
  MoveTo(ValuePoint(80));
  EXPECT_EQ(gradient_->GetXValue(1), 80);
  MoveTo(TPoint{gradient_->CalcXPosValue(120), from.y});
  EXPECT_EQ(form_->DragIndex, 2);
  EXPECT_EQ(Keys(*gradient_), (std::vector<Key>{{1, kBlack}, {100, kBlue}, {120, kRed}}));
  MoveTo(TPoint{gradient_->CalcXPosValue(90), from.y});
  EXPECT_EQ(form_->DragIndex, 1);
  EXPECT_EQ(Keys(*gradient_), (std::vector<Key>{{1, kBlack}, {90, kRed}, {100, kBlue}}));
  Release(TPoint{gradient_->CalcXPosValue(90), from.y});
  EXPECT_EQ(form_->Dragging, 0);
  // Moving without a button no longer drags.
  MoveTo(ValuePoint(40));
  EXPECT_EQ(Keys(*gradient_), (std::vector<Key>{{1, kBlack}, {90, kRed}, {100, kBlue}}));
}

TEST_F(ColorChartFormTest, OnTheMapsPagesNarrowSheetEveryKeyIsInReach) {
  // The size the particle colour sheet gives the editor in the main window.
  form_->SetBounds(100, 50, 230, 102);
  Paint();
  // In the form's client area, where the mouse reaches it.
  const TRect client = form_->ClientRect();
  for (Integer i = 0; i < gradient_->Count(); ++i) {
    const TPoint p = form_->ScreenToClient(Chart()->ClientToScreen(KeyPoint(i)));
    EXPECT_TRUE(p.x >= client.left && p.x < client.right && p.y >= client.top && p.y < client.bottom)
        << "key " << i << " at (" << p.x << "," << p.y << ")";
  }
  Drag(2, 140);
  EXPECT_EQ(Keys(*gradient_), (std::vector<Key>{{1, kBlack}, {50, kRed}, {140, kBlue}}));
}

// The marks over the keys read on the maps page's short sheet: against a tall chart of the
// same width each keeps its yellow label but for a corner pixel or two (before, the chart
// cut two thirds of them away).
TEST_F(ColorChartFormTest, OnTheMapsPagesShortSheetEveryKeysMarkShowsWhole) {
  constexpr win::COLORREF kMarkYellow = 0x00FFFF;
  auto markPixels = [&](Integer height) {
    form_->SetBounds(100, 50, 230, height);
    Paint();
    win::WindowImage img;
    EXPECT_TRUE(win::CaptureWindow(form_->Handle(), &img));
    std::vector<Integer> counts;
    for (Integer i = 0; i < gradient_->Count(); ++i) {
      const TPoint k = KeyPoint(i);
      Integer n = 0;
      for (Integer y = Chart()->Top(); y < Chart()->Top() + k.y; ++y)
        for (Integer x = Chart()->Left() + k.x - 8; x < Chart()->Left() + k.x + 30; ++x)
          if (x >= 0 && img.At(x, y) == kMarkYellow) ++n;
      counts.push_back(n);
    }
    return counts;
  };
  Chart()->Invalidate();
  const std::vector<Integer> tall = markPixels(300);
  for (Integer n : tall) EXPECT_GT(n, 40);
  const std::vector<Integer> shortSheet = markPixels(102);
  ASSERT_EQ(shortSheet.size(), tall.size());
  for (std::size_t i = 0; i < tall.size(); ++i) EXPECT_GE(shortSheet[i], tall[i] - 2) << "key " << i;
}

TEST_F(ColorChartFormTest, PercentageModeHoldsTheLastKeyAndStopsShortOf100) {
  form_->PercentageMode = 1;
  Drag(2, 60);
  EXPECT_EQ(Keys(*gradient_), (std::vector<Key>{{1, kBlack}, {50, kRed}, {100, kBlue}}));
  Drag(1, 100);
  EXPECT_EQ(Keys(*gradient_), (std::vector<Key>{{1, kBlack}, {50, kRed}, {100, kBlue}}));
  Drag(1, 99);
  EXPECT_EQ(Keys(*gradient_), (std::vector<Key>{{1, kBlack}, {99, kRed}, {100, kBlue}}));
}

TEST_F(ColorChartFormTest, AddPutsAWhiteKeyAt100OrAt50InPercentageMode) {
  gradient_->Delete(2);
  gradient_->Delete(1);
  // Frame mode: at 100, from the button.
  ClickButton("AddButton");
  EXPECT_EQ(Keys(*gradient_), (std::vector<Key>{{1, kBlack}, {100, kWhite}}));
  // Percentage mode with a key at 100: at 50, from the popup.
  form_->PercentageMode = 1;
  Paint();
  RightClick(ValuePoint(70), form_->AddColorItem);
  EXPECT_EQ(Keys(*gradient_), (std::vector<Key>{{1, kBlack}, {50, kWhite}, {100, kWhite}}));
  // Percentage mode below 100 still adds at 100.
  gradient_->Delete(2);
  form_->AddKey();
  EXPECT_EQ(Keys(*gradient_), (std::vector<Key>{{1, kBlack}, {50, kWhite}, {100, kWhite}}));

  // Clear goes back to the single white key.
  ClickButton("ClearButton");
  EXPECT_EQ(Keys(*gradient_), (std::vector<Key>{{1, kWhite}}));
}

TEST_F(ColorChartFormTest, DeleteColorIsOfferedOnAnyKeyWhileAnotherStays) {
  const std::vector<Key> three = {{1, kBlack}, {50, kRed}, {100, kBlue}}, one = {{1, kWhite}};
  const struct {
    Byte percentage;
    std::vector<Key> keys;
    Integer key;             // -1: off any key
    std::vector<Key> after;  // fewer keys: "Delete Color" was offered and chosen
  } cases[] = {{0, three, 0, {{50, kRed}, {100, kBlue}}}, {0, three, 2, {{1, kBlack}, {50, kRed}}},
               {1, three, 2, {{1, kBlack}, {50, kRed}}},  {0, three, -1, three},
               {0, one, 0, one}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "percentage " << int(c.percentage) << ", key " << c.key << " of " << c.keys.size());
    gradient_->Clear();
    for (const Key& k : c.keys) gradient_->AddXY(k.x, 1.0, "", k.colour);
    form_->PercentageMode = c.percentage;
    Paint();
    const bool offered = c.after.size() < c.keys.size();
    const win::ModalPrompt& popup = RightClick(c.key >= 0 ? KeyPoint(c.key) : ValuePoint(25), offered ? form_->DeleteColorItem : nullptr);
    EXPECT_EQ(ItemEnabled(popup, "Delete Color"), offered);
    EXPECT_EQ(ItemEnabled(popup, "Color Picker"), c.key >= 0);
    if (!offered) form_->DeleteColorClick(nullptr);  // asked directly, a lone key still stays
    EXPECT_EQ(Keys(*gradient_), c.after);
  }
}

TEST_F(ColorChartFormTest, DoubleClickPicksTheKeyColourThroughTheColourDialog) {
  const TPoint p = KeyPoint(1);
  const win::POINT s = Screen(p.x, p.y);
  win::AnswerColorDialog(0x00FF00);
  win::InjectMouseMove(s.x, s.y);
  win::InjectDoubleClick(win::MouseButton::Left, s.x, s.y);
  win::PumpPendingMessages();
  ASSERT_FALSE(win::ModalPrompts().empty());
  EXPECT_EQ(win::ModalPrompts().back().kind, win::ModalKind::Color);
  EXPECT_EQ(win::ModalPrompts().back().color, static_cast<win::COLORREF>(kRed));
  EXPECT_EQ(gradient_->GetValueColor(1), 0x00FF00);
  EXPECT_EQ(form_->Dragging, 0);

  // Cancelled, the colour stays; the popup's picker reaches key 0 too.
  win::AnswerPopupMenu(form_->ColorPickerItem->Command());
  win::AnswerColorDialog(std::nullopt);
  const win::POINT k0 = Screen(KeyPoint(0).x, KeyPoint(0).y);
  win::InjectClick(win::MouseButton::Right, k0.x, k0.y);
  win::PumpPendingMessages();
  win::PumpPendingMessages();
  EXPECT_EQ(win::ModalPrompts().back().color, static_cast<win::COLORREF>(kBlack));
  EXPECT_EQ(Keys(*gradient_), (std::vector<Key>{{1, kBlack}, {50, 0x00FF00}, {100, kBlue}}));
}

TEST_F(ColorChartFormTest, GradientFilesGoThroughTheDialogsWhichRememberTheLastFolder) {
  // Saved from the data folder.
  win::AnswerFileDialog(win::ModalKind::SaveFile, {Path("elsewhere", "warm.zkg")});
  ClickButton("SaveButton");
  const win::ModalPrompt saved = win::ModalPrompts().back();
  EXPECT_EQ(saved.kind, win::ModalKind::SaveFile);
  EXPECT_EQ(fs::path(saved.initialDir), fs::path((root_ / "data").string() + "/"));
  EXPECT_EQ(saved.filter, "ZOVK Color Gradients (*.zkg)|*.zkg");
  EXPECT_EQ(saved.defaultExt, "zkg");
  ASSERT_TRUE(fs::exists(Path("elsewhere", "warm.zkg")));
  EXPECT_EQ(fs::file_size(Path("elsewhere", "warm.zkg")), 69u + 3 * 12u);

  // Opened back over a changed gradient, from the popup; the open dialog had its own
  // start in the data folder.
  form_->ClearKeys();
  auto* openItem = dynamic_cast<TMenuItem*>(form_->FindComponent("OpenGradientItem"));
  ASSERT_NE(openItem, nullptr);
  win::AnswerPopupMenu(openItem->Command());
  win::AnswerFileDialog(win::ModalKind::OpenFile, {Path("elsewhere", "warm.zkg")});
  RightClickAnswered(ValuePoint(0.5));
  const win::ModalPrompt opened = win::ModalPrompts().back();
  EXPECT_EQ(opened.kind, win::ModalKind::OpenFile);
  EXPECT_EQ(fs::path(opened.initialDir), fs::path((root_ / "data").string() + "/"));
  EXPECT_EQ(Keys(*gradient_), (std::vector<Key>{{1, kBlack}, {50, kRed}, {100, kBlue}}));

  // Next time both start where the last file was.
  win::AnswerFileDialog(win::ModalKind::OpenFile, {Path("elsewhere", "warm.zkg")});
  ClickButton("OpenButton");
  EXPECT_EQ(fs::path(win::ModalPrompts().back().initialDir), fs::path((root_ / "elsewhere").string() + "/"));
  win::AnswerFileDialog(win::ModalKind::SaveFile, {});
  ClickButton("SaveButton");
  EXPECT_EQ(fs::path(win::ModalPrompts().back().initialDir), fs::path((root_ / "elsewhere").string() + "/"));
}

TEST_F(ColorChartFormTest, ATruncatedOrForeignFileLeavesTheGradientAndShowsTheError) {
  const std::vector<Key> before = Keys(*gradient_);
  const std::string good = Path("data", "good.zkg");
  gradient_->SaveToFile(good);
  std::string bytes;
  {
    std::ifstream in(good, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  const std::string truncated = Path("data", "cut.zkg");
  std::ofstream(truncated, std::ios::binary) << bytes.substr(0, bytes.size() - 5);
  const std::string foreign = Path("data", "notes.zkg");
  std::ofstream(foreign, std::ios::binary) << "This is a text file, not a gradient; it is long enough to "
                                              "fill a header and claim a great many keys.";

  for (const std::string& file : {truncated, foreign}) {
    win::AnswerFileDialog(win::ModalKind::OpenFile, {file});
    win::AnswerMessageBox(win::IDOK);
    ClickButton("OpenButton");
    const win::ModalPrompt& box = win::ModalPrompts().back();
    EXPECT_EQ(box.kind, win::ModalKind::MessageBox) << file;
    EXPECT_EQ(box.caption, "Error") << file;
    EXPECT_FALSE(box.text.empty()) << file;
    EXPECT_EQ(Keys(*gradient_), before) << file;
  }
}

TEST(ColorChartFormLifetime, TheGradientOutlivesTheFormAndTheFormOutlivesTheGradient) {
  win::ResetWindowSystem();
  win::UseManualClock(1000, 0);
  {
    TColorSeries gradient(nullptr);
    {
      TColorChartForm form(nullptr);
      form.SetSeries(&gradient);
      EXPECT_NE(gradient.ParentChart(), nullptr);
    }
    // The chart is gone and the gradient knows it.
    EXPECT_EQ(gradient.ParentChart(), nullptr);
    gradient.AddXY(40, 1.0, "", kRed);
    EXPECT_EQ(gradient.Count(), 2);
  }
  {
    TColorChartForm form(nullptr);
    auto gradient = std::make_unique<TColorSeries>(nullptr);
    form.SetSeries(gradient.get());
    gradient.reset();
    EXPECT_EQ(form.Series(), nullptr);
    EXPECT_EQ(form.Chart->SeriesCount(), 0);
    form.AddKey();
    form.PickColor(0);
    form.Show();
    win::PumpPendingMessages();
    win::UpdateWindow(form.Handle());
  }
  win::ResetWindowSystem();
  win::UseRealClock();
}

}  // namespace

// Saving a gradient fails every way a save can: the old file stays byte for byte, nothing
// half-written is left, and the error box says what went wrong.
TEST_F(ColorChartFormTest, AFailedGradientSaveKeepsTheOldFileAndSaysWhy) {
  enum class Failure { SizeLimit, ReadOnlyFolder, Link, Fifo };
  const std::string old(3000, 'o');
  const struct {
    Failure failure;
    const char* folder;
    const char* message;  // empty: the save succeeds
  } rows[] = {
      {Failure::SizeLimit, "limit", "File too large"},
      {Failure::ReadOnlyFolder, "readonly", "Permission denied"},
      {Failure::Link, "link", ""},
      {Failure::Fifo, "fifo", "is not a regular file"},
  };
  std::string fresh;
  {
    TMemoryStream m;
    gradient_->SaveToStream(m);
    fresh.assign(static_cast<const char*>(m.Memory()), static_cast<std::size_t>(m.Size()));
  }
  for (const auto& row : rows) {
    SCOPED_TRACE(row.folder);
    const fs::path where = root_ / row.folder;
    fs::create_directories(where);
    const fs::path target = where / "target.zkg";
    if (row.failure == Failure::Fifo) ASSERT_EQ(::mkfifo(target.c_str(), 0644), 0);
    else std::ofstream(target, std::ios::binary) << old;
    fs::path named = target;
    if (row.failure == Failure::Link) fs::create_symlink("target.zkg", named = where / "link.zkg");

    win::AnswerFileDialog(win::ModalKind::SaveFile, {named.string()});
    if (*row.message) win::AnswerMessageBox(win::IDOK);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit wasLimit = limit;
    void (*wasSignal)(int) = SIG_DFL;
    if (row.failure == Failure::SizeLimit) {
      wasSignal = std::signal(SIGXFSZ, SIG_IGN);
      limit.rlim_cur = 64;  // below the gradient file's size
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    // Root writes into any folder: it saves as nobody meanwhile.
    const bool asNobody = row.failure == Failure::ReadOnlyFolder && ::geteuid() == 0;
    if (row.failure == Failure::ReadOnlyFolder) ::chmod(where.c_str(), 0555);
    if (asNobody) {
      ASSERT_EQ(::seteuid(65534), 0);
    }
    ClickButton("SaveButton");
    if (asNobody) {
      ASSERT_EQ(::seteuid(0), 0);
    }
    ::chmod(where.c_str(), 0755);
    if (row.failure == Failure::SizeLimit) {
      ::setrlimit(RLIMIT_FSIZE, &wasLimit);
      std::signal(SIGXFSZ, wasSignal);
    }

    EXPECT_EQ(win::PendingModalAnswers(), 0u);
    const win::ModalPrompt& last = win::ModalPrompts().back();
    std::set<std::string> left;
    for (const auto& e : fs::directory_iterator(where)) left.insert(e.path().filename().string());
    if (!*row.message) {
      EXPECT_EQ(last.kind, win::ModalKind::SaveFile);
      EXPECT_TRUE(fs::is_symlink(named));
      EXPECT_EQ(ReadFileText(target), fresh) << "the link's target holds the save";
      EXPECT_EQ(left, (std::set<std::string>{"link.zkg", "target.zkg"}));
      continue;
    }
    EXPECT_EQ(last.kind, win::ModalKind::MessageBox);
    EXPECT_NE(last.text.find("Could not save the colour gradient"), std::string::npos) << last.text;
    EXPECT_NE(last.text.find(row.message), std::string::npos) << last.text;
    if (row.failure == Failure::Fifo) EXPECT_TRUE(fs::is_fifo(target));
    else EXPECT_EQ(ReadFileText(target), old) << "the old file byte for byte";
    EXPECT_EQ(left, std::set<std::string>{"target.zkg"}) << "no partial file";
  }
}
