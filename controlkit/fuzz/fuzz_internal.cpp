// Hostile "Internal" data and container streams through every item and container reader.
// A refused stream must leave the item or list as it was; nothing may be read or written
// outside the buffers.
#include <cstddef>
#include <cstdint>
#include <string>

#include "controlkit/kit_image_list.h"
#include "controlkit/kit_internal_format.h"
#include "controlkit/kit_items.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/streams.h"

namespace {

struct ByteStream : TMemoryStream {
  ByteStream(const std::uint8_t* data, std::size_t size) {
    if (size) WriteBuffer(data, static_cast<Int64>(size));
    SetPosition(0);
  }
};

template <class Item>
void TryItem(const std::uint8_t* data, std::size_t size) {
  Item item(nullptr);
  item.SetDescription("before");
  ByteStream s(data, size);
  try {
    item.LoadFromStream(s);
  } catch (const Exception&) {
    if (item.Description() != "before") __builtin_trap();
    return;
  }
  // What was read writes out and reads back.
  TMemoryStream out;
  item.SaveToStream(out);
  out.SetPosition(0);
  Item again(nullptr);
  again.LoadFromStream(out);
  if (again.Description() != item.Description() || again.Ident() != item.Ident()) __builtin_trap();
}

template <class List>
void TryList(const std::uint8_t* data, std::size_t size, bool index) {
  List list(nullptr);
  list.Add();
  ByteStream s(data, size);
  try {
    list.LoadFromStream(s, index);
  } catch (const Exception&) {
    if (list.Count() != 1) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TryItem<TKitStringListItem>(data, size);
  TryItem<TKitBitmapListItem>(data, size);
  TryItem<TKitWaveListItem>(data, size);
  TryItem<TKitImageListItem>(data, size);
  TryList<TKitStringList>(data, size, size % 2 == 0);
  TryList<TKitImageList>(data, size, size % 2 == 1);
  {
    ByteStream s(data, size);
    try {
      if (ReadContainerSignature(s) != ckNone) ReadContainerIndex(s);
    } catch (const Exception&) {
    }
  }
  return 0;
}
