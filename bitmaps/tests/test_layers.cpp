// Layers: the collection's order, updates and notifications, hit tests (positioned,
// scaled, alpha), cropped painting, and the mouse routed by the window system through
// an image to the top layer that is hit, held by that layer while a button is down.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "bitmaps/image32.h"
#include "bitmaps/layers.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/screen.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/window.h"

namespace {

using Log = std::vector<std::string>;

std::string Pt(Integer x, Integer y) { return std::to_string(x) + "," + std::to_string(y); }

// A layer that records what reaches it.
class TProbeLayer : public TPositionedLayer {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TProbeLayer>("TProbeLayer", TPositionedLayer::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }

  TProbeLayer(TLayerCollection* c, std::string n = "", Log* l = nullptr, TFloatRect where = {0, 0, 64, 64})
      : TPositionedLayer(c), name(std::move(n)), log(l) {
    SetLocation(where);
    OnMouseDown = [this](TObject*, TMouseButton, TShiftState, Integer x, Integer y) { Note("down " + Pt(x, y)); };
    OnMouseMove = [this](TObject*, TShiftState, Integer x, Integer y) { Note("move " + Pt(x, y)); };
    OnMouseUp = [this](TObject*, TMouseButton, TShiftState, Integer x, Integer y) { Note("up " + Pt(x, y)); };
  }
  ~TProbeLayer() override { BeforeDestruction(); }

  std::string name;
  Log* log;

 protected:
  void Notification(TCustomLayer* ALayer) override { Note("told of " + static_cast<TProbeLayer*>(ALayer)->name); }

