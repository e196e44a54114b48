// Version-100 emitter files and scene chunks, read through the page's command and the
// host's scene load: what the older record carries arrives, what it lacks keeps its value.
#include <algorithm>

#include "emitter_man_fixture.h"
#include "system_record_v100.h"
#include "engine/color_series.h"
#include "engine/particle_map_source.h"
#include "engine/var_series.h"
#include "panels/num_spin_edit.h"
#include "platform/classlib/records.h"
#include "platform/classlib/std_buttons.h"

namespace {

using Bytes = std::vector<Byte>;

Bytes Content(TMemoryStream& s) {
  const Byte* p = static_cast<const Byte*>(s.Memory());
  return Bytes(p, p + s.Size());
}

void Zeros(TRecordWriter& w, std::size_t n) {
  const Bytes zeros(n, 0);
  w.Bytes(zeros.data(), static_cast<Int64>(n));
}

// The older emitter object record: no enabled flag or freeze frame, 126 reserved bytes.
Bytes EmitterRecordV100(const TEmitterObject& e) {
  TMemoryStream s;
  TRecordWriter w(s);
  w.ShortString(e.Name, 32);
  w.I32(e.StartOffset);
  e.Activity->SaveToStream(s);
  w.U8(e.RateSizeScale);
  w.U8(e.SpeedLifeGravityScale);
  Zeros(w, 126);
  w.I32(e.SystemCount());
  for (const auto& sys : e.Systems) WriteSystemRecordV100(*sys, s);
  return Content(s);
}

Bytes Le32(Integer v) {
  Bytes b(4);
  bytes::StoreLE32(b.data(), static_cast<Cardinal>(v));
  return b;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// An old emitter: two systems, the second with fields the older record does carry.
std::unique_ptr<TEmitterObject> OldComet() {
  auto e = std::make_unique<TEmitterObject>();
  e->Name = "Old comet";
  e->StartOffset = 6;
  e->RateSizeScale = ssSize;
  e->SpeedLifeGravityScale = ssSpeed | ssGravity;
  TEmitter* a = e->AddSystem();
  a->Name = "Ember";
  a->System->LoopPeriod = 77;
  a->Emitter->Radius = 2.5f;
  TEmitter* b = e->AddSystem();
  b->Name = "Smoke";
  b->Enabled = 0;
  b->System->ColorMode = 1;
  return e;
}

}  // namespace

TEST_F(EmitterManTest, AVersion100EmitterFileLoadsWhatItCarriesAndKeepsTheRest) {
  auto old = OldComet();
  const std::string path = PathOf("old.zke");
  WriteFile(path, Join({Le32(100), EmitterRecordV100(*old)}));

  TEmitterObject* e = NewEmitter();
  tsxSOBJ* node = e->Node;
  e->FreezeFrame = 33;
  e->Enabled = 0;
  win::AnswerFileDialog(win::ModalKind::OpenFile, {path});
  form_->LoadEmitterAction->Execute();

  EXPECT_EQ(e->Node, node);
  EXPECT_EQ(e->Name, "Old comet");
  EXPECT_EQ(e->StartOffset, 6);
  EXPECT_EQ(e->RateSizeScale, ssSize);
  EXPECT_EQ(e->SpeedLifeGravityScale, ssSpeed | ssGravity);
  EXPECT_EQ(e->FreezeFrame, 33) << "the older record has no freeze frame";
  EXPECT_EQ(e->Enabled, 0) << "nor an enabled flag";
  ASSERT_EQ(e->SystemCount(), 2);
  EXPECT_EQ(e->Systems[0]->Name, "Ember");
  EXPECT_EQ(e->Systems[0]->System->LoopPeriod, 77);
  EXPECT_FLOAT_EQ(e->Systems[0]->Emitter->Radius, 2.5f);
  EXPECT_EQ(e->Systems[1]->Enabled, 0);
  EXPECT_EQ(e->Systems[1]->System->ColorMode, 1);
  for (const auto& s : e->Systems) EXPECT_EQ(s->Owner, e);

  // The page shows what was read.
  EXPECT_EQ(Root(0)->Text(), "Old comet");
  ASSERT_EQ(Root(0)->Count(), 2);
  EXPECT_EQ(Root(0)->Item(0)->Text(), "Ember");
  EXPECT_EQ(Root(0)->Item(1)->StateIndex(), 1);
  EXPECT_EQ(form_->OffsetSpin->Value(), 6);
  EXPECT_EQ(form_->FreezeSpin->Value(), 33);
  EXPECT_FALSE(form_->MoreBox->Checked());
  EXPECT_TRUE(form_->BiggerBox->Checked());
  EXPECT_TRUE(form_->FasterBox->Checked());
  EXPECT_FALSE(form_->OlderBox->Checked());
  EXPECT_TRUE(form_->StrongerBox->Checked());

  // Saved again, it is a version-101 file that reads back the same.
  const std::string again = PathOf("again.zke");
  win::AnswerFileDialog(win::ModalKind::SaveFile, {again});
  form_->SaveEmitterAction->Execute();
  const Bytes saved = FileBytes(again);
  ASSERT_GE(saved.size(), 4u);
  EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 4), Le32(101));
  TEmitterObject back;
  TMemoryStream in;
  in.WriteBuffer(saved.data(), static_cast<Int64>(saved.size()));
  in.SetPosition(0);
  ReadEmitterFile(back, in);
  EXPECT_EQ(ZkeBytes(back), saved);
}

