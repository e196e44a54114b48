// Items and containers: round trips of every item kind through streams and through form
// files, container streams and files, change notification, and ownership.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "controlkit/kit_container.h"
#include "controlkit/kit_image_list.h"
#include "controlkit/kit_items.h"
#include "controlkit/kit_wave.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/form_writer.h"
#include "platform/classlib/resources.h"
#include "platform/classlib/streams.h"

namespace {

// A root that writes its owned components that have no parent, as a form does.
class TKitTestRoot : public TComponent {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TKitTestRoot>("TKitTestRoot", TComponent::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  explicit TKitTestRoot(TComponent* AOwner) : TComponent(AOwner) {}
  void GetChildren(const TGetChildProc& proc, TComponent*) override {
    for (int i = 0; i < ComponentCount(); ++i)
      if (!Components(i)->HasParent()) proc(Components(i));
  }
};

const bool kRootRegistered = [] {
  RegisterClass(TKitTestRoot::StaticClass());
  return true;
}();

std::vector<Byte> BytesOf(TMemoryStream& s) {
  const Byte* p = static_cast<const Byte*>(s.Memory());
  return std::vector<Byte>(p, p + s.Size());
}

// A mono 8 kHz wave with four samples.
std::vector<Byte> WaveFile() {
  return {'R', 'I', 'F', 'F', 40, 0,    0,    0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0,
          0x40, 0x1F, 0, 0, 0x40, 0x1F, 0,    0, 1,   0,   8,   0,   'd', 'a', 't', 'a', 4,  0, 0, 0, 1, 2, 3, 4};
}

void LoadWave(TKitWave& wave) {
  const std::vector<Byte> bytes = WaveFile();
  TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  s.SetPosition(0);
  wave.LoadFromStream(s);
}

std::vector<Byte> WaveBytes(TKitWave& wave) {
  TMemoryStream s;
  wave.SaveToStream(s);
  return BytesOf(s);
}

void Paint(TBitmap& bmp, int w, int h) {
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bmp.Canvas()->SetPixels(x, y, (x * 60) | ((y * 80) << 8) | 0x400000);
}

bool SamePixels(TBitmap& a, TBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Canvas()->Pixels(x, y) != b.Canvas()->Pixels(x, y)) return false;
  return true;
}

template <class Item>
std::unique_ptr<Item> RoundTrip(Item& item) {
  TMemoryStream s;
  item.SaveToStream(s);
  s.SetPosition(0);
  auto back = std::make_unique<Item>(nullptr);
  back->LoadFromStream(s);
  EXPECT_EQ(s.Position(), s.Size()) << "the reader stops where the writer stopped";
  return back;
}

// ---- round trips of every item kind -------------------------------------------------------------------

TEST(KitItems, StringItemsRoundTrip) {
  for (bool compressed : {false, true}) {
    TKitStringListItem item(nullptr);
    item.SetDescription("Tool parameters");
    item.SetIdent(0xFFFF);
    item.SetCompressed(compressed);
    for (int i = 0; i < 200; ++i) item.Items()->Add("Line " + std::to_string(i % 7));
    auto back = RoundTrip(item);
    EXPECT_EQ(back->Description(), "Tool parameters");
    EXPECT_EQ(back->Ident(), 0xFFFF);
    EXPECT_EQ(back->Compressed(), compressed);
    EXPECT_EQ(back->Items()->Text(), item.Items()->Text());
  }
}

TEST(KitItems, BitmapItemsRoundTripInEveryFormat) {
  TBitmap picture;
  Paint(picture, 7, 5);
  for (bool compressed : {false, true}) {
    SCOPED_TRACE(compressed);
    TKitBitmapListItem item(nullptr);
    item.SetCompressed(compressed);
    item.SetBitmap(&picture);
    auto back = RoundTrip(item);
    EXPECT_EQ(back->PixelFormat(), spfDefault);
    EXPECT_TRUE(SamePixels(*back->Bitmap(), picture));

    // At 1, 4 and 8 bits the size and the format code survive; black and white survive
    // every depth.
    TBitmap bw;
    bw.SetPixelFormat(pf24bit);
    bw.SetSize(9, 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 9; ++x) bw.Canvas()->SetPixels(x, y, ((x + y) & 1) ? 0xFFFFFF : 0);
    for (TKitSavePixelFormat format : {spfMono, spf4bit, spf8bit}) {
      TKitBitmapListItem low(nullptr);
      low.SetCompressed(compressed);
      low.SetPixelFormat(format);
      low.SetBitmap(&bw);
      auto lowBack = RoundTrip(low);
      EXPECT_EQ(lowBack->PixelFormat(), format);
      EXPECT_TRUE(SamePixels(*lowBack->Bitmap(), bw)) << format;
      TMemoryStream s;
      low.SaveToStream(s);
      EXPECT_EQ(BytesOf(s)[0], kKitFlagPayload | KitPixelFormatFlags(format) | (compressed ? 1 : 0));
    }
  }
}

TEST(KitItems, WaveItemsRoundTrip) {
  for (bool compressed : {false, true}) {
    TKitWaveListItem item(nullptr);
    item.SetDescription("click");
    item.SetCompressed(compressed);
    LoadWave(*item.Wave());
    TMemoryStream s;
    item.SaveToStream(s);
    const std::vector<Byte> b = BytesOf(s);
    if (!compressed) {
      // Header, then the 4-byte length and the RIFF file.
      ASSERT_EQ(b.size(), 1 + 1 + 5 + 4 + WaveFile().size());
      EXPECT_EQ(b[7], WaveFile().size());
    }
    auto back = RoundTrip(item);
    EXPECT_EQ(back->Description(), "click");
    EXPECT_EQ(WaveBytes(*back->Wave()), WaveFile());
  }
  // An item without payload clears the wave it had.
  TKitWaveListItem item(nullptr);
  LoadWave(*item.Wave());
  TMemoryStream empty;
  empty.WriteBuffer("\0", 1);
  empty.SetPosition(0);
  item.LoadFromStream(empty);
  EXPECT_TRUE(item.Wave()->IsEmpty());
}

TEST(KitItems, AnInvalidWaveIsRefusedAndTheOldKept) {
  TKitWaveListItem item(nullptr);
  LoadWave(*item.Wave());
  std::vector<Byte> bad = {0x08, 8, 0, 0, 0, 'R', 'I', 'F', 'F', 0, 0, 0, 0};
  TMemoryStream s;
  s.WriteBuffer(bad.data(), static_cast<Int64>(bad.size()));
  s.SetPosition(0);
  EXPECT_THROW(item.LoadFromStream(s), Exception);
  EXPECT_EQ(WaveBytes(*item.Wave()), WaveFile());
}

// ---- form files -----------------------------------------------------------------------------------------

TEST(KitItemsForm, TheWorkedItemReadFromAFormText) {
  const std::string text =
      "object Root: TKitTestRoot\r\n"
      "  object Strings: TKitStringList\r\n"
      "    object Fan: TKitStringListItem\r\n"
      "      Internal = {\r\n"
      "        0E0346616E02000000"
      "1A00000046616E0D0A506F7765720D0A506F776572204A69747465720D0A}\r\n"
      "    end\r\n"
      "    object Empty: TKitStringListItem\r\n"
      "      Internal = {0401000000}\r\n"
      "    end\r\n"
      "  end\r\n"
      "end\r\n";
  std::unique_ptr<TComponent> root = ReadComponentText(text);
  auto* list = dynamic_cast<TKitStringList*>(root->FindComponent("Strings"));
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->Count(), 2);
  TKitStringListItem* fan = list->GetItemAt(0);
  EXPECT_EQ(fan->Name(), "Fan");
  EXPECT_EQ(fan->Description(), "Fan");
  EXPECT_EQ(fan->Ident(), 2);
  EXPECT_EQ(fan->Items()->Text(), "Fan\r\nPower\r\nPower Jitter\r\n");
  EXPECT_EQ(list->GetItemAt(1)->Ident(), 1);
  EXPECT_TRUE(list->GetItemAt(1)->IsEmpty());
  EXPECT_EQ(fan->Container(), list);
}