 private:
  void Note(const std::string& s) {
    if (log) log->push_back(name + " " + s);
  }
};

// ---- the collection --------------------------------------------------------------------------

TEST(LayerCollection, OrderIndicesUpdatesAndChangeReports) {
  TLayerCollection c(nullptr);
  Log events;
  c.OnChanging = [&](TObject*) { events.push_back("changing"); };
  c.OnChange = [&](TObject*) { events.push_back("change"); };
  c.OnGDIUpdate = [&](TObject*) { events.push_back("gdi"); };
  TCustomLayer* a = c.Add(TCustomLayer::StaticClass());
  auto* b = c.Add<TBitmapLayer>();
  EXPECT_EQ(events, (Log{"changing", "change", "changing", "change"}));
  EXPECT_THROW(c.Add(TBitmap32::StaticClass()), EInvalidOperation);
  EXPECT_EQ(a->LayerOptions(), kLayerVisible);
  EXPECT_EQ(b->LayerOptions(), kLayerVisible | kLayerMouseEvents);

  // Indices are clamped.
  a->SetIndex(99);
  EXPECT_EQ(c.Items(1), a);
  b->SetIndex(-5);
  EXPECT_EQ(b->Index(), 0);

  // Nested updates report their begin and end once; a layer's change inside them is
  // reported at once, a GDI overlay's repaint only outside them.
  a->SetLayerOptions(kLayerGDIOverlay);
  events.clear();
  c.BeginUpdate();
  c.BeginUpdate();
  b->SetLocation(TFloatRect{1, 2, 3, 4});
  a->Changed();
  c.EndUpdate();
  c.EndUpdate();
  EXPECT_EQ(events, (Log{"changing", "changing", "change", "change"}));
  a->SetLayerOptions(kLayerVisible);

  // An unpaired end is refused and leaves the count at zero.
  events.clear();
  try {
    c.EndUpdate();
    ADD_FAILURE() << "no exception";
  } catch (const EAssertionFailed& e) {
    EXPECT_STREQ(e.what(), "Unpaired EndUpdate");
  }
  EXPECT_EQ(c.UpdateCount(), 0);
  b->Bitmap()->SetSize(2, 2);
  EXPECT_EQ(events, (Log{"change"}));

  // Hiding a layer is a change (it must be painted away); a hidden layer changes
  // silently unless it draws over the buffer; the no-update bit silences all.
  events.clear();
  b->SetVisible(false);
  b->SetLocation(TFloatRect{5, 5, 6, 6});
  b->SetLayerOptions(kLayerGDIOverlay);
  b->SetLayerOptions(kLayerVisible | kLayerNoUpdate);
  b->SetCropped(true);
  EXPECT_EQ(events, (Log{"changing", "change", "gdi"}));
}

TEST(LayerCollection, AFreedLayerTellsItsListLastFirstAndNeverAFreedOne) {
  Log log;
  TLayerCollection c(nullptr);
  auto* a = c.Add<TProbeLayer>();
  a->name = "A";
  auto* b = new TProbeLayer(&c, "B", &log);
  auto* d = new TProbeLayer(&c, "D", &log);
  auto* e = new TProbeLayer(&c, "E", &log);
  for (TCustomLayer* l : {static_cast<TCustomLayer*>(b), static_cast<TCustomLayer*>(e), static_cast<TCustomLayer*>(d)})
    a->AddNotification(l);
  a->OnDestroy = [&](TObject* sender) { log.push_back("destroying " + static_cast<TProbeLayer*>(sender)->name); };
  delete b;  // leaves A's list
  delete a;
  EXPECT_EQ(log, (Log{"destroying A", "D told of A", "E told of A"}));
  EXPECT_EQ(c.Count(), 2);
}

// ---- hit tests -----------------------------------------------------------------------------------

TEST(LayerHitTest, PositionedScaledAndAlphaHits) {
  TLayerCollection c(nullptr);
  TProbeLayer bottom(&c, "B", nullptr, TFloatRect{0, 0, 100, 100});
  TProbeLayer top(&c, "T", nullptr, TFloatRect{10.5f, 20, 30, 40.5f});
  // Left <= X < Right, Top <= Y < Bottom.
  EXPECT_EQ(c.FindLayerAtPos(10, 25, kLayerMouseEvents), &bottom);
  EXPECT_EQ(c.FindLayerAtPos(11, 25, kLayerMouseEvents), &top);
  EXPECT_EQ(c.FindLayerAtPos(29, 40, kLayerMouseEvents), &top);
  EXPECT_EQ(c.FindLayerAtPos(30, 25, kLayerMouseEvents), &bottom);
  EXPECT_EQ(c.FindLayerAtPos(15, 41, kLayerMouseEvents), &bottom);
  EXPECT_EQ(c.FindLayerAtPos(100, 5, kLayerMouseEvents), nullptr);
  top.SetLayerOptions(kLayerVisible);
  EXPECT_EQ(c.FindLayerAtPos(11, 25, kLayerMouseEvents), &bottom);

  // Scaled: the location is in bitmap coordinates, mapped by the image's transform.
  const TCoordXForm xf{2 * 65536, 3 * 65536, 5, 7, 32768, 21845};
  c.SetCoordXForm(&xf);
  top.SetLocation(TFloatRect{1, 1, 3, 3});
  top.SetScaled(true);
  EXPECT_EQ(top.GetAdjustedLocation(), (TFloatRect{7, 10, 11, 16}));
  EXPECT_TRUE(top.DoHitTest(7, 10));
  EXPECT_FALSE(top.DoHitTest(11, 15));

  // Alpha: a 4 x 4 bitmap over 8 x 8 pixels with one transparent pixel at (1, 1).
  auto* layer = c.Add<TBitmapLayer>();
  TBitmap32* b = layer->Bitmap();
  b->SetSize(4, 4);
  b->Clear(0xFF808080u);
  b->SetPixel(1, 1, 0x00808080u);
  b->SetPixel(3, 0, 0x01000000u);
  layer->SetLocation(TFloatRect{10, 20, 18, 28});
  EXPECT_EQ(c.FindLayerAtPos(12, 22, kLayerMouseEvents), layer);
  layer->SetAlphaHit(true);
  // (12, 22) reads round(2 * 4 / 8) = 1 on both axes: the transparent pixel.
  EXPECT_EQ(c.FindLayerAtPos(12, 22, kLayerMouseEvents), &bottom);
  EXPECT_TRUE(layer->DoHitTest(13, 23));  // 1.5 rounds to 2
  EXPECT_TRUE(layer->DoHitTest(11, 21));  // 0.5 rounds to 0
  EXPECT_TRUE(layer->DoHitTest(16, 20));  // alpha 1 counts
  EXPECT_FALSE(layer->DoHitTest(9, 22));
  // A location that rounds to no width hits nothing.
  layer->SetLocation(TFloatRect{10, 20, 10.4f, 28});
  EXPECT_FALSE(layer->DoHitTest(10, 22));
}

// ---- painting and the mouse on an image -----------------------------------------------------------

class LayerImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(100, 50, 400, 300);
    image_ = new TImage32(form_.get());
    image_->SetParent(form_.get());
    image_->SetColor(0x00FFFFFF);
    form_->Show();
    win::PumpPendingMessages();
  }
  void TearDown() override {
    form_.reset();
    win::ResetWindowSystem();
    Screen->SetCursor(crDefault);
  }

  void Inject(char what, int x, int y) {
    win::POINT p = win::ScreenPointOf(image_->Handle(), x, y);
    if (what == 'm') win::InjectMouseMove(p.x, p.y);
    if (what == 'd') win::InjectMouseDown(win::MouseButton::Left, p.x, p.y);
    if (what == 'u') win::InjectMouseUp(win::MouseButton::Left, p.x, p.y);
    win::PumpPendingMessages();
  }
  TColor32 At(Integer x, Integer y) { return image_->Buffer()->Pixel(x, y); }

  std::unique_ptr<TForm> form_;
  TImage32* image_ = nullptr;
  Log log_;
};

