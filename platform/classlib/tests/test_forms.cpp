// Forms: windows of each border style, painting, showing and closing, modal runs, focus
// and tab order, and forms read from their resources.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/application.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/form_writer.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/panels.h"
#include "platform/classlib/resources.h"
#include "platform/classlib/screen.h"
#include "platform/win/compositor.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "platform/win/paint.h"
#include "platform/win/system_tables.h"

namespace {

using Log = std::vector<std::string>;

class FormsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::SetModalFailureHandler([this](const std::string& why) { failures_.push_back(why); });
  }
  void TearDown() override {
    win::SetModalFailureHandler(nullptr);
    win::ResetWindowSystem();
  }
  std::vector<std::string> failures_;
};

win::DWORD StyleOf(TWinControl* c) { return static_cast<win::DWORD>(win::GetWindowLong(c->Handle(), win::GWL_STYLE)); }
win::DWORD ExStyleOf(TWinControl* c) {
  return static_cast<win::DWORD>(win::GetWindowLong(c->Handle(), win::GWL_EXSTYLE));
}

// ---- windows and painting ----------------------------------------------------------------------

TEST_F(FormsTest, BorderStylesIconsAndStayOnTopMakeTheirWindowStyles) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  win::DWORD style = StyleOf(&form);
  EXPECT_EQ(style & win::WS_CAPTION, win::WS_CAPTION);
  EXPECT_TRUE(style & win::WS_THICKFRAME);
  EXPECT_TRUE(style & win::WS_SYSMENU);
  EXPECT_TRUE(style & win::WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & win::WS_CHILD);

  form.SetBorderIcons(TBorderIcons{biSystemMenu, biMinimize});
  EXPECT_FALSE(StyleOf(&form) & win::WS_MAXIMIZEBOX);
  EXPECT_TRUE(StyleOf(&form) & win::WS_MINIMIZEBOX);

  form.SetBorderStyle(bsToolWindow);
  EXPECT_TRUE(ExStyleOf(&form) & win::WS_EX_TOOLWINDOW);
  EXPECT_FALSE(StyleOf(&form) & win::WS_THICKFRAME);
  EXPECT_FALSE(StyleOf(&form) & win::WS_MINIMIZEBOX);
  win::RECT frame = win::FrameThickness(StyleOf(&form), ExStyleOf(&form));
  EXPECT_EQ(form.ClientWidth(), 300 - frame.left - frame.right);
  EXPECT_EQ(form.ClientHeight(), 200 - frame.top - frame.bottom);
  // The client size sets the outer size through the frame.
  form.SetClientWidth(182);
  form.SetClientHeight(49);
  EXPECT_EQ(form.Width(), 182 + frame.left + frame.right);
  EXPECT_EQ(form.ClientWidth(), 182);
  EXPECT_EQ(form.ClientHeight(), 49);

  form.SetBorderStyle(bsSizeToolWin);
  EXPECT_TRUE(StyleOf(&form) & win::WS_THICKFRAME);
  EXPECT_TRUE(ExStyleOf(&form) & win::WS_EX_TOOLWINDOW);

  form.SetBorderStyle(bsNone);
  EXPECT_TRUE(StyleOf(&form) & win::WS_POPUP);
  EXPECT_FALSE(StyleOf(&form) & win::WS_CAPTION);
  EXPECT_EQ(form.ClientWidth(), form.Width());

  form.SetBorderStyle(bsDialog);
  EXPECT_TRUE(ExStyleOf(&form) & win::WS_EX_DLGMODALFRAME);

  form.SetFormStyle(fsStayOnTop);
  EXPECT_TRUE(ExStyleOf(&form) & win::WS_EX_TOPMOST);
  EXPECT_THROW(form.SetFormStyle(fsMDIChild), EInvalidOperation);
}