TEST(KitItemsForm, EveryKindRoundTripsThroughTheFormWriterAndReader) {
  TKitTestRoot root(nullptr);
  root.SetName("Root");
  auto* strings = new TKitStringList(&root);
  strings->SetName("Strings");
  auto* line = new TKitStringListItem(&root);
  line->SetName("Line1");
  line->SetDescription("first");
  line->Items()->Add("alpha");
  line->Items()->Add("beta");
  strings->Add(line);
  strings->GetItemAt(strings->Add())->SetIdent(9);  // unnamed, owned by the list

  auto* bitmaps = new TKitBitmapList(&root);
  bitmaps->SetName("Bitmaps");
  TBitmap picture;
  Paint(picture, 4, 3);
  bitmaps->GetItemAt(bitmaps->Add())->SetBitmap(&picture);

  auto* waves = new TKitWaveList(&root);
  waves->SetName("Waves");
  auto* click = waves->GetItemAt(waves->Add());
  click->SetCompressed(true);
  LoadWave(*click->Wave());

  auto* images = new TKitImageList(&root);
  images->SetName("Images");
  auto* strip = static_cast<TKitImageListItem*>(images->GetItem(images->Add()));
  strip->SetWidth(4);
  strip->SetHeight(3);
  strip->Add(&picture, nullptr);

  const std::string text = WriteComponentText(&root);
  EXPECT_NE(text.find("Internal = {"), std::string::npos);
  // Everything an item holds travels inside "Internal" only.
  EXPECT_EQ(text.find("Description"), std::string::npos);
  EXPECT_EQ(text.find("Ident ="), std::string::npos);
  EXPECT_EQ(text.find("Items.Strings"), std::string::npos);

  std::unique_ptr<TComponent> read = ReadComponentText(text);
  auto* s = dynamic_cast<TKitStringList*>(read->FindComponent("Strings"));
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->Count(), 2);
  EXPECT_EQ(s->GetItemAt(0)->Name(), "Line1");
  EXPECT_EQ(s->GetItemAt(0)->Description(), "first");
  EXPECT_EQ(s->GetItemAt(0)->Items()->Text(), "alpha\r\nbeta\r\n");
  EXPECT_EQ(s->GetItemAt(1)->Ident(), 9);

  auto* b = dynamic_cast<TKitBitmapList*>(read->FindComponent("Bitmaps"));
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(b->Count(), 1);
  EXPECT_TRUE(SamePixels(*b->GetItemAt(0)->Bitmap(), picture));

  auto* w = dynamic_cast<TKitWaveList*>(read->FindComponent("Waves"));
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->Count(), 1);
  EXPECT_TRUE(w->GetItemAt(0)->Compressed());
  EXPECT_EQ(WaveBytes(*w->GetItemAt(0)->Wave()), WaveFile());

  auto* i = dynamic_cast<TKitImageList*>(read->FindComponent("Images"));
  ASSERT_NE(i, nullptr);
  ASSERT_EQ(i->Count(), 1);
  EXPECT_EQ(i->ImageCount(0), 1);
  TBitmap image;
  ASSERT_TRUE(i->GetBitmap(0, 0, &image));
  EXPECT_TRUE(SamePixels(image, picture));

  // Writing what was read gives the same text.
  EXPECT_EQ(WriteComponentText(read.get()), text);
}

