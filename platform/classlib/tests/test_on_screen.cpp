// The class library with a person at the screen: a form's main menu as its menu bar,
// ShowModal waiting for a click, the file and colour dialogs as real windows, and the
// scroll bar of a tree view.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/classlib/application.h"
#include "platform/classlib/dialogs.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/menus.h"
#include "platform/classlib/screen.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/std_edit.h"
#include "platform/classlib/std_listview.h"
#include "platform/classlib/std_treeview.h"
#include "platform/win/clock.h"
#include "platform/win/compositor.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "platform/win/paint.h"
#include "platform/win/system_tables.h"
#include "platform/win/tests/scripted_screen.h"
#include "platform/win/window.h"

namespace fs = std::filesystem;

namespace {

using Steps = std::vector<std::function<void()>>;

TCustomForm* ActiveForm() { return Screen->ActiveCustomForm(); }

template <class C>
std::vector<C*> PartsOf(TComponent* form) {
  std::vector<C*> out;
  for (Integer i = 0; i < form->ComponentCount(); ++i)
    if (auto* c = dynamic_cast<C*>(form->Components(i))) out.push_back(c);
  return out;
}

// Clicks the middle of a control.
void ClickOn(TControl* c) {
  const TPoint p = c->ClientToScreen(TPoint{c->Width() / 2, c->Height() / 2});
  win::InjectClick(win::MouseButton::Left, p.x, p.y);
}

class ScreenDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::UseManualClock(1000);
    dir_ = fs::temp_directory_path() / ("qm_screen_dialogs_" + std::to_string(::getpid()));
    fs::create_directories(dir_ / "sub");
    std::ofstream(dir_ / "fountain.qme") << "x";
    std::ofstream(dir_ / "notes.txt") << "x";
  }
  void TearDown() override {
    win::ResetWindowSystem();
    win::UseRealClock();
    fs::remove_all(dir_);
  }
  fs::path dir_;
};

