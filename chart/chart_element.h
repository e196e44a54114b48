#pragma once
// TCustomChartElement: what a chart hosts as a component (series, tools): an active
// flag, a pen and a brush, and the chart it belongs to, which it repaints whenever one
// of its settings changes. TCustomChartSeries adds what every series has before it
// holds values: a title, legend visibility, an identifier and style flags.
#include <memory>
#include <string>

#include "chart/chart_tools.h"
#include "platform/classlib/component.h"
#include "platform/classlib/exceptions.h"

class TCustomAxisPanel;
class TCanvas3D;
class TBitmap;

// Raised by the series checks.
QM_DECLARE_EXCEPTION(ChartException, Exception);

class TCustomChartElement : public TComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  // Active; a pen and a brush that repaint the element when they change.
  explicit TCustomChartElement(TComponent* AOwner);
  // Leaves the chart (SetParentChart(nullptr)) after freeing pen and brush.
  ~TCustomChartElement() override;

  // From an element: Active, Brush, Pen (through SetPen) and Tag.
  void Assign(TPersistent* source) override;

  // Invalidates the parent chart (nothing without one).
  virtual void Repaint();
  // The name of the element's editor class; empty here.
  virtual std::string GetEditorClassName() const { return std::string(); }

  bool Active() const { return active_; }
  virtual void SetActive(bool value);
  TChartBrush* Brush() const { return brush_.get(); }
  void SetBrush(TChartBrush* value) { brush_->Assign(value); }
  TChartPen* Pen() const { return pen_.get(); }
  virtual void SetPen(TChartPen* value);
  TCustomAxisPanel* ParentChart() const { return parentChart_; }
  // Stores the chart; descendants join and leave the chart's lists.
  virtual void SetParentChart(TCustomAxisPanel* value);

  // The canvas the element draws on: its chart's (nullptr without a chart).
  TCanvas3D* ParentCanvas() const;

  // The chart is the element's parent in forms.
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  // Only a TCustomAxisPanel is taken as parent.
  void SetParentComponent(TComponent* value) override;

  // ---- shared writers: store only a different value, then Repaint ----
  void ChangeBoolean(bool& Field, bool Value);
  void ChangeInteger(Integer& Field, Integer Value);
  void ChangeColor(TColor& Field, TColor Value);
  // Exact comparison.
  void ChangeDouble(Double& Field, Double Value);
  void ChangeString(std::string& Field, const std::string& Value);

  // Loads the bitmap resource named after the class (upper case), or after its parent
  // class when there is none; false when neither exists.
  static bool LoadClassGlyph(const TClass& Class, TBitmap* Bitmap);

 protected:
  bool active_ = true;

 private:
  void SubChanged(TObject* Sender);

  std::unique_ptr<TChartBrush> brush_;
  std::unique_ptr<TChartPen> pen_;
  TCustomAxisPanel* parentChart_ = nullptr;
};

// Six style flags a series keeps and copies for editors; the library gives them no
// meaning. Bit i of the stored "Style" mask is flag i.
enum TChartSeriesStyleFlag : Byte { tssFlag0, tssFlag1, tssFlag2, tssFlag3, tssFlag4, tssFlag5 };
using TChartSeriesStyle = TSet<TChartSeriesStyleFlag>;

class TCustomChartSeries : public TCustomChartElement {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TCustomChartSeries(TComponent* AOwner);

  // From a series: ShowInLegend, Title, Style, Identifier, then the element's.
  void Assign(TPersistent* source) override;
  // "Identifier" (string, when not empty) and "Style" (bit mask, when not empty).
  void DefineProperties(TFiler* filer) override;

  // Pixel room the series needs beyond its extreme points; nothing here.
  virtual void HorizPixelMargins(Integer& Left, Integer& Right);
  virtual void VertPixelMargins(Integer& Top, Integer& Bottom);

  bool ShowInLegend() const { return showInLegend_; }
  void SetShowInLegend(bool value) { ChangeBoolean(showInLegend_, value); }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& value);
  const std::string& Identifier() const { return identifier_; }
  void SetIdentifier(const std::string& value) { identifier_ = value; }
  TChartSeriesStyle Style() const { return style_; }
  void SetStyle(TChartSeriesStyle value) { style_ = value; }

  // Switches the chart between 2D and 3D (galleries).
  void SetChartView3D(bool value);

  // True when either object's class is the other's or derives from it.
  static bool ClassesRelated(const TObject* A, const TObject* B);

 private:
  bool showInLegend_ = true;
  std::string title_;
  std::string identifier_;
  TChartSeriesStyle style_;
};