TEST_F(FormsTest, AShownFormPaintsItsPanelsBevels) {
  TForm form(nullptr);
  form.SetBorderStyle(bsSingle);
  form.SetCaption("Bevels");
  form.SetBounds(50, 40, 260, 160);
  auto* raised = new TPanel(&form);
  raised->SetParent(&form);
  raised->SetBounds(10, 10, 100, 50);
  auto* lowered = new TPanel(&form);
  lowered->SetParent(&form);
  lowered->SetBevelOuter(bvLowered);
  lowered->SetBevelWidth(2);
  lowered->SetColor(clWhite);
  lowered->SetBounds(120, 10, 60, 40);
  form.Show();
  win::UpdateWindow(form.Handle());
  EXPECT_EQ(win::GetWindowTextString(form.Handle()), "Bevels");

  std::string png = (std::filesystem::temp_directory_path() / "qm_classlib_bevels.png").string();
  std::string error;
  ASSERT_TRUE(win::WriteWindowToPng(form.Handle(), png, &error)) << error;
  EXPECT_GT(std::filesystem::file_size(png), 100u);
  std::remove(png.c_str());

  win::WindowImage img;
  ASSERT_TRUE(win::CaptureWindow(form.Handle(), &img));
  // The client area's place inside the window image.
  TPoint origin = form.ClientOrigin();
  const int ox = origin.x - form.Left(), oy = origin.y - form.Top();
  auto at = [&](int x, int y) { return img.At(ox + x, oy + y); };
  const auto face = static_cast<win::COLORREF>(ColorToRGB(clBtnFace));
  const auto light = static_cast<win::COLORREF>(ColorToRGB(clBtnHighlight));
  const auto shadow = static_cast<win::COLORREF>(ColorToRGB(clBtnShadow));
  ASSERT_NE(light, shadow);
  // Raised: light top-left, dark bottom-right; the dark sides own the far corners.
  EXPECT_EQ(at(10, 10), light);
  EXPECT_EQ(at(60, 10), light);
  EXPECT_EQ(at(10, 30), light);
  EXPECT_EQ(at(109, 10), shadow);
  EXPECT_EQ(at(109, 59), shadow);
  EXPECT_EQ(at(10, 59), shadow);
  EXPECT_EQ(at(60, 35), face);
  EXPECT_EQ(at(11, 11), face);
  // Lowered, two pixels wide, white inside.
  EXPECT_EQ(at(120, 10), shadow);
  EXPECT_EQ(at(121, 11), shadow);
  EXPECT_EQ(at(179, 49), light);
  EXPECT_EQ(at(178, 48), light);
  EXPECT_EQ(at(122, 12), 0xFFFFFFu);
  // The form's own background.
  EXPECT_EQ(at(200, 100), face);
}

// ---- showing and closing ------------------------------------------------------------------------

TEST_F(FormsTest, ShowHideAndCloseRunTheirEventsInOrder) {
  Log log;
  auto* form = new TForm(nullptr);
  form->SetBounds(0, 0, 200, 100);
  form->OnShow = [&](TObject*) { log.push_back("show"); };
  form->OnHide = [&](TObject*) { log.push_back("hide"); };
  form->OnActivate = [&](TObject*) { log.push_back("activate"); };
  bool allow = false;
  form->OnCloseQuery = [&](TObject*, bool& canClose) {
    log.push_back("query");
    canClose = allow;
  };
  TCloseAction action = caHide;
  form->OnClose = [&](TObject*, TCloseAction& a) {
    log.push_back("close");
    a = action;
  };
  form->OnDestroy = [&](TObject*) { log.push_back("destroy"); };

  form->Show();
  EXPECT_TRUE(win::IsWindowVisible(form->Handle()));
  EXPECT_TRUE(form->Active());
  form->Close();  // refused
  EXPECT_TRUE(form->Visible());
  allow = true;
  form->Close();  // hidden
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(win::IsWindowVisible(form->Handle()));
  EXPECT_EQ(log, (Log{"show", "activate", "query", "query", "close", "hide"}));

  // caFree: the form goes once the queue reaches the release, not inside Close.
  log.clear();
  form->Show();
  win::HWND h = form->Handle();
  action = caFree;
  form->Close();
  EXPECT_TRUE(win::IsWindow(h));
  EXPECT_EQ(log.back(), "close");
  Integer before = Screen->CustomFormCount();
  win::PumpPendingMessages();
  EXPECT_FALSE(win::IsWindow(h));
  EXPECT_EQ(log.back(), "destroy");
  EXPECT_EQ(Screen->CustomFormCount(), before - 1);
}