TEST_F(ScreenDialogsTest, AFormsMainMenuIsItsMenuBarAndRunsItsItems) {
  TForm form(nullptr);
  form.SetBounds(50, 50, 360, 240);
  auto* menu = new TMainMenu(&form);
  int newEmitters = 0;
  auto item = [&](TMenuItem* parent, const char* caption) {
    auto* i = new TMenuItem(&form);
    i->SetCaption(caption);
    parent->Add(i);
    return i;
  };
  TMenuItem* file = item(menu->Items(), "&File");
  item(file, "&New Emitter")->OnClick = [&](TObject*) { ++newEmitters; };
  item(file, "-");
  item(file, "E&xit")->SetEnabled(false);
  form.Show();
  const Integer clientHeight = form.ClientHeight();
  form.SetMenuComponent(menu);
  EXPECT_EQ(form.ClientHeight(), clientHeight);  // the window grew by the bar instead
  ASSERT_GT(win::MenuBarHeight(form.Handle()), 0);
  win::RECT entry;
  ASSERT_TRUE(win::GetMenuBarItemRect(form.Handle(), 0, &entry));
  const Steps byMouse = {[&] {
    win::UpdateWindow(form.Handle());
    EXPECT_TRUE(win::WriteWindowToPng(form.Handle(), ShotPath("form_menu_bar")));
    // The first row of the drop-down under the entry.
    win::InjectClick(win::MouseButton::Left, entry.left + 20, entry.bottom + 10);
  }};
  const Steps byKeys = {[] { win::InjectKey(win::VK_RETURN); }};
  for (const Steps* steps : {&byMouse, &byKeys}) {
    ScriptedScreen screen(*steps);
    if (steps == &byMouse)
      win::InjectClick(win::MouseButton::Left, (entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2);
    else
      win::InjectKey(win::VK_MENU);
    Application->ProcessMessages();
    EXPECT_TRUE(screen.UsedUp() && !screen.Closed());
  }
  EXPECT_EQ(newEmitters, 2);
  form.SetMenuComponent(nullptr);
  EXPECT_EQ(win::MenuBarHeight(form.Handle()), 0);
  EXPECT_EQ(form.ClientHeight(), clientHeight);
}

TEST_F(ScreenDialogsTest, ShowModalWaitsForThePersonsAnswer) {
  struct Case {
    const char* name;
    std::function<void(TButton* ok)> act;
    TModalResult result;
    bool closed;
  };
  const std::vector<Case> cases = {
      {"a click on OK", [](TButton* ok) { ClickOn(ok); }, mrOk, false},
      {"Esc presses Cancel", [](TButton*) { win::InjectKey(win::VK_ESCAPE); }, mrCancel, false},
      {"the screen closing cancels", nullptr, mrCancel, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TForm form(nullptr);
    form.SetBorderStyle(bsDialog);
    form.SetClientSize(TPoint{240, 90});
    TButton* buttons[2];
    for (int i = 0; i < 2; ++i) {
      buttons[i] = new TButton(&form);
      buttons[i]->SetParent(&form);
      buttons[i]->SetBounds(40 + 85 * i, 50, 75, 25);
      buttons[i]->SetModalResult(i ? mrCancel : mrOk);
    }
    TButton* ok = buttons[0];
    buttons[1]->SetCancel(true);
    Steps steps;
    if (c.act) steps.push_back([&] { c.act(ok); });
    ScriptedScreen screen(steps);
    EXPECT_EQ(form.ShowModal(), c.result);
    EXPECT_EQ(screen.Closed(), c.closed);
    EXPECT_FALSE(form.Visible());
  }
}

TEST_F(ScreenDialogsTest, TheSaveDialogListsTheFolderAndTakesATypedName) {
  const std::string folder = dir_.string();
  struct Case {
    const char* name;
    Steps steps;
    std::string file;  // empty: cancelled
  };
  // What the list shows: the sub-folder, then the files the filter lets through.
  const auto listed = [] {
    std::vector<std::string> names;
    for (TListView* l : PartsOf<TListView>(ActiveForm()))
      for (Integer i = 0; i < l->Items()->Count(); ++i) names.push_back(l->Items()->Item(i)->Caption());
    return names;
  };
  const auto type = [](const std::string& t) { return [t] { win::InjectText(t); }; };
  const auto enter = [] { win::InjectKey(win::VK_RETURN); };
  const std::vector<Case> cases = {
      {"a new name gets the default extension",
       {[&] {
          EXPECT_EQ(listed(), (std::vector<std::string>{"sub/", "fountain.qme"}));
          win::UpdateWindow(ActiveForm()->Handle());
          EXPECT_TRUE(win::WriteWindowToPng(ActiveForm()->Handle(), ShotPath("save_dialog")));
        },
        type("spray"), enter},
       folder + "/spray.qme"},
      // Typing replaces the name field's text; an existing file asks Yes / No first.
      {"an existing file asks before it is replaced", {type("fountain"), enter, enter}, folder + "/fountain.qme"},
      {"a typed folder is opened, a wildcard filters",
       {type("*.txt"), enter, [&] { EXPECT_EQ(listed(), (std::vector<std::string>{"sub/", "notes.txt"})); },
        [] { win::InjectKey(win::VK_HOME); }, [] { win::InjectKey(win::VK_END, win::kShift); },
        type("sub"), enter, type("x"), enter},
       folder + "/sub/x.qme"},
      {"Esc cancels", {[] { win::InjectKey(win::VK_ESCAPE); }}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TSaveDialog dialog(nullptr);
    dialog.SetFilter("Emitter files (*.qme)|*.qme|All files (*.*)|*.*");
    dialog.SetDefaultExt("qme");
    dialog.SetInitialDir(folder);
    dialog.SetFileName("fountain.qm");
    dialog.SetOptions(dialog.Options() + TOpenOptions{ofOverwritePrompt});
    ScriptedScreen screen(c.steps);
    EXPECT_EQ(dialog.Execute(), !c.file.empty());
    EXPECT_TRUE(screen.UsedUp() && !screen.Closed());
    EXPECT_EQ(dialog.FileName(), c.file.empty() ? std::string("fountain.qm") : c.file);
  }
}

TEST_F(ScreenDialogsTest, TheColourDialogChoosesFromItsGridAndKeepsCustomColours) {
  // Clicks the first pixel of the dialog showing `colour`.
  const auto clickColour = [](win::COLORREF colour) {
    return [colour] {
      win::HWND h = ActiveForm()->Handle();
      win::UpdateWindow(h);
      win::WindowImage img;
      ASSERT_TRUE(win::CaptureWindow(h, &img));
      win::RECT r;
      win::GetWindowRect(h, &r);
      for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
          if (img.At(x, y) == colour) {
            win::InjectClick(win::MouseButton::Left, r.left + x + 2, r.top + y + 2);
            return;
          }
      ADD_FAILURE() << "no cell of that colour";
    };
  };
  const auto key = [](int vk) { return [vk] { win::InjectKey(vk); }; };
  const auto clickButton = [](const std::string& caption) {
    return [caption] {
      for (TButton* b : PartsOf<TButton>(ActiveForm()))
        if (b->Caption() == caption) ClickOn(b);
    };
  };
  const auto countOf = [](win::COLORREF colour) {
    win::WindowImage img;
    win::CaptureWindow(ActiveForm()->Handle(), &img);
    return std::count(img.pixels.begin(), img.pixels.end(),
                      (win::GetRValue(colour) << 16) | (win::GetGValue(colour) << 8) | win::GetBValue(colour));
  };
  TColorDialog dialog(nullptr);
  dialog.SetColor(clWhite);
  std::ptrdiff_t redBefore = 0;
  {
    // Red from the grid, kept as a custom colour too.
    ScriptedScreen screen({[&] { redBefore = countOf(win::RGB(255, 0, 0)); }, clickColour(win::RGB(255, 0, 0)),
                           clickButton("&Add to Custom Colors"), clickButton("OK")});
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Color(), static_cast<TColor>(win::RGB(255, 0, 0)));
  }
  {
    // The next time the custom row holds it; Esc keeps the colour.
    ScriptedScreen screen({[&] {
                             EXPECT_GT(countOf(win::RGB(255, 0, 0)), redBefore + 100);
                             EXPECT_TRUE(win::WriteWindowToPng(ActiveForm()->Handle(), ShotPath("colour_dialog")));
                           },
                           clickColour(win::RGB(0, 0, 255)), key(win::VK_ESCAPE)});
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.Color(), static_cast<TColor>(win::RGB(255, 0, 0)));
  }
}

TEST_F(ScreenDialogsTest, ATreeViewsScrollBarScrollsByArrowTrackAndThumb) {
  TForm form(nullptr);
  form.SetBounds(60, 60, 260, 220);
  auto* tree = new TTreeView(&form);
  tree->SetParent(&form);
  tree->SetBounds(10, 10, 160, 140);
  for (int i = 0; i < 40; ++i) tree->Items()->Add(nullptr, "node " + std::to_string(i));
  form.Show();
  win::UpdateWindow(form.Handle());
  EXPECT_TRUE(win::WriteWindowToPng(form.Handle(), ShotPath("tree_scroll_bar")));
  const Integer bar = win::GetSystemMetrics(win::SM_CXVSCROLL);
  const Integer x = tree->ClientWidth() - bar / 2, bottom = tree->ClientHeight();
  // The thumb sits at the top of the track, the rest of the track is bare.
  win::WindowImage img;
  ASSERT_TRUE(win::CaptureWindow(tree->Handle(), &img));
  const TPoint origin = tree->ClientOrigin();
  win::RECT wr;
  win::GetWindowRect(tree->Handle(), &wr);
  const auto at = [&](Integer cy) { return img.At(origin.x - wr.left + x - 4, origin.y - wr.top + cy); };
  EXPECT_EQ(at(bar + 4), win::GetSysColor(win::COLOR_BTNFACE));
  EXPECT_EQ(at(bottom - bar - 4), win::GetSysColor(win::COLOR_SCROLLBAR));
  const auto click = [&](Integer cy) {
    const TPoint p = tree->ClientToScreen(TPoint{x, cy});
    win::InjectClick(win::MouseButton::Left, p.x, p.y);
    Application->ProcessMessages();
    return tree->TopItem()->Index();
  };
  EXPECT_EQ(click(bar / 2), 0);           // the up arrow at the top does nothing
  EXPECT_EQ(click(bottom - bar / 2), 1);  // the down arrow
  const Integer page = click(bottom - bar - 2) - 1;  // the track below the thumb
  EXPECT_GT(page, 3);
  EXPECT_EQ(tree->Selected(), nullptr);  // the bar's clicks select nothing
  // Dragging the thumb to the bottom shows the last page.
  tree->SetTopItem(tree->Items()->GetFirstNode());
  const TPoint from = tree->ClientToScreen(TPoint{x, bar + 3});
  const TPoint to = tree->ClientToScreen(TPoint{x, bottom - bar + 20});
  win::InjectMouseDown(win::MouseButton::Left, from.x, from.y);
  win::InjectMouseMove(to.x, (from.y + to.y) / 2);
  win::InjectMouseMove(to.x, to.y);
  win::InjectMouseUp(win::MouseButton::Left, to.x, to.y);
  Application->ProcessMessages();
  EXPECT_EQ(tree->TopItem()->Index(), 40 - page);
  EXPECT_EQ(click(bottom - bar / 2), 40 - page);
}

}  // namespace