TEST(KitItemsForm, ADamagedInternalBlockFailsTheRead) {
  const std::string text =
      "object Root: TKitTestRoot\r\n"
      "  object Strings: TKitStringList\r\n"
      "    object Bad: TKitStringListItem\r\n"
      "      Internal = {08FFFFFF7F41}\r\n"
      "    end\r\n"
      "  end\r\n"
      "end\r\n";
  EXPECT_THROW(ReadComponentText(text), EReadError);
}

// ---- containers --------------------------------------------------------------------------------------

TEST(KitContainers, ContainerStreamsRoundTripAndFailWhole) {
  TKitStringList list(nullptr);
  for (int i = 0; i < 3; ++i) {
    auto* item = list.GetItemAt(list.Add());
    item->SetIdent(static_cast<Word>(i + 1));
    item->Items()->Add(std::string(i + 1, 'z'));
  }
  for (bool index : {false, true}) {
    TMemoryStream s;
    list.SaveToStream(s, index);
    s.SetPosition(0);
    TKitStringList back(nullptr);
    int changes = 0;
    back.OnChange = [&](TObject*) { ++changes; };
    back.LoadFromStream(s, index);
    EXPECT_EQ(changes, 1) << "one change for the whole load";
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(back.GetItemAt(2)->Items()->Strings(0), "zzz");
    EXPECT_EQ(back.GetItemAt(2)->Container(), &back);
    EXPECT_EQ(back.GetItemAt(2)->Owner(), &back);
  }

  // A stream whose last item is cut off changes nothing.
  TMemoryStream s;
  list.SaveToStream(s, false);
  s.SetSize(s.Size() - 2);
  s.SetPosition(0);
  TKitStringList target(nullptr);
  target.GetItemAt(target.Add())->SetDescription("before");
  int changes = 0;
  target.OnChange = [&](TObject*) { ++changes; };
  EXPECT_THROW(target.LoadFromStream(s, false), EReadError);
  ASSERT_EQ(target.Count(), 1);
  EXPECT_EQ(target.GetItemAt(0)->Description(), "before");
  EXPECT_EQ(changes, 0);

  // A count far beyond the bytes is refused before any item is made.
  TMemoryStream huge;
  const Byte count[] = {0xFF, 0xFF, 0xFF, 0x7F, 0};
  huge.WriteBuffer(count, sizeof(count));
  huge.SetPosition(0);
  EXPECT_THROW(target.LoadFromStream(huge, false), EReadError);
  EXPECT_EQ(target.Count(), 1);
}