TColor32 LayerPixel(Integer x, Integer y) {
  return Color32(static_cast<Byte>(0x10 + x), static_cast<Byte>(0x20 + y), 0x30);
}

TEST_F(LayerImageTest, ACroppedLayerPaintsOnlyOverTheBitmapFromTheMatchingSourcePixels) {
  image_->SetBounds(10, 20, 40, 30);
  image_->SetBitmapAlign(baCenter);
  image_->Bitmap()->SetSize(10, 10);  // at (15, 10, 25, 20)
  image_->Bitmap()->Clear(0xFF000000u);
  auto* layer = image_->Layers()->Add<TBitmapLayer>();
  layer->Bitmap()->SetSize(4, 4);
  for (Integer y = 0; y < 4; ++y)
    for (Integer x = 0; x < 4; ++x) layer->Bitmap()->SetPixel(x, y, LayerPixel(x, y));
  layer->SetLocation(TFloatRect{13, 8, 21, 16});

  image_->Repaint();
  EXPECT_EQ(At(13, 8), LayerPixel(0, 0));
  EXPECT_EQ(At(15, 10), LayerPixel(1, 1));
  EXPECT_EQ(At(20, 15), LayerPixel(3, 3));
  EXPECT_EQ(At(21, 15), 0xFF000000u);

  // Cut to (15, 10, 21, 16): source (1, 1, 4, 4) onto those 6 x 6 pixels.
  layer->SetCropped(true);
  image_->Repaint();
  for (TPoint p : {TPoint{13, 8}, TPoint{14, 12}, TPoint{17, 9}}) EXPECT_EQ(At(p.x, p.y), 0xFFFFFFFFu) << p.x;
  EXPECT_EQ(At(15, 10), LayerPixel(1, 1));
  EXPECT_EQ(At(16, 11), LayerPixel(1, 1));
  EXPECT_EQ(At(17, 12), LayerPixel(2, 2));
  EXPECT_EQ(At(20, 15), LayerPixel(3, 3));

  // Scaled with the bitmap (20 x 20 at (10, 5)): (1, 1, 5, 5) lands on (12, 7, 20, 15).
  image_->SetScaleMode(smScale);
  image_->SetScale(2);
  layer->SetScaled(true);
  layer->SetLocation(TFloatRect{1, 1, 5, 5});
  image_->Repaint();
  EXPECT_EQ(At(12, 7), LayerPixel(0, 0));
  EXPECT_EQ(At(19, 14), LayerPixel(3, 3));
  EXPECT_EQ(At(11, 7), 0xFF000000u);

  // Wholly off the bitmap a cropped layer paints nothing; hidden, no layer paints.
  layer->SetLocation(TFloatRect{-5, -5, -1, -1});
  image_->Repaint();
  EXPECT_EQ(At(0, 0), 0xFFFFFFFFu);
  layer->SetCropped(false);
  layer->SetVisible(false);
  image_->Repaint();
  EXPECT_EQ(At(0, 0), 0xFFFFFFFFu);
}

