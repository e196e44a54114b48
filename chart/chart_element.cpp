#include "chart/chart_element.h"

#include "chart/axis_panel.h"
#include "chart/chart_canvas.h"
#include "chart/chart_series.h"
#include "chart/chart_utils.h"

// ---- TCustomChartElement ---------------------------------------------------------------

const TClass& TCustomChartElement::StaticClass() {
  static const TClass cls =
      TClass::Of<TCustomChartElement>("TCustomChartElement", TComponent::StaticClass(), &TCustomChartElement::Publish);
  return cls;
}

void TCustomChartElement::Publish(TPublished& published) {
  auto p = published.For<TCustomChartElement>();
  p.Boolean("Active", &TCustomChartElement::Active, &TCustomChartElement::SetActive).Default(true);
}

TCustomChartElement::TCustomChartElement(TComponent* AOwner) : TComponent(AOwner) {
  auto changed = [this](TObject* Sender) { SubChanged(Sender); };
  brush_ = std::make_unique<TChartBrush>(changed);
  pen_ = std::make_unique<TChartPen>(changed);
}

TCustomChartElement::~TCustomChartElement() {
  pen_.reset();
  brush_.reset();
  // Descendants have left their chart already (their destructors ran); this only
  // forgets the link.
  parentChart_ = nullptr;
}

void TCustomChartElement::SubChanged(TObject* Sender) {
  (void)Sender;
  Repaint();
}

void TCustomChartElement::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TCustomChartElement*>(source)) {
    active_ = src->active_;
    brush_->Assign(src->brush_.get());
    SetPen(src->pen_.get());
    SetTag(src->Tag());
    return;
  }
  TComponent::Assign(source);
}

void TCustomChartElement::Repaint() {
  if (parentChart_) parentChart_->Invalidate();
}

void TCustomChartElement::SetActive(bool value) { ChangeBoolean(active_, value); }

void TCustomChartElement::SetPen(TChartPen* value) { pen_->Assign(value); }

void TCustomChartElement::SetParentChart(TCustomAxisPanel* value) { parentChart_ = value; }

TCanvas3D* TCustomChartElement::ParentCanvas() const { return parentChart_ ? parentChart_->Canvas() : nullptr; }

TComponent* TCustomChartElement::GetParentComponent() const { return parentChart_; }

void TCustomChartElement::SetParentComponent(TComponent* value) {
  if (auto* chart = dynamic_cast<TCustomAxisPanel*>(value)) SetParentChart(chart);
}

void TCustomChartElement::ChangeBoolean(bool& Field, bool Value) {
  if (Field == Value) return;
  Field = Value;
  Repaint();
}

void TCustomChartElement::ChangeInteger(Integer& Field, Integer Value) {
  if (Field == Value) return;
  Field = Value;
  Repaint();
}

void TCustomChartElement::ChangeColor(TColor& Field, TColor Value) {
  if (Field == Value) return;
  Field = Value;
  Repaint();
}

void TCustomChartElement::ChangeDouble(Double& Field, Double Value) {
  if (Field == Value) return;
  Field = Value;
  Repaint();
}

void TCustomChartElement::ChangeString(std::string& Field, const std::string& Value) {
  if (Field == Value) return;
  Field = Value;
  Repaint();
}

bool TCustomChartElement::LoadClassGlyph(const TClass& Class, TBitmap* Bitmap) {
  if (LoadNamedBitmap(Class.ClassName(), Bitmap)) return true;
  const TClass* parent = Class.ClassParent();
  return parent && LoadNamedBitmap(parent->ClassName(), Bitmap);
}

// ---- TCustomChartSeries ----------------------------------------------------------------

const TClass& TCustomChartSeries::StaticClass() {
  static const TClass cls = TClass::Of<TCustomChartSeries>("TCustomChartSeries", TCustomChartElement::StaticClass(),
                                                           &TCustomChartSeries::Publish);
  return cls;
}

void TCustomChartSeries::Publish(TPublished& published) {
  auto p = published.For<TCustomChartSeries>();
  p.Boolean("ShowInLegend", &TCustomChartSeries::ShowInLegend, &TCustomChartSeries::SetShowInLegend).Default(true);
  p.String("Title", &TCustomChartSeries::Title, &TCustomChartSeries::SetTitle).Default("");
}

TCustomChartSeries::TCustomChartSeries(TComponent* AOwner) : TCustomChartElement(AOwner) {}

void TCustomChartSeries::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TCustomChartSeries*>(source)) {
    showInLegend_ = src->showInLegend_;
    title_ = src->title_;
    style_ = src->style_;
    identifier_ = src->identifier_;
  }
  TCustomChartElement::Assign(source);
}

void TCustomChartSeries::DefineProperties(TFiler* filer) {
  TCustomChartElement::DefineProperties(filer);
  filer->DefineProperty(
      "Identifier", [this](TReader& reader) { identifier_ = reader.ReadString(); },
      [this](TWriter& writer) { writer.WriteString(identifier_); }, !identifier_.empty());
  filer->DefineProperty(
      "Style",
      [this](TReader& reader) {
        const Integer bits = reader.ReadInteger();
        TChartSeriesStyle s;
        for (Integer i = 0; i <= tssFlag5; ++i)
          if (bits & (1 << i)) s.Include(static_cast<TChartSeriesStyleFlag>(i));
        style_ = s;
      },
      [this](TWriter& writer) { writer.WriteInteger(static_cast<Int64>(style_.Bits())); }, !style_.Empty());
}

void TCustomChartSeries::HorizPixelMargins(Integer& Left, Integer& Right) {
  (void)Left;
  (void)Right;
}

void TCustomChartSeries::VertPixelMargins(Integer& Top, Integer& Bottom) {
  (void)Top;
  (void)Bottom;
}

void TCustomChartSeries::SetTitle(const std::string& value) {
  if (title_ == value) return;
  ChangeString(title_, value);
  // Legends and tools that show the title hear of it.
  auto* series = dynamic_cast<TChartSeries*>(this);
  if (series && ParentChart()) ParentChart()->BroadcastSeriesEvent(series, seChangeTitle);
}

void TCustomChartSeries::SetChartView3D(bool value) {
  if (ParentChart()) ParentChart()->SetView3D(value);
}

bool TCustomChartSeries::ClassesRelated(const TObject* A, const TObject* B) {
  if (!A || !B) return false;
  return A->InheritsFrom(B->ClassType()) || B->InheritsFrom(A->ClassType());
}