TEST_F(EmitterManTest, AVersion100SceneChunkMakesAnEmitterOfTheOlderRecord) {
  TEmitterObject* a = NewEmitter();
  a->Name = "Replaced";
  TEmitterObject* b = NewEmitter();
  b->Name = "Kept";
  TMemoryStream chunkA;
  WriteEmitterChunk(a, chunkA);
  const Bytes oldChunk = Content(chunkA);
  const std::string scene = PathOf("scene.qms");
  host::SaveScene(scene);
  const Bytes saved = FileBytes(scene);
  const auto at = std::search(saved.begin(), saved.end(), oldChunk.begin(), oldChunk.end());
  ASSERT_NE(at, saved.end());
  const std::size_t pos = static_cast<std::size_t>(at - saved.begin());
  // The host keeps each chunk behind its own length.
  ASSERT_GE(pos, 4u);
  ASSERT_EQ(bytes::LoadLE32(&saved[pos - 4]), oldChunk.size());

  auto old = OldComet();
  const Bytes record = EmitterRecordV100(*old);
  const Bytes newChunk = Join({Le32(100), Le32(static_cast<Integer>(record.size())), record});
  const Bytes patched =
      Join({Bytes(saved.begin(), saved.begin() + static_cast<std::ptrdiff_t>(pos - 4)),
            Le32(static_cast<Integer>(newChunk.size())), newChunk,
            Bytes(saved.begin() + static_cast<std::ptrdiff_t>(pos + oldChunk.size()), saved.end())});
  const std::string path = PathOf("old.qms");
  WriteFile(path, patched);
  host::LoadScene(path);

  ASSERT_EQ(form_->Emitters.size(), 2u);
  TEmitterObject* read = form_->Emitters[0].get();
  EXPECT_EQ(read->Name, "Old comet");
  EXPECT_EQ(read->StartOffset, 6);
  EXPECT_EQ(read->FreezeFrame, 0);
  EXPECT_EQ(read->Enabled, 1);
  ASSERT_EQ(read->SystemCount(), 2);
  EXPECT_EQ(read->Systems[0]->System->LoopPeriod, 77);
  EXPECT_EQ(read->Systems[1]->Name, "Smoke");
  EXPECT_TRUE(host::IsInScene(read->Node));
  EXPECT_EQ(form_->Emitters[1]->Name, "Kept");
  ExpectEngineListInStep();
  EXPECT_EQ(Root(0)->Text(), "Old comet");

  // Saved again, the chunk is a version-101 one.
  host::SaveScene(PathOf("new.qms"));
  TMemoryStream fresh;
  WriteEmitterChunk(read, fresh);
  const Bytes rewritten = Content(fresh);
  EXPECT_EQ(Bytes(rewritten.begin(), rewritten.begin() + 4), Le32(101));
  const Bytes resaved = FileBytes(PathOf("new.qms"));
  EXPECT_NE(std::search(resaved.begin(), resaved.end(), rewritten.begin(), rewritten.end()), resaved.end());
}