class LayerMouseTest : public LayerImageTest {
 protected:
  void SetUp() override {
    LayerImageTest::SetUp();
    image_->SetBounds(10, 20, 200, 150);
    image_->SetCursor(crCross);
    bottom_ = new TProbeLayer(image_->Layers(), "B", &log_, TFloatRect{0, 0, 100, 100});
    top_ = new TProbeLayer(image_->Layers(), "T", &log_, TFloatRect{50, 50, 150, 150});
    image_->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, Integer x, Integer y, TCustomLayer* l) {
      log_.push_back("image down " + Pt(x, y) + " " + (l ? static_cast<TProbeLayer*>(l)->name : "none"));
    };
  }

  TProbeLayer* bottom_ = nullptr;
  TProbeLayer* top_ = nullptr;
};

TEST_F(LayerMouseTest, AClickGoesToTheTopLayerUnderTheMouse) {
  for (TPoint p : {TPoint{75, 75}, TPoint{25, 30}, TPoint{180, 140}}) {
    Inject('m', p.x, p.y);
    Inject('d', p.x, p.y);
    Inject('u', p.x, p.y);
  }
  EXPECT_EQ(log_, (Log{"T move 75,75", "T down 75,75", "image down 75,75 T", "T up 75,75",  //
                       "B move 25,30", "B down 25,30", "image down 25,30 B", "B up 25,30",  //
                       "image down 180,140 none"}));
  // Over no layer the screen shows the control's cursor.
  EXPECT_EQ(Screen->Cursor(), crCross);

  log_.clear();
  image_->Layers()->SetMouseEvents(false);
  Inject('d', 75, 75);
  Inject('u', 75, 75);
  EXPECT_EQ(log_, (Log{"image down 75,75 none"}));
}

TEST_F(LayerMouseTest, ThePressedLayerKeepsTheMouseWhileDragging) {
  top_->SetCursor(crHandPoint);
  Inject('m', 75, 75);
  EXPECT_EQ(Screen->Cursor(), crHandPoint);
  Inject('d', 75, 75);
  EXPECT_EQ(image_->Layers()->MouseListener(), top_);
  EXPECT_TRUE(top_->Clicked().Contains(mbLeft));
  EXPECT_EQ(win::GetCapture(), image_->Handle());

  // Over the bottom layer, then beyond the form: still the top layer's.
  log_.clear();
  Inject('m', 20, 20);
  Inject('m', -30, 250);
  Inject('u', -30, 250);
  EXPECT_EQ(log_, (Log{"T move 20,20", "T move -30,250", "T up -30,250"}));
  EXPECT_EQ(image_->Layers()->MouseListener(), nullptr);
  EXPECT_EQ(win::GetCapture(), nullptr);
  EXPECT_EQ(Screen->Cursor(), crDefault);

  // A layer that never captures takes the press but not the mouse.
  top_->SetLayerOptions(kLayerVisible | kLayerMouseEvents | kLayerNoCapture);
  log_.clear();
  Inject('m', 75, 75);
  Inject('d', 75, 75);
  Inject('m', 20, 20);
  EXPECT_EQ(log_, (Log{"T move 75,75", "image down 75,75 T", "B move 20,20"}));
  Inject('u', 20, 20);

  // A listener freed while dragging hands the mouse back.
  top_->SetLayerOptions(kLayerVisible | kLayerMouseEvents);
  Inject('m', 75, 75);
  Inject('d', 75, 75);
  delete top_;
  EXPECT_EQ(image_->Layers()->MouseListener(), nullptr);
  log_.clear();
  Inject('m', 20, 20);
  Inject('u', 20, 20);
  EXPECT_EQ(log_, (Log{"B move 20,20", "B up 20,20"}));
}

}  // namespace