TEST_F(FormsTest, TheCloseButtonsMessageClosesAndCentringHappensOnTheFirstShow) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 200, 100);
  form.SetPosition(poScreenCenter);
  form.Show();
  EXPECT_EQ(form.Left(), (Screen->Width() - 200) / 2);
  EXPECT_EQ(form.Top(), (Screen->Height() - 100) / 2);
  EXPECT_EQ(form.Position(), poDesigned);
  win::SendMessage(form.Handle(), win::WM_CLOSE, 0, 0);
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(win::IsWindow(form.Handle()));

  form.SetWindowState(wsMaximized);
  form.Show();
  EXPECT_TRUE(win::IsZoomed(form.Handle()));
  EXPECT_EQ(form.WindowState(), wsMaximized);
  form.SetWindowState(wsNormal);
  EXPECT_FALSE(win::IsZoomed(form.Handle()));
  EXPECT_EQ(form.Width(), 200);
}

TEST_F(FormsTest, AFormEmbeddedInAnotherBecomesAChildWindowThatFillsIt) {
  TForm host(nullptr);
  host.SetBorderStyle(bsNone);
  host.SetBounds(0, 0, 400, 300);
  auto* page = new TForm(&host);
  page->SetBounds(50, 50, 100, 100);
  ASSERT_FALSE(StyleOf(page) & win::WS_CHILD);  // a top-level window so far
  Log log;
  page->OnShow = [&](TObject*) { log.push_back("page shown"); };
  page->SetParent(&host);
  page->SetBorderStyle(bsNone);
  page->SetBorderIcons(TBorderIcons{});
  page->SetBounds(0, 0, page->Width(), page->Height());
  page->SetAlign(alClient);
  page->Show();
  EXPECT_TRUE(log.empty());  // the host is not showing yet
  host.Show();
  EXPECT_EQ(log, (Log{"page shown"}));
  EXPECT_TRUE(StyleOf(page) & win::WS_CHILD);
  EXPECT_EQ(win::GetParent(page->Handle()), host.Handle());
  EXPECT_EQ(page->BoundsRect(), (TRect{0, 0, 400, 300}));
  EXPECT_TRUE(win::IsWindowVisible(page->Handle()));
  // Controls on the page belong to the outer form for focus.
  auto* field = new TPanel(page);
  field->SetParent(page);
  field->SetTabStop(true);
  EXPECT_EQ(field->GetParentForm(), &host);
  field->SetFocus();
  EXPECT_TRUE(field->Focused());
  EXPECT_EQ(host.ActiveControl(), field);
}

// ---- modal runs -----------------------------------------------------------------------------------