TEST(KitContainers, ContainerFiles) {
  const std::string dir = ::testing::TempDir();
  const std::string bitmapFile = dir + "kit_items_bitmaps.bml";
  TKitBitmapList list(nullptr);
  TBitmap first, second;
  Paint(first, 3, 3);
  Paint(second, 5, 2);
  list.GetItemAt(list.Add())->SetBitmap(&first);
  list.GetItemAt(list.Add())->SetBitmap(&second);
  list.SaveToFile(bitmapFile);

  TBitmap loaded;
  LoadBitmapFromFile(bitmapFile, 1, &loaded);
  EXPECT_TRUE(SamePixels(loaded, second));

  TKitBitmapList whole(nullptr);
  whole.LoadFromFile(bitmapFile);
  ASSERT_EQ(whole.Count(), 2);
  EXPECT_TRUE(SamePixels(*whole.GetItemAt(0)->Bitmap(), first));

  TKitBitmapList viaFile(nullptr);
  TKitBitmapListItem item(nullptr);
  LoadItemFromFile(bitmapFile, ckBitmapList, &viaFile, &item, 0);
  EXPECT_EQ(viaFile.Count(), 2);
  EXPECT_TRUE(SamePixels(*item.Bitmap(), first));

  // Another kind of file, and an item the file does not have.
  try {
    TKitStringList strings(nullptr);
    strings.LoadFromFile(bitmapFile);
    FAIL() << "a bitmap-list file was read as a string list";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file %s: " + bitmapFile);
  }
  EXPECT_THROW(LoadBitmapFromFile(bitmapFile, 2, &loaded), EReadError);
  EXPECT_THROW(LoadBitmapFromFile(bitmapFile, -1, &loaded), EReadError);
  std::remove(bitmapFile.c_str());
}

TEST(KitContainers, ItemsJoinLeaveAndGoWithTheirContainer) {
  TKitTestRoot root(nullptr);
  auto* list = new TKitStringList(&root);
  auto* a = new TKitStringListItem(&root);
  auto* b = new TKitStringListItem(&root);
  a->SetParentComponent(list);  // as the form reader hangs items in
  list->Add(b);
  EXPECT_EQ(list->Count(), 2);
  EXPECT_EQ(b->Index(), 1);
  EXPECT_EQ(a->GetParentComponent(), list);

  // An item of another kind is refused.
  TKitWaveListItem wave(nullptr);
  EXPECT_THROW(list->Add(&wave), EInvalidOperation);

  delete a;  // leaves the list
  EXPECT_EQ(list->Count(), 1);
  EXPECT_EQ(list->GetItemAt(0), b);

  // Moving an item to another list takes it out of the first.
  auto* other = new TKitStringList(&root);
  other->Add(b);
  EXPECT_EQ(list->Count(), 0);
  EXPECT_EQ(b->Container(), other);

  const int before = root.ComponentCount();
  delete other;  // frees its items, wherever they are owned
  EXPECT_EQ(root.ComponentCount(), before - 2);
  EXPECT_THROW(list->GetItem(0), EListError);
}

