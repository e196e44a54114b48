// The emitter page's file commands and its scene chunks through the host.
#include <algorithm>

#include "emitter_man_fixture.h"
#include "editor/particle_maps_form.h"
#include "editor/props_form.h"
#include "panels/num_spin_edit.h"
#include "platform/classlib/dialogs.h"
#include "platform/classlib/records.h"

namespace {

const win::ModalPrompt* LastPromptOf(win::ModalKind kind) {
  const auto& prompts = win::ModalPrompts();
  for (auto it = prompts.rbegin(); it != prompts.rend(); ++it)
    if (it->kind == kind) return &*it;
  return nullptr;
}

std::vector<Byte> ChunkOf(const TEmitterObject& e) {
  TMemoryStream s;
  WriteEmitterChunk(&e, s);
  const Byte* p = static_cast<const Byte*>(s.Memory());
  return std::vector<Byte>(p, p + s.Size());
}

std::size_t FindBytes(const std::vector<Byte>& hay, const std::vector<Byte>& needle) {
  auto it = std::search(hay.begin(), hay.end(), needle.begin(), needle.end());
  return it == hay.end() ? std::string::npos : static_cast<std::size_t>(it - hay.begin());
}

}  // namespace

TEST_F(EmitterManTest, SaveEmitterWritesTheFileAndTheDialogRemembersTheFolder) {
  TEmitterObject* e = NewEmitter();
  e->Name = "Saved";
  std::filesystem::create_directories(dir_ / "sub");
  const std::string path = PathOf("sub/one.zke");
  win::AnswerFileDialog(win::ModalKind::SaveFile, {path});
  form_->SaveEmitterAction->Execute();
  const win::ModalPrompt* first = LastPromptOf(win::ModalKind::SaveFile);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->initialDir, DataFolder());
  EXPECT_EQ(first->filter, "Quillmoth Emitters (*.zke)|*.zke");
  EXPECT_EQ(first->defaultExt, "zke");
  EXPECT_TRUE(first->overwritePrompt);
  EXPECT_EQ(FileBytes(path), ZkeBytes(*e));

  win::AnswerFileDialog(win::ModalKind::SaveFile, {});
  form_->SaveEmitterAction->Execute();
  EXPECT_EQ(LastPromptOf(win::ModalKind::SaveFile)->initialDir, (dir_ / "sub").string() + "/");

  // Systems go through their own dialog and file.
  Select(Root(0)->Item(0));
  const std::string sysPath = PathOf("one.zks");
  win::AnswerFileDialog(win::ModalKind::SaveFile, {sysPath});
  form_->SaveSystemAction->Execute();
  EXPECT_EQ(LastPromptOf(win::ModalKind::SaveFile)->filter, "Quillmoth Systems (*.zks)|*.zks");
  EXPECT_EQ(LastPromptOf(win::ModalKind::SaveFile)->initialDir, DataFolder());
  EXPECT_EQ(FileBytes(sysPath), ZksBytes(*e->Systems[0]));
}

TEST_F(EmitterManTest, LoadEmitterReplacesTheSettingsAndKeepsTheHostObject) {
  TEmitterObject source;
  source.Name = "Loaded";
  source.StartOffset = 7;
  source.AddSystem()->Name = "A";
  source.AddSystem()->Name = "B";
  const std::string path = PathOf("in.zke");
  WriteFile(path, ZkeBytes(source));

  TEmitterObject* e = NewEmitter();
  tsxSOBJ* node = e->Node;
  Running = true;
  win::AnswerFileDialog(win::ModalKind::OpenFile, {path});
  form_->LoadEmitterAction->Execute();
  EXPECT_FALSE(Running);
  EXPECT_EQ(e->Node, node);
  EXPECT_EQ(ZkeBytes(*e), ZkeBytes(source));
  EXPECT_EQ(Root(0)->Text(), "Loaded");
  ASSERT_EQ(Root(0)->Count(), 2);
  EXPECT_EQ(Root(0)->Item(1)->Text(), "B");
  EXPECT_EQ(form_->OffsetSpin->Value(), 7);
  EXPECT_EQ(form_->CurrentEmitter, e);
}