TEST_F(FormsTest, ShowModalEndsWhenModalResultIsSet) {
  TForm other(nullptr);
  other.SetBounds(0, 0, 100, 100);
  other.Show();
  TForm dialog(nullptr);
  dialog.SetCaption("Options");
  dialog.SetBounds(10, 10, 200, 100);

  // A close waiting in the queue when the form shows ends it with mrCancel: no answer
  // is needed.
  dialog.OnShow = [&](TObject*) { win::PostMessage(dialog.Handle(), win::WM_CLOSE, 0, 0); };
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  EXPECT_FALSE(dialog.Visible());
  EXPECT_TRUE(win::ModalPrompts().empty());
  dialog.OnShow = nullptr;

  // The answer clicks the form's own button, whose result wins; the other window waits.
  auto* ok = new TPanel(&dialog);
  ok->SetParent(&dialog);
  ok->SetBounds(10, 10, 80, 25);
  ok->OnClick = [&](TObject*) { dialog.SetModalResult(mrYes); };
  bool otherWasDisabled = false;
  win::AnswerModalForm(mrCancel, [&](win::HWND) {
    otherWasDisabled = !win::IsWindowEnabled(other.Handle());
    win::POINT p = win::ScreenPointOf(ok->Handle(), 5, 5);
    win::InjectClick(win::MouseButton::Left, p.x, p.y);
    win::PumpPendingMessages();
    return mrCancel;
  });
  EXPECT_EQ(dialog.ShowModal(), mrYes);
  EXPECT_TRUE(otherWasDisabled);
  EXPECT_TRUE(win::IsWindowEnabled(other.Handle()));
  ASSERT_EQ(win::ModalPrompts().size(), 1u);
  EXPECT_EQ(win::ModalPrompts()[0].kind, win::ModalKind::Form);
  EXPECT_EQ(win::ModalPrompts()[0].caption, "Options");

  // A refused close keeps the form running until the next answer.
  Integer queries = 0;
  dialog.OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++queries > 1; };
  win::AnswerModalForm(mrOk);
  win::AnswerModalForm(mrAbort);
  EXPECT_EQ(dialog.ShowModal(), mrAbort);
  EXPECT_EQ(queries, 2);
  EXPECT_THROW(other.ShowModal(), EInvalidOperation);  // already visible

  // No answer at all fails the caller, and the form is put away.
  EXPECT_THROW(dialog.ShowModal(), win::NoModalAnswer);
  EXPECT_EQ(failures_.size(), 1u);
  EXPECT_FALSE(dialog.Visible());
  EXPECT_TRUE(win::IsWindowEnabled(other.Handle()));
  EXPECT_FALSE(dialog.FormState().Contains(fsModal));
}

// ---- focus and tab order --------------------------------------------------------------------------

TEST_F(FormsTest, TabMovesTheFocusInTabOrderWithExitAndEnterEvents) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  Log log;
  auto make = [&](const std::string& name, TWinControl* parent) {
    auto* p = new TPanel(&form);
    p->SetName(name);
    p->SetParent(parent);
    p->SetTabStop(true);
    p->OnEnter = [&log, p](TObject*) { log.push_back("enter " + p->Name()); };
    p->OnExit = [&log, p](TObject*) { log.push_back("exit " + p->Name()); };
    return p;
  };
  TPanel* a = make("A", &form);
  TPanel* b = make("B", &form);
  TPanel* group = make("Group", &form);
  group->SetTabStop(false);
  TPanel* inner = make("Inner", group);
  TPanel* c = make("C", &form);
  c->SetTabOrder(0);
  EXPECT_EQ(c->TabOrder(), 0);
  EXPECT_EQ(a->TabOrder(), 1);
  EXPECT_EQ(group->TabOrder(), 3);

  form.Show();
  EXPECT_EQ(form.ActiveControl(), c);
  EXPECT_TRUE(c->Focused());
  log.clear();
  auto tab = [](unsigned modifiers = 0) {
    win::InjectKey(win::VK_TAB, modifiers);
    win::PumpPendingMessages();
  };
  tab();
  tab();
  EXPECT_TRUE(b->Focused());
  // Into the group: the group is entered before the control inside it.
  tab();
  EXPECT_TRUE(inner->Focused());
  EXPECT_EQ(form.ActiveControl(), inner);
  EXPECT_EQ(log, (Log{"exit C", "enter A", "exit A", "enter B", "exit B", "enter Group", "enter Inner"}));
  // Round again, skipping what cannot take the focus.
  log.clear();
  a->SetEnabled(false);
  tab();
  EXPECT_TRUE(c->Focused());
  EXPECT_EQ(log, (Log{"exit Inner", "exit Group", "enter C"}));
  tab();
  EXPECT_TRUE(b->Focused());
  tab(win::kShift);
  EXPECT_TRUE(c->Focused());

  // KeyPreview lets the form see keys first and swallow them.
  form.SetKeyPreview(true);
  form.OnKeyDown = [](TObject*, Word& key, TShiftState) {
    if (key == win::VK_TAB) key = 0;
  };
  tab();
  EXPECT_TRUE(c->Focused());

  // Freeing the focused control moves the focus back to the form.
  delete c;
  EXPECT_EQ(form.ActiveControl(), nullptr);
  EXPECT_EQ(win::GetFocus(), form.Handle());
}