TEST(KitContainers, ChangesReachLinksAndOnChangeOnce) {
  TKitStringList list(nullptr);
  TKitChangeLink link;
  int linkChanges = 0, listChanges = 0;
  TObject* sender = nullptr;
  link.OnChange = [&](TObject* s) {
    ++linkChanges;
    sender = s;
  };
  list.OnChange = [&](TObject*) { ++listChanges; };
  link.SetContainer(&list);
  EXPECT_EQ(list.LinkCount(), 1);

  TKitStringListItem* item = list.GetItemAt(list.Add());
  EXPECT_EQ(linkChanges, 1);
  EXPECT_EQ(sender, &list);
  item->Items()->Add("x");  // a change inside an item is a change of the list
  EXPECT_EQ(linkChanges, 2);
  item->SetDescription(item->Description());  // same value: nothing
  EXPECT_EQ(linkChanges, 2);

  list.BeginUpdate();
  item->SetIdent(3);
  item->Items()->Add("y");
  list.GetItemAt(list.Add());
  EXPECT_EQ(linkChanges, 2);
  list.EndUpdate(true);
  EXPECT_EQ(linkChanges, 3);
  EXPECT_EQ(listChanges, 3);

  // Assign copies the items with one change.
  TKitStringList copy(nullptr);
  int copyChanges = 0;
  copy.OnChange = [&](TObject*) { ++copyChanges; };
  copy.SetDefaultCompressed(true);
  copy.Assign(&list);
  EXPECT_EQ(copyChanges, 2);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_FALSE(copy.DefaultCompressed());
  EXPECT_EQ(copy.GetItemAt(0)->Items()->Text(), "x\r\ny\r\n");
  EXPECT_NE(copy.GetItemAt(0), list.GetItemAt(0));
  TKitWaveList waves(nullptr);
  EXPECT_THROW(copy.Assign(&waves), EConvertError);

  // Either side may go first.
  {
    auto early = std::make_unique<TKitChangeLink>();
    early->SetContainer(&list);
    EXPECT_EQ(list.LinkCount(), 2);
  }
  EXPECT_EQ(list.LinkCount(), 1);
  auto doomed = std::make_unique<TKitStringList>(nullptr);
  link.SetContainer(doomed.get());
  EXPECT_EQ(list.LinkCount(), 0);
  doomed.reset();
  EXPECT_EQ(link.Container(), nullptr);
}

TEST(KitContainers, TheSharedContainerNamesItsTwoImageLists) {
  TKitContainer* shared = KitContainer();
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(KitContainer(), shared);
  EXPECT_EQ(KitSharedListSignature(shared->ImageList()), "KITIML30");
  EXPECT_EQ(KitSharedListSignature(shared->BitmapList()), "KITBML30");
  TKitImageList mine(nullptr);
  EXPECT_EQ(KitSharedListSignature(&mine), "");
  EXPECT_EQ(KitSharedListOf("KITIML30"), shared->ImageList());
  EXPECT_EQ(KitSharedListOf("KITBML30"), shared->BitmapList());
  EXPECT_EQ(KitSharedListOf("KITSLL30"), nullptr);

  // A designed container pushes its lists into the shared one.
  TKitContainer designed(nullptr);
  designed.SetDesigning(true);
  designed.StringList()->GetItemAt(designed.StringList()->Add())->Items()->Add("pushed");
  ASSERT_EQ(shared->StringList()->Count(), 1);
  EXPECT_EQ(shared->StringList()->GetItemAt(0)->Items()->Text(), "pushed\r\n");
  shared->StringList()->Clear();
}

TEST(KitContainers, AContainerStoresItsListsInAForm) {
  TKitTestRoot root(nullptr);
  root.SetName("Root");
  auto* container = new TKitContainer(&root);
  container->SetName("Container");
  container->StringList()->GetItemAt(container->StringList()->Add())->Items()->Add("kept");
  const std::string text = WriteComponentText(&root);
  EXPECT_NE(text.find("StringList = {"), std::string::npos);
  EXPECT_EQ(text.find("ImageList = {"), std::string::npos);  // empty lists are not stored
  std::unique_ptr<TComponent> read = ReadComponentText(text);
  auto* back = dynamic_cast<TKitContainer*>(read->FindComponent("Container"));
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->StringList()->Count(), 1);
  EXPECT_EQ(back->StringList()->GetItemAt(0)->Items()->Strings(0), "kept");
}

}  // namespace

