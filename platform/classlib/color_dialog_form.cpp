#include "platform/classlib/color_dialog_form.h"

#include <array>
#include <charconv>
#include <functional>
#include <memory>

#include "platform/classlib/forms.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/std_edit.h"
#include "platform/classlib/std_label.h"

namespace {

constexpr int kCustomCount = 16;

// The custom colours live as long as the program, as a person expects of the dialog.
std::array<TColor, kCustomCount>& CustomColors() {
  static std::array<TColor, kCustomCount> colors = [] {
    std::array<TColor, kCustomCount> c{};
    c.fill(static_cast<TColor>(0x00FFFFFF));
    return c;
  }();
  return colors;
}

constexpr TColor Rgb(int r, int g, int b) { return static_cast<TColor>(r | (g << 8) | (b << 16)); }

// Eight columns of hues, six rows from light to dark, greys in the last row.
constexpr std::array<TColor, 48> kBasicColors = {
    Rgb(255, 128, 128), Rgb(255, 255, 128), Rgb(128, 255, 128), Rgb(0, 255, 128),   Rgb(128, 255, 255),
    Rgb(0, 128, 255),   Rgb(255, 128, 192), Rgb(255, 128, 255), Rgb(255, 0, 0),     Rgb(255, 255, 0),
    Rgb(128, 255, 0),   Rgb(0, 255, 64),    Rgb(0, 255, 255),   Rgb(0, 128, 192),   Rgb(128, 128, 192),
    Rgb(255, 0, 255),   Rgb(128, 64, 64),   Rgb(255, 128, 64),  Rgb(0, 255, 0),     Rgb(0, 128, 128),
    Rgb(0, 64, 128),    Rgb(128, 128, 255), Rgb(128, 0, 64),    Rgb(255, 0, 128),   Rgb(128, 0, 0),
    Rgb(255, 128, 0),   Rgb(0, 128, 0),     Rgb(0, 128, 64),    Rgb(0, 0, 255),     Rgb(0, 0, 160),
    Rgb(128, 0, 128),   Rgb(128, 0, 255),   Rgb(64, 0, 0),      Rgb(128, 64, 0),    Rgb(0, 64, 0),
    Rgb(0, 64, 64),     Rgb(0, 0, 128),     Rgb(0, 0, 64),      Rgb(64, 0, 64),     Rgb(64, 0, 128),
    Rgb(0, 0, 0),       Rgb(128, 128, 0),   Rgb(128, 128, 64),  Rgb(128, 128, 128), Rgb(64, 128, 128),
    Rgb(192, 192, 192), Rgb(64, 64, 64),    Rgb(255, 255, 255)};

// A grid of colour cells; a click selects one, a double click also confirms.
class TColorGrid : public TGraphicControl {
 public:
  static constexpr Integer kCellW = 22, kCellH = 18, kGap = 4;

  TColorGrid(TComponent* owner, Integer columns, Integer rows) : TGraphicControl(owner), columns_(columns) {
    colors_.assign(static_cast<std::size_t>(columns * rows), clWhite);
    SetBounds(0, 0, columns * (kCellW + kGap), rows * (kCellH + kGap));
  }

  std::vector<TColor>& Colors() { return colors_; }
  Integer Selected() const { return selected_; }
  void Select(Integer i) {
    selected_ = i;
    Invalidate();
  }
  std::function<void(TColor)> OnPick;
  std::function<void()> OnConfirm;

 protected:
  TRect Cell(Integer i) const {
    // A grid of one cell is a swatch filling the control.
    if (colors_.size() == 1) return TRect{1, 1, Width() - 1, Height() - 1};
    const Integer x = (i % columns_) * (kCellW + kGap) + kGap / 2, y = (i / columns_) * (kCellH + kGap) + kGap / 2;
    return TRect{x, y, x + kCellW, y + kCellH};
  }

  void Paint() override {
    TCanvas* c = Canvas();
    for (Integer i = 0; i < static_cast<Integer>(colors_.size()); ++i) {
      TRect r = Cell(i);
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(clBtnShadow);
      c->FillRect(TRect{r.left, r.top, r.right, r.top + 1});
      c->FillRect(TRect{r.left, r.top, r.left + 1, r.bottom});
      c->Brush()->SetColor(clBtnHighlight);
      c->FillRect(TRect{r.left, r.bottom - 1, r.right, r.bottom});
      c->FillRect(TRect{r.right - 1, r.top, r.right, r.bottom});
      c->Brush()->SetColor(colors_[static_cast<std::size_t>(i)]);
      c->FillRect(TRect{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1});
      if (i == selected_) {
        c->Brush()->SetColor(clBlack);
        c->FrameRect(TRect{r.left - 2, r.top - 2, r.right + 2, r.bottom + 2});
        c->FrameRect(TRect{r.left - 1, r.top - 1, r.right + 1, r.bottom + 1});
      }
    }
  }

  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    for (Integer i = 0; i < static_cast<Integer>(colors_.size()); ++i) {
      const TRect r = Cell(i);
      if (X >= r.left - kGap / 2 && X < r.right + kGap / 2 && Y >= r.top - kGap / 2 && Y < r.bottom + kGap / 2) {
        Select(i);
        if (OnPick) OnPick(colors_[static_cast<std::size_t>(i)]);
        return;
      }
    }
  }

