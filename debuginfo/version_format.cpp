#include "debuginfo/version_format.h"

#include <algorithm>
#include <cstring>

#include "debuginfo/byte_view.h"
#include "debuginfo/dbg_exceptions.h"

namespace dbg {

namespace {

[[noreturn]] void Fail() { RaiseVersionInfoError(); }

constexpr std::uint64_t Align4(std::uint64_t v) { return (v + 3) & ~std::uint64_t{3}; }

struct Block {
  std::uint64_t End = 0;  // one past the block
  Word ValueLength = 0;
  Word Type = 0;  // 1 = text, 0 = binary (32-bit layout only)
  std::string Key;
  std::uint64_t ValueStart = 0;
  std::uint64_t ValueEnd = 0;
  std::uint64_t ChildrenStart = 0;
};

class VersionReader {
 public:
  VersionReader(ByteView v, bool wide) : v_(v), wide_(wide) {}

  // The block at `offset`, which must end by `limit`. Offsets count from the start of
  // the resource, which is where the 4-byte alignment is measured from.
  Block Read(std::uint64_t offset, std::uint64_t limit) const {
    const std::uint64_t header = wide_ ? 6 : 4;
    if (offset + header > limit) Fail();
    Block b;
    const Word length = v_.U16(offset);
    if (length < header || offset + length > limit) Fail();  // a zero length is caught here
    b.End = offset + length;
    b.ValueLength = v_.U16(offset + 2);
    b.Type = wide_ ? v_.U16(offset + 4) : 0;
    std::uint64_t keyEnd = 0;
    b.Key = ReadText(offset + header, b.End, &keyEnd);
    b.ValueStart = std::min(Align4(keyEnd), b.End);
    // Text values of the 32-bit layout count characters, everything else bytes.
    const std::uint64_t valueBytes = (wide_ && b.Type == 1) ? std::uint64_t{b.ValueLength} * 2 : b.ValueLength;
    if (b.ValueStart + valueBytes > b.End) {
      if (!(wide_ && b.Type == 1)) Fail();
      b.ValueEnd = b.End;  // writers that miscount text lengths are tolerated
    } else {
      b.ValueEnd = b.ValueStart + valueBytes;
    }
    b.ChildrenStart = std::min(Align4(b.ValueEnd), b.End);
    return b;
  }

  // Calls `visit` for each child block of `parent`.
  template <class F>
  void Children(const Block& parent, F&& visit) const {
    std::uint64_t pos = parent.ChildrenStart;
    const std::uint64_t header = wide_ ? 6 : 4;
    while (pos + header <= parent.End) {
      Block child = Read(pos, parent.End);
      visit(child);
      pos = Align4(child.End);  // the length is at least a header, so this moves on
    }
  }

  // A zero-terminated key or text from `offset`, not beyond `limit`.
  std::string ReadText(std::uint64_t offset, std::uint64_t limit, std::uint64_t* end) const {
    const std::uint64_t unit = wide_ ? 2 : 1;
    std::uint64_t p = offset;
    while (p + unit <= limit) {
      const bool nul = wide_ ? v_.U16(p) == 0 : v_.U8(p) == 0;
      if (nul) {
        *end = p + unit;
        return Decode(offset, p);
      }
      p += unit;
    }
    Fail();  // no terminator inside the block
  }

  // A value's text: up to its terminator or the end of the value.
  std::string ValueText(const Block& b) const {
    const std::uint64_t unit = wide_ ? 2 : 1;
    std::uint64_t p = b.ValueStart;
    while (p + unit <= b.ValueEnd && (wide_ ? v_.U16(p) != 0 : v_.U8(p) != 0)) p += unit;
    return Decode(b.ValueStart, p);
  }

  ByteView Bytes() const { return v_; }

 private:
  std::string Decode(std::uint64_t from, std::uint64_t to) const {
    auto bytes = v_.Sub(from, to - from);
    if (wide_) return WideToAnsi(bytes);
    return std::string(bytes.begin(), bytes.end());
  }

  ByteView v_;
  bool wide_;
};

constexpr const char* kRootKey = "VS_VERSION_INFO";

bool ParseHexKey(const std::string& key, TDbgLangIdRec* out) {
  if (key.size() != 8) return false;
  Cardinal v = 0;
  for (char c : key) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = (v << 4) | static_cast<Cardinal>(d);
  }
  out->LangId = static_cast<Word>(v >> 16);
  out->CodePage = static_cast<Word>(v & 0xFFFF);
  return true;
}

TDbgVsFixedFileInfo ReadFixedInfo(ByteView v, std::uint64_t at) {
  TDbgVsFixedFileInfo f;
  Cardinal* fields[] = {&f.dwSignature,     &f.dwStrucVersion,     &f.dwFileVersionMS,    &f.dwFileVersionLS,
                        &f.dwProductVersionMS, &f.dwProductVersionLS, &f.dwFileFlagsMask, &f.dwFileFlags,
                        &f.dwFileOS,        &f.dwFileType,         &f.dwFileSubtype,      &f.dwFileDateMS,
                        &f.dwFileDateLS};
  for (std::size_t i = 0; i < std::size(fields); ++i) *fields[i] = v.U32(at + 4 * i);
  return f;
}

constexpr std::uint64_t kFixedInfoSize = 52;

}  // namespace

TDbgVersionData ParseVersionResource(std::span<const std::uint8_t> data) {
  ByteView v(data, Fail);
  TDbgVersionData out;
  // The 16-bit layout has its key right after two words; the 32-bit layout after three.
  const std::size_t rootKeyLength = std::strlen(kRootKey) + 1;
  out.Wide = !(v.Fits(4, rootKeyLength) && std::memcmp(data.data() + 4, kRootKey, rootKeyLength) == 0);
  VersionReader r(v, out.Wide);
  Block root = r.Read(0, data.size());
  if (root.Key != kRootKey) Fail();

  if (root.ValueLength != 0) {
    if (root.ValueEnd - root.ValueStart < kFixedInfoSize) Fail();
    out.FixedInfo = ReadFixedInfo(v, root.ValueStart);
    if (out.FixedInfo.dwSignature != VS_FFI_SIGNATURE) Fail();
    out.HasFixedInfo = true;
  }

  r.Children(root, [&](const Block& info) {
    if (info.Key == "StringFileInfo") {
      r.Children(info, [&](const Block& table) {
        TDbgVersionStringTable t;
        t.Key = table.Key;
        if (!ParseHexKey(table.Key, &t.Language)) Fail();
        r.Children(table, [&](const Block& s) { t.Strings.emplace_back(s.Key, r.ValueText(s)); });
        out.StringTables.push_back(std::move(t));
      });
    } else if (info.Key == "VarFileInfo") {
      r.Children(info, [&](const Block& var) {
        if (var.Key != "Translation") return;
        for (std::uint64_t p = var.ValueStart; p + 4 <= var.ValueEnd; p += 4)
          out.Translations.push_back({v.U16(p), v.U16(p + 2)});
      });
    }
    // Other children of the root are not part of the version information and are skipped.
  });
  return out;
}

}  // namespace dbg