// ---- forms read from resources ---------------------------------------------------------------------

constexpr char kTestFormText[] = R"(object TestForm: TTestForm
  Left = 12
  Top = 34
  ClientWidth = 240
  ClientHeight = 120
  BorderStyle = bsToolWindow
  Caption = 'Test form'
  Visible = True
  OnCreate = FormCreate
  OnShow = FormShow
  object Header: TPanel
    Left = 0
    Top = 0
    Width = 10
    Height = 30
    Align = alTop
    Caption = 'Header'
    Color = clWhite
    Cursor = crHandPoint
    TabOrder = 1
    TabStop = True
    OnClick = HeaderClick
    object Inner: TPanel
      Left = 10
      Top = 5
      Width = 50
      Height = 20
      BevelOuter = bvLowered
    end
  end
  object Body: TPanel
    Left = 0
    Top = 0
    Width = 10
    Height = 10
    Align = alClient
    TabOrder = 0
    TabStop = True
  end
end
)";

const resource_detail::Registration kTestFormResource{
    {"TTESTFORM", RT_RCDATA, reinterpret_cast<const Byte*>(kTestFormText), sizeof(kTestFormText) - 1}};

class TTestForm : public TForm {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TTestForm>("TTestForm", TForm::StaticClass(), &Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    auto p = published.For<TTestForm>();
    p.Method("FormCreate", &TTestForm::FormCreate);
    p.Method("FormShow", &TTestForm::FormShow);
    p.Method("HeaderClick", &TTestForm::HeaderClick);
  }

  explicit TTestForm(TComponent* owner) : TForm(owner) { ReadFormResource(); }

  void FormShow(TObject*) { events.push_back("show"); }
  void FormCreate(TObject*) {
    events.push_back("create");
    ++creates;
    headerAtCreate = FindComponent("Header") != nullptr;
  }
  void HeaderClick(TObject* sender) { clickedBy = sender; }

  Integer creates = 0;
  Log events;
  bool headerAtCreate = false;
  TObject* clickedBy = nullptr;
};

// A form read from text shows as it was stored, read back too, and shows when asked.
TEST_F(FormsTest, AFormReadFromTextShowsAsStoredAndWhenAsked) {
  const auto shown = [](TComponent* c) {
    auto* form = dynamic_cast<TForm*>(c);
    return form && form->WindowHandle() && win::IsWindowVisible(form->WindowHandle());
  };
  for (const char* stored : {"True", "False"}) {
    std::unique_ptr<TComponent> read =
        ReadComponentText(std::string("object F: TForm\n  Caption = 'Shown'\n  Visible = ") + stored + "\nend\n");
    std::unique_ptr<TComponent> back = ReadComponentText(WriteComponentText(read.get()));
    for (TComponent* form : {read.get(), back.get()}) {
      EXPECT_EQ(shown(form), stored == std::string("True")) << stored;
      dynamic_cast<TForm*>(form)->Show();
      EXPECT_TRUE(shown(form)) << stored;
    }
  }
}