TEST(KitContainers, BitmapItemsLoadLazilyFromEachStorageKind) {
  if (std::system("command -v convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick is not installed";
  const std::string tmp = ::testing::TempDir();
  const std::string made = tmp + "kit_storage_red.bmp";
  ASSERT_EQ(std::system(("convert -size 4x3 xc:'#FF0000' BMP3:" + made).c_str()), 0);
  TBitmap red, other;
  red.LoadFromFile(made);
  Paint(other, 5, 2);
  // Kind 1: a container file.
  const std::string containerFile = tmp + "kit_storage.bml";
  {
    TKitBitmapList file(nullptr);
    file.GetItemAt(file.Add())->SetBitmap(&other);
    file.GetItemAt(file.Add())->SetBitmap(&red);
    file.SaveToFile(containerFile);
  }
  // Kind 2: a bitmap resource of the module.
  TMemoryStream bmp;
  bmp.LoadFromFile(made);
  resource_detail::Registration resource{{"#9", RT_BITMAP, static_cast<const Byte*>(bmp.Memory()),
                                          static_cast<std::size_t>(bmp.Size())}};
  // Kind 4: <program directory><three letters><ident>.bmp.
  const std::string numbered = GetDirectory(ppProgram, true) + "qmk12.bmp";
  ASSERT_EQ(std::system(("cp " + made + " " + numbered).c_str()), 0);

  struct Case {
    Byte kind;
    TKitPathPrefix dir;
    std::string name;
    Word ident;
    TBitmap* expected;
  };
  const Case cases[] = {
      {0, ppFixed, containerFile, 1, nullptr},          {1, ppFixed, containerFile, 1, &red},
      {1, ppFixed, containerFile, 0, &other},           {1, ppFixed, containerFile, 5, nullptr},
      {1, ppFixed, tmp + "missing.bml", 1, nullptr},    {2, ppFixed, "", 9, &red},
      {2, ppFixed, "", 10, nullptr},                     {3, ppFixed, containerFile, 1, nullptr},
      {4, ppProgram, "qmkitems", 12, &red},              {4, ppProgram, "qmkitems", 13, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << int(c.kind) << " ident " << c.ident);
    TKitBitmapList list(nullptr);
    list.SetStorageKind(c.kind);
    list.SetStorageDirectory(c.dir);
    list.SetStorageFileName(c.name);
    TKitBitmapListItem* item = list.GetItemAt(list.Add());
    item->SetIdent(c.ident);
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    if (c.expected) {
      EXPECT_TRUE(SamePixels(*item->Bitmap(), *c.expected));
      EXPECT_EQ(list.ImageCount(0), 1);
      EXPECT_EQ(item->GetFlags() & kKitFlagPayload, 0) << "the form does not keep a stored bitmap";
    } else {
      EXPECT_TRUE(item->Bitmap()->Empty());
    }
    EXPECT_EQ(changes, 0);
  }
  // Out-of-range kinds are refused.
  TKitBitmapList list(nullptr);
  list.SetStorageKind(5);
  EXPECT_EQ(list.StorageKind(), 0);
  std::remove(numbered.c_str());
  std::remove(containerFile.c_str());
  std::remove(made.c_str());
}

// The kit's file saves write through a link to its target and refuse a pipe without
// opening it (a write in place would wait forever for the pipe's reader).
TEST(KitFileSaves, LinksWriteTheirTargetAndPipesAreRefused) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(::testing::TempDir()) / "kit_saves";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::vector<std::pair<const char*, std::function<void(const std::string&)>>> saves = {
      {"container", [](const std::string& name) { TKitBitmapList(nullptr).SaveToFile(name); }},
      {"wave", [](const std::string& name) { TKitWave().SaveToFile(name); }}};
  for (const auto& [what, save] : saves) {
    const fs::path target = dir / (std::string(what) + ".bin"), link = dir / (std::string(what) + ".lnk");
    const fs::path pipe = dir / (std::string(what) + ".fifo");
    fs::create_symlink(target.filename(), link);
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    save(link.string());
    EXPECT_TRUE(fs::is_symlink(link)) << what;
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(target))) << what;
    EXPECT_THROW(save(pipe.string()), EFCreateError) << what;
    EXPECT_EQ(fs::status(pipe).type(), fs::file_type::fifo) << what;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 6);  // nothing left beside
}