  void DblClick() override {
    TGraphicControl::DblClick();
    if (selected_ >= 0 && OnConfirm) OnConfirm();
  }

 private:
  Integer columns_;
  std::vector<TColor> colors_;
  Integer selected_ = -1;
};

class TColorDialogForm : public TForm {
 public:
  explicit TColorDialogForm(TColor initial) : TForm(nullptr), color_(initial & 0x00FFFFFF) {
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    SetCaption("Color");
    SetClientSize(TPoint{430, 300});
    MakeLabel("&Basic colors:", 10, 8);
    basic_ = Make(new TColorGrid(this, 8, 6), 10, 26);
    basic_->Colors().assign(kBasicColors.begin(), kBasicColors.end());
    MakeLabel("&Custom colors:", 10, 166);
    custom_ = Make(new TColorGrid(this, 8, 2), 10, 184);
    custom_->Colors().assign(CustomColors().begin(), CustomColors().end());
    preview_ = Make(new TColorGrid(this, 1, 1), 250, 26);
    preview_->SetBounds(250, 26, 170, 60);
    preview_->SetEnabled(false);
    const char* names[3] = {"&Red:", "&Green:", "Bl&ue:"};
    for (int i = 0; i < 3; ++i) {
      MakeLabel(names[i], 250, 104 + i * 30);
      channels_[i] = Make(new TEdit(this), 320, 100 + i * 30);
      channels_[i]->SetWidth(60);
      channels_[i]->OnChange = [this](TObject*) { ChannelsChanged(); };
    }
    auto* add = Make(new TButton(this), 250, 196);
    add->SetBounds(250, 196, 170, 25);
    add->SetCaption("&Add to Custom Colors");
    add->OnClick = [this](TObject*) { AddCustom(); };
    auto* ok = Make(new TButton(this), 250, 262);
    ok->SetCaption("OK");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    auto* cancel = Make(new TButton(this), 340, 262);
    cancel->SetCaption("Cancel");
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    for (TColorGrid* g : {basic_, custom_}) {
      g->OnPick = [this, g](TColor c) {
        (g == basic_ ? custom_ : basic_)->Select(-1);
        Show(c);
      };
      g->OnConfirm = [this] { SetModalResult(mrOk); };
    }
    for (Integer i = 0; i < static_cast<Integer>(kBasicColors.size()); ++i)
      if (kBasicColors[static_cast<std::size_t>(i)] == color_) basic_->Select(i);
    Show(color_);
    SetActiveControl(ok);
  }

  TColor Color() const { return color_; }

 private:
  template <class C>
  C* Make(C* c, Integer x, Integer y) {
    c->SetParent(this);
    c->SetBounds(x, y, c->Width(), c->Height());
    return c;
  }

  void MakeLabel(const std::string& caption, Integer x, Integer y) {
    auto* l = Make(new TLabel(this), x, y);
    l->SetCaption(caption);
  }

  void Show(TColor c) {
    color_ = c & 0x00FFFFFF;
    preview_->Colors()[0] = color_;
    preview_->Invalidate();
    showing_ = true;
    for (int i = 0; i < 3; ++i) channels_[i]->SetText(std::to_string((color_ >> (8 * i)) & 0xFF));
    showing_ = false;
  }

  void ChannelsChanged() {
    if (showing_) return;
    TColor c = 0;
    for (int i = 0; i < 3; ++i) {
      const std::string t = channels_[i]->Text();
      int v = 0;
      const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
      if (ec != std::errc() || end != t.data() + t.size() || v < 0 || v > 255) return;
      c |= static_cast<TColor>(v << (8 * i));
    }
    color_ = c;
    preview_->Colors()[0] = c;
    preview_->Invalidate();
  }

  // Into the selected custom cell, else the next one in turn.
  void AddCustom() {
    static Integer next = 0;
    Integer i = custom_->Selected();
    if (i < 0) {
      i = next;
      next = (next + 1) % kCustomCount;
    }
    CustomColors()[static_cast<std::size_t>(i)] = color_;
    custom_->Colors()[static_cast<std::size_t>(i)] = color_;
    custom_->Select(i);
  }

  TColor color_;
  TColorGrid* basic_ = nullptr;
  TColorGrid* custom_ = nullptr;
  TColorGrid* preview_ = nullptr;
  TEdit* channels_[3] = {};
  bool showing_ = false;
};

}  // namespace

std::optional<TColor> RunColorDialogForm(TColor initial) {
  auto form = std::make_unique<TColorDialogForm>(initial);
  if (form->ShowModal() != mrOk) return std::nullopt;
  return form->Color();
}