TEST_F(FormsTest, AFormReadFromItsResourceHasItsChildrenAndEvents) {
  TTestForm form(nullptr);
  EXPECT_EQ(form.Name(), "TestForm");
  EXPECT_EQ(form.Caption(), "Test form");
  EXPECT_EQ(form.BorderStyle(), bsToolWindow);
  // The client size was applied once the frame of the tool window was known.
  EXPECT_EQ(form.ClientWidth(), 240);
  EXPECT_EQ(form.ClientHeight(), 120);
  EXPECT_EQ(form.Left(), 12);
  EXPECT_EQ(form.creates, 1);
  EXPECT_TRUE(form.headerAtCreate);
  // Stored visible, it shows once complete: after OnCreate.
  EXPECT_TRUE(form.Visible());
  EXPECT_TRUE(win::IsWindowVisible(form.Handle()));
  EXPECT_EQ(form.events, (Log{"create", "show"}));

  auto* header = dynamic_cast<TPanel*>(form.FindComponent("Header"));
  auto* inner = dynamic_cast<TPanel*>(form.FindComponent("Inner"));
  auto* body = dynamic_cast<TPanel*>(form.FindComponent("Body"));
  ASSERT_TRUE(header && inner && body);
  EXPECT_EQ(header->Parent(), &form);
  EXPECT_EQ(inner->Parent(), header);
  EXPECT_EQ(inner->Owner(), &form);
  EXPECT_EQ(inner->BevelOuter(), bvLowered);
  EXPECT_EQ(header->Color(), clWhite);
  EXPECT_EQ(header->Cursor(), crHandPoint);
  EXPECT_EQ(header->BoundsRect(), (TRect{0, 0, 240, 30}));
  EXPECT_EQ(body->BoundsRect(), (TRect{0, 30, 240, 120}));
  EXPECT_EQ(body->TabOrder(), 0);
  EXPECT_EQ(header->TabOrder(), 1);

  header->Click();
  EXPECT_EQ(form.clickedBy, header);

  // The writer walks the same children, in the same order.
  std::vector<std::string> names;
  form.GetChildren([&](TComponent* c) { names.push_back(c->Name()); }, &form);
  EXPECT_EQ(names, (std::vector<std::string>{"Header", "Body"}));

  // Written and read into a new form of the class, the form comes back the same.
  std::string text = WriteComponentText(&form);
  EXPECT_NE(text.find("ClientWidth = 240"), std::string::npos) << text;
  EXPECT_EQ(text.find("\n  Width ="), std::string::npos) << text;
  EXPECT_EQ(text.find("Hint"), std::string::npos) << text;
  EXPECT_EQ(text.find("Anchors"), std::string::npos) << text;
  EXPECT_NE(text.find("    Color = clWhite"), std::string::npos) << text;
  EXPECT_NE(text.find("    Cursor = crHandPoint"), std::string::npos) << text;
  EXPECT_EQ(text.find("  Color ="), text.find("    Color = clWhite") + 2) << text;
  EXPECT_NE(text.find("OnClick = HeaderClick"), std::string::npos) << text;
  // A plain TForm reads it back (without the events, which only TTestForm has).
  std::string plain = text;
  plain.replace(plain.find("TTestForm"), 9, "TForm");
  for (const char* line : {"OnCreate = FormCreate", "OnShow = FormShow", "OnClick = HeaderClick"}) {
    auto at = plain.find(line);
    ASSERT_NE(at, std::string::npos) << plain;
    plain.erase(plain.rfind('\n', at) + 1, plain.find('\n', at) - plain.rfind('\n', at));
  }
  TForm copy(nullptr);
  ReadComponentTextInto(plain, &copy);
  EXPECT_EQ(copy.BorderStyle(), bsToolWindow);
  // Stored visible, a form read from text shows too.
  EXPECT_TRUE(copy.WindowHandle() && win::IsWindowVisible(copy.WindowHandle()));
  EXPECT_EQ(copy.ClientWidth(), 240);
  EXPECT_EQ(copy.ClientHeight(), 120);
  EXPECT_EQ(copy.Caption(), "Test form");
  auto* header2 = dynamic_cast<TPanel*>(copy.FindComponent("Header"));
  auto* inner2 = dynamic_cast<TPanel*>(copy.FindComponent("Inner"));
  auto* body2 = dynamic_cast<TPanel*>(copy.FindComponent("Body"));
  ASSERT_TRUE(header2 && inner2 && body2);
  EXPECT_EQ(inner2->Parent(), header2);
  EXPECT_EQ(inner2->BoundsRect(), inner->BoundsRect());
  EXPECT_EQ(body2->BoundsRect(), body->BoundsRect());
  EXPECT_EQ(body2->TabOrder(), 0);
  EXPECT_EQ(WriteComponentText(&copy), plain);
}

}  // namespace