namespace {

// Clicks the middle of a list's row, with modifier keys held.
void ClickRow(TListView* list, const std::string& caption, unsigned modifiers = 0) {
  for (Integer i = 0; i < list->Items()->Count(); ++i) {
    TListItem* item = list->Items()->Item(i);
    if (item->Caption() != caption) continue;
    const TRect r = item->DisplayRect(false);
    const TPoint p = list->ClientToScreen(TPoint{r.left + 40, (r.top + r.bottom) / 2});
    win::InjectClick(win::MouseButton::Left, p.x, p.y, modifiers);
    return;
  }
  ADD_FAILURE() << "no row " << caption;
}

TEST_F(ScreenDialogsTest, TheOpenDialogPicksSeveralFilesByCtrlAndShiftClicks) {
  for (const char* name : {"a.png", "b.png", "c.png", "d.png"}) std::ofstream(dir_ / name) << "x";
  const std::string folder = dir_.string();
  const auto list = [] { return PartsOf<TListView>(ActiveForm()).front(); };
  const auto click = [&](const char* caption, unsigned modifiers = 0) {
    return [&, caption, modifiers] { ClickRow(list(), caption, modifiers); };
  };
  const auto enter = [] { win::InjectKey(win::VK_RETURN); };
  struct Case {
    const char* name;
    bool multi;
    Steps steps;
    std::vector<std::string> files;
  };
  const std::vector<Case> cases = {
      {"Ctrl adds a file",
       true,
       {[&] {
          // The dialog starts on its FilterIndex: the pictures.
          std::vector<std::string> names;
          for (Integer i = 0; i < list()->Items()->Count(); ++i) names.push_back(list()->Items()->Item(i)->Caption());
          EXPECT_EQ(names, (std::vector<std::string>{"sub/", "a.png", "b.png", "c.png", "d.png"}));
        },
        click("a.png"), click("c.png", win::kCtrl),
        [&] {
          win::UpdateWindow(ActiveForm()->Handle());
          EXPECT_TRUE(win::WriteWindowToPng(ActiveForm()->Handle(), ShotPath("open_dialog_several")));
        },
        enter},
       {"a.png", "c.png"}},
      {"Shift takes the rows between, Ctrl takes one out again",
       true,
       {click("b.png"), click("d.png", win::kShift), click("c.png", win::kCtrl), enter},
       {"b.png", "d.png"}},
      {"Shift goes from the last click", true, {click("d.png"), click("b.png", win::kShift), enter},
       {"b.png", "c.png", "d.png"}},
      {"without multiple selection a Ctrl-click picks one", false, {click("a.png"), click("c.png", win::kCtrl), enter},
       {"c.png"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TOpenDialog dialog(nullptr);
    dialog.SetFilter("Text files (*.txt)|*.txt|Pictures (*.png)|*.png");
    dialog.SetFilterIndex(2);
    dialog.SetInitialDir(folder);
    if (c.multi) dialog.SetOptions(dialog.Options() + TOpenOptions{ofAllowMultiSelect});
    ScriptedScreen screen(c.steps);
    EXPECT_TRUE(dialog.Execute());
    EXPECT_TRUE(screen.UsedUp() && !screen.Closed());
    std::vector<std::string> files;
    for (Integer i = 0; i < dialog.Files()->Count(); ++i) files.push_back(dialog.Files()->Strings(i));
    std::vector<std::string> expected;
    for (const std::string& f : c.files) expected.push_back(folder + "/" + f);
    EXPECT_EQ(files, expected);
  }
}

TEST_F(ScreenDialogsTest, AScrollBoxScrollsByItsFrameBarAndASizedFormLaysOutAgain) {
  TForm form(nullptr);
  form.SetBounds(40, 40, 300, 260);
  form.Constraints()->SetMinWidth(250);
  form.Constraints()->SetMaxHeight(320);
  auto* box = new TScrollBox(&form);
  box->SetParent(&form);
  box->SetAlign(alClient);
  auto* tall = new TButton(&form);
  tall->SetParent(box);
  tall->SetBounds(10, 10, 80, 600);
  auto* corner = new TButton(&form);
  corner->SetParent(&form);
  corner->SetAlign(alBottom);
  form.Show();
  win::UpdateWindow(form.Handle());
  ASSERT_TRUE(box->VertScrollBar()->IsScrollBarVisible());
  EXPECT_TRUE(win::WriteWindowToPng(form.Handle(), ShotPath("scroll_box")));
  // The bar lies right of the box's client area; its down arrow scrolls by the increment.
  const TPoint origin = box->ClientOrigin();
  const Integer barX = origin.x + box->ClientWidth() + 8, bottom = origin.y + box->ClientHeight();
  // (Showing the form scrolled its focused button into view.)
  const Integer before = box->VertScrollBar()->Position();
  win::InjectClick(win::MouseButton::Left, barX, bottom - 8);
  Application->ProcessMessages();
  EXPECT_EQ(box->VertScrollBar()->Position(), before + 8);
  EXPECT_EQ(tall->Top(), 10 - before - 8);
  // The thumb dragged to the far end shows the bottom of the button.
  win::SCROLLINFO si;
  si.fMask = win::SIF_ALL;
  win::GetScrollInfo(box->Handle(), win::SB_VERT, &si);
  EXPECT_EQ(si.nMax, 609);
  EXPECT_EQ(si.nPos, before + 8);
  win::InjectMouseDown(win::MouseButton::Left, barX, origin.y + 16 + 30);
  win::InjectMouseMove(barX, bottom + 200);
  win::InjectMouseUp(win::MouseButton::Left, barX, bottom + 200);
  Application->ProcessMessages();
  EXPECT_EQ(box->VertScrollBar()->Position(), box->VertScrollBar()->ScrollRange());
  EXPECT_EQ(tall->Top() + tall->Height(), box->ClientHeight());
  // The form's corner dragged out: the constraints hold and the children follow.
  win::RECT r;
  win::GetWindowRect(form.Handle(), &r);
  {
    ScriptedScreen screen({[&] { win::InjectMouseMove(r.right - 1 + 40, r.bottom + 200); },
                           [&] { win::InjectMouseUp(win::MouseButton::Left, r.right - 1 + 40, r.bottom + 200); }});
    win::InjectMouseDown(win::MouseButton::Left, r.right - 1, r.bottom - 1);
    Application->ProcessMessages();
    EXPECT_TRUE(screen.UsedUp());
  }
  EXPECT_EQ(form.Width(), 340);
  EXPECT_EQ(form.Height(), 320);
  EXPECT_EQ(box->Width(), form.ClientWidth());
  EXPECT_EQ(corner->Top() + corner->Height(), form.ClientHeight());
  {
    ScriptedScreen screen({[&] { win::InjectMouseMove(r.left + 300, r.bottom); },
                           [&] { win::InjectMouseUp(win::MouseButton::Left, r.left + 300, r.bottom); }});
    win::InjectMouseDown(win::MouseButton::Left, r.left, r.bottom - 100);
    Application->ProcessMessages();
  }
  EXPECT_EQ(form.Width(), 250);
  EXPECT_EQ(form.Left() + form.Width(), r.right + 40);
}

TEST_F(ScreenDialogsTest, AShortListViewStillDrawsAndWorksItsScrollBar) {
  TForm form(nullptr);
  form.SetBounds(60, 60, 260, 160);
  auto* list = new TListView(&form);
  list->SetParent(&form);
  list->SetViewStyle(vsReport);
  list->SetShowColumnHeaders(false);
  list->Columns()->Add()->SetWidth(120);
  list->SetBounds(10, 10, 160, 40);
  for (int i = 0; i < 20; ++i) list->Items()->Add()->SetCaption("row " + std::to_string(i));
  form.Show();
  win::UpdateWindow(form.Handle());
  const Integer bar = win::GetSystemMetrics(win::SM_CXVSCROLL);
  const Integer h = list->ClientHeight();
  ASSERT_LT(h, 3 * bar);
  const TPoint down = list->ClientToScreen(TPoint{list->ClientWidth() - bar / 2, h - 2});
  win::InjectClick(win::MouseButton::Left, down.x, down.y);
  Application->ProcessMessages();
  EXPECT_EQ(list->TopItem()->Index(), 1);
  EXPECT_EQ(list->Selected(), nullptr);
}

}  // namespace