TEST_F(EmitterManTest, UnreadableEmitterFilesChangeNothingAndTellTheUser) {
  TEmitterObject source;
  source.AddSystem();
  const std::vector<Byte> good = ZkeBytes(source);
  std::vector<Byte> v102 = good;
  bytes::StoreLE32(v102.data(), 102);
  const std::vector<std::pair<std::string, std::vector<Byte>>> bad = {
      {"version 102", v102},
      {"truncated", std::vector<Byte>(good.begin(), good.begin() + good.size() / 2)},
      {"empty", {}},
  };
  TEmitterObject* e = NewEmitter();
  e->Name = "Mine";
  const TEmitter* firstSystem = e->Systems[0].get();
  const std::vector<Byte> before = ZkeBytes(*e);
  for (const auto& [what, bytes] : bad) {
    SCOPED_TRACE(what);
    const std::string path = PathOf("bad.zke");
    WriteFile(path, bytes);
    win::AnswerFileDialog(win::ModalKind::OpenFile, {path});
    win::AnswerMessageBox(win::IDOK);
    form_->LoadEmitterAction->Execute();
    EXPECT_EQ(win::PendingModalAnswers(), 0u) << "the user was told";
    EXPECT_NE(LastMessage().find("Could not load the emitter settings"), std::string::npos) << LastMessage();
    EXPECT_EQ(ZkeBytes(*e), before);
    ASSERT_EQ(e->SystemCount(), 1);
    EXPECT_EQ(e->Systems[0].get(), firstSystem);
    EXPECT_EQ(Root(0)->Count(), 1);
  }
  EXPECT_NE(LastMessage().find("empty or cut short"), std::string::npos) << LastMessage();
}

TEST_F(EmitterManTest, LoadSystemReadsVersion101AndRefusesOthers) {
  TEmitterObject* e = NewEmitter();
  Select(Root(0)->Item(0));
  TEmitter* current = form_->CurrentSystem;

  TEmitterObject other;
  TEmitter* src = other.AddSystem();
  src->Name = "From file";
  src->System->LoopPeriod = 21;
  const std::string path = PathOf("in.zks");
  WriteFile(path, ZksBytes(*src));
  win::AnswerFileDialog(win::ModalKind::OpenFile, {path});
  form_->LoadSystemAction->Execute();
  EXPECT_EQ(form_->CurrentSystem, current) << "read into the selected system";
  EXPECT_EQ(ZksBytes(*current), ZksBytes(*src));
  EXPECT_EQ(Root(0)->Item(0)->Text(), "From file");

  std::vector<Byte> future = ZksBytes(*src);
  bytes::StoreLE32(future.data(), 99);
  future[future.size() - 40] ^= 0xFF;
  WriteFile(path, future);
  const std::vector<Byte> before = ZksBytes(*current);
  win::AnswerFileDialog(win::ModalKind::OpenFile, {path});
  win::AnswerMessageBox(win::IDOK);
  form_->LoadSystemAction->Execute();
  EXPECT_NE(LastMessage().find("version 99"), std::string::npos) << LastMessage();
  EXPECT_EQ(ZksBytes(*current), before);
  EXPECT_EQ(e->SystemCount(), 1);
}

TEST_F(EmitterManTest, SceneChunksRoundTripThroughTheHost) {
  TEmitterObject* a = NewEmitter();
  a->Name = "First";
  form_->AddSystemAction->Execute();
  a->Systems[1]->Name = "Second system";
  TEmitterObject* b = NewEmitter();
  b->Name = "Other";
  b->FreezeFrame = 30;
  // An object of the type the page does not know: written as an empty chunk.
  tsxSOBJ* stranger = form_->EmitterExtObj->CreateObject();
  ASSERT_NE(stranger, nullptr);
  const std::vector<Byte> recordA = ZkeBytes(*a);
  const std::vector<Byte> recordB = ZkeBytes(*b);

  const std::string scene = PathOf("scene.qms");
  host::SaveScene(scene);
  const std::vector<Byte> saved = FileBytes(scene);
  EXPECT_NE(FindBytes(saved, ChunkOf(*a)), std::string::npos);
  EXPECT_NE(FindBytes(saved, {101, 0, 0, 0, 0, 0, 0, 0}), std::string::npos);

  Running = true;
  host::LoadScene(scene);
  EXPECT_FALSE(Running);
  ASSERT_EQ(form_->Emitters.size(), 2u) << "the empty chunk makes no emitter";
  EXPECT_EQ(ZkeBytes(*form_->Emitters[0]), recordA);
  EXPECT_EQ(ZkeBytes(*form_->Emitters[1]), recordB);
  for (const auto& e : form_->Emitters) EXPECT_TRUE(host::IsInScene(e->Node));
  ExpectEngineListInStep();
  EXPECT_EQ(Tree()->Items()->RootCount(), 2);
  EXPECT_EQ(Root(0)->Item(1)->Text(), "Second system");

  const std::string again = PathOf("again.qms");
  host::SaveScene(again);
  EXPECT_EQ(FileBytes(again), saved);
}

