#include "hostbridge/tsx_exports.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "hostbridge/c_boundary.h"
#include "hostbridge/tsx_module.h"

namespace {

void CopyField(char* field, std::size_t fieldSize, const std::string& text) {
  const std::size_t n = std::min(text.size(), fieldSize - 1);
  std::memcpy(field, text.data(), n);
  std::memset(field + n, 0, fieldSize - n);
}

}  // namespace

void FillDescriptor(tsxPluginDescriptor& descriptor) {
  const TTsxModuleState& s = TsxModule();
  CopyField(descriptor.title, sizeof descriptor.title, s.Title);
  CopyField(descriptor.author, sizeof descriptor.author, s.Author);
  descriptor.bitmapResourceId = static_cast<uint16_t>(s.ResBmpId);
  descriptor.stringResourceId = static_cast<uint16_t>(s.ResStringId);
}

Integer TsxGetVersion() noexcept { return TsxModule().ApiVersion; }

void TsxGetData(tsxPluginDescriptor* descriptor, Integer pluginId) noexcept {
  TTsxModuleState& s = TsxModule();
  s.PluginId = pluginId;
  bridge::GuardedVoid([&] {
    // A copy: the handler may replace the module's handlers while it runs.
    const TPlugEvent handler = s.PlugInit;
    if (handler) handler();
  });
  bridge::GuardedVoid([&] {
    if (descriptor) FillDescriptor(*descriptor);
  });
}

Integer TsxOnLeftClick() noexcept {
  return bridge::Guarded<Integer>(0, [] {
    const TPlugLeftClickEvent handler = TsxModule().LeftClick;
    return handler ? handler() : 0;
  });
}

void TsxOnRightClick() noexcept {
  bridge::GuardedVoid([] {
    const TPlugEvent handler = TsxModule().RightClick;
    if (handler) handler();
  });
}

void TsxDeactivate() noexcept {
  bridge::GuardedVoid([] {
    const TTsxModuleState& s = TsxModule();
    if (s.ShuttingDown) return;
    const TPlugEvent handler = s.Deactivate;
    if (handler) handler();
  });
}