TEST_F(EmitterManTest, BadSceneChunksMakeNoEmitterAndTellTheUser) {
  TEmitterObject* a = NewEmitter();
  a->Name = "Broken";
  TEmitterObject* b = NewEmitter();
  b->Name = "Fine";
  const std::vector<Byte> chunkA = ChunkOf(*a);
  const std::string scene = PathOf("scene.qms");
  host::SaveScene(scene);
  const std::vector<Byte> saved = FileBytes(scene);
  const std::size_t at = FindBytes(saved, chunkA);
  ASSERT_NE(at, std::string::npos);

  std::vector<Byte> longer = saved;
  bytes::StoreLE32(&longer[at + 4], static_cast<Cardinal>(chunkA.size() - 8 + 100));
  std::vector<Byte> future = saved;
  bytes::StoreLE32(&future[at], 102);
  std::vector<Byte> cutRecord = saved;
  // The record's system count, far beyond what the chunk holds.
  TEmitterObject bare;
  TMemoryStream head;
  bare.SaveToStream(head);
  bytes::StoreLE32(&cutRecord[at + 8 + static_cast<std::size_t>(head.Size()) - 4], 5000);
  for (const auto& [what, bytes] : std::vector<std::pair<std::string, std::vector<Byte>>>{
           {"size beyond the chunk", longer}, {"version 102", future}, {"wild system count", cutRecord}}) {
    SCOPED_TRACE(what);
    const std::string path = PathOf("bad.qms");
    WriteFile(path, bytes);
    win::AnswerMessageBox(win::IDOK);
    host::LoadScene(path);
    EXPECT_EQ(win::PendingModalAnswers(), 0u) << "the user was told";
    EXPECT_NE(LastMessage().find("The emitter \"Broken\" in the scene could not be read"), std::string::npos)
        << LastMessage();
    ASSERT_EQ(form_->Emitters.size(), 1u);
    EXPECT_EQ(form_->Emitters[0]->Name, "Fine");
    EXPECT_EQ(form_->Emitters[0]->SystemCount(), 1);
    ExpectEngineListInStep();
    // Saved again, the chunk that could not be read comes back byte for byte.
    host::SaveScene(PathOf("again.qms"));
    EXPECT_EQ(FileBytes(PathOf("again.qms")), bytes);
  }

  // A clone of the unread object keeps its bytes; its delete callback lets them go.
  const std::vector<Byte> unread(cutRecord.begin() + static_cast<std::ptrdiff_t>(at),
                                 cutRecord.begin() + static_cast<std::ptrdiff_t>(at + chunkA.size()));
  tsxSOBJ* kept = nullptr;
  for (host::NodeHandle n : host::TopLevelNodes())
    if (n != form_->Emitters[0]->Node) kept = static_cast<tsxSOBJ*>(n);
  ASSERT_NE(kept, nullptr);
  ASSERT_NE(host::CloneObject(kept), nullptr);
  EXPECT_EQ(form_->Emitters.size(), 1u);
  form_->EmitterExtObjObjectDelete(nullptr, kept);
  host::SaveScene(PathOf("again.qms"));
  const std::vector<Byte> resaved = FileBytes(PathOf("again.qms"));
  EXPECT_EQ(Occurrences(resaved, unread), 1) << "the clone's";
  EXPECT_NE(FindBytes(resaved, {101, 0, 0, 0, 0, 0, 0, 0}), std::string::npos) << "the deleted one's, empty";
}

// The demo's road: an emitter's own system, one added and loaded from a file, one added
// and left as made. The Adv sheet shows each selected system's own values, in either order
// of visits, never the form's design values (dither 0.1) or the previous system's.
TEST_F(EmitterManTest, TheAdvSheetShowsEachSelectedSystemsOwnValues) {
  TEmitterObject* e = NewEmitter();
  TEmitterObject other;
  TEmitter* src = other.AddSystem();
  src->System->SpatialDither = 0.35f;
  src->System->MaxPixelSize = 4096;
  const std::string path = PathOf("dither.zks");
  WriteFile(path, ZksBytes(*src));
  form_->AddSystemAction->Execute();
  win::AnswerFileDialog(win::ModalKind::OpenFile, {path});
  form_->LoadSystemAction->Execute();
  form_->AddSystemAction->Execute();
  Pump();
  ASSERT_EQ(e->SystemCount(), 3);
  TParticleMapsForm* maps = form_->PropsForm->MapsForm;

  const struct {
    Integer system;
    const char* dither;
    const char* maxSize;
  } visits[] = {{1, "0.35", "4096"}, {0, "0.00", "2048"}, {2, "0.00", "2048"}, {1, "0.35", "4096"}};
  for (const auto& v : visits) {
    SCOPED_TRACE(v.system);
    Select(Root(0)->Item(v.system));
    ASSERT_EQ(form_->CurrentSystem, e->Systems[static_cast<std::size_t>(v.system)].get());
    EXPECT_EQ(maps->DitherSpin->Text(), v.dither);
    EXPECT_EQ(maps->MaxSizeSpin->Text(), v.maxSize);
  }
}
