#include "controlkit/kit_ini_ctrl.h"

#include "controlkit/kit_strings.h"
#include "controlkit/kit_sysinfo.h"
#include "platform/classlib/file_paths.h"
#include "platform/classlib/properties.h"

namespace {

constexpr Byte kMaxAlphaEntries = 26;

const TEnumInfo& RegRootInfo() {
  static const TEnumInfo info("TKitRegRootKey", {"rpClassesRoot", "rpCurrentUser", "rpLocalMachine", "rpUsers",
                                                 "rpCurrentConfig", "rpDynData"});
  return info;
}

const TEnumInfo& IniTargetInfo() {
  static const TEnumInfo info("TKitIniTarget", {"itIniFile", "itRegistry", "itAuto"});
  return info;
}

}  // namespace

const TClass& TKitIniCtrl::StaticClass() {
  static const TClass cls = TClass::Of<TKitIniCtrl>("TKitIniCtrl", TKitCustomComponent::StaticClass(), &TKitIniCtrl::Publish);
  return cls;
}

void TKitIniCtrl::Publish(TPublished& published) {
  auto p = published.For<TKitIniCtrl>();
  p.Boolean("AlphaCounter", &TKitIniCtrl::AlphaCounter, &TKitIniCtrl::SetAlphaCounter).Default(false);
  p.Boolean("Common", &TKitIniCtrl::Common, &TKitIniCtrl::SetCommon).Default(true);
  p.String("IniFile", &TKitIniCtrl::IniFile, &TKitIniCtrl::SetIniFile).Default("");
  p.Enum("IniPrefix", KitPathPrefixInfo(), &TKitIniCtrl::IniPrefix, &TKitIniCtrl::SetIniPrefix).Default(ppWindows);
  p.Integer("MaxEntries", &TKitIniCtrl::MaxEntries, &TKitIniCtrl::SetMaxEntries).Default(16);
  p.Boolean("NetUser", &TKitIniCtrl::NetUser, &TKitIniCtrl::SetNetUser).Default(false);
  p.String("User", &TKitIniCtrl::User, &TKitIniCtrl::SetUser).Default("");
  p.String("RegPath", &TKitIniCtrl::RegPath, &TKitIniCtrl::SetRegPath).Default("");
  p.Enum("RegRoot", RegRootInfo(), &TKitIniCtrl::RegRoot, &TKitIniCtrl::SetRegRoot).Default(rpCurrentUser);
  p.Enum("Target", IniTargetInfo(), &TKitIniCtrl::Target, &TKitIniCtrl::SetTarget).Default(itAuto);
  p.Integer("EncKey", &TKitIniCtrl::EncKey, &TKitIniCtrl::SetEncKey).Default(kDefaultEncKey);
  p.Boolean("Encoded", &TKitIniCtrl::Encoded, &TKitIniCtrl::SetEncoded).Default(false);
}

TKitIniCtrl::TKitIniCtrl(TComponent* AOwner) : TKitCustomComponent(AOwner) {}

void TKitIniCtrl::SetAlphaCounter(bool value) {
  if (value == alphaCounter_) return;
  alphaCounter_ = value;
  if (maxEntries_ > kMaxAlphaEntries) maxEntries_ = kMaxAlphaEntries;
}

void TKitIniCtrl::SetIniFile(const std::string& value) {
  if (IsBlank(ExtractFileExt(value)))
    iniFile_ = value + ".INI";
  else
    iniFile_ = value;
}

void TKitIniCtrl::SetMaxEntries(Byte value) {
  if (alphaCounter_ && value > kMaxAlphaEntries) return;
  maxEntries_ = value;
}

void TKitIniCtrl::SetNetUser(bool value) {
  if (value == netUser_) return;
  netUser_ = value;
  if (value) user_ = GetUserName();
}

void TKitIniCtrl::SetTarget(TKitIniTarget value) {
  target_ = value;
  effectiveTarget_ = value == itAuto ? itRegistry : value;
}

std::string TKitIniCtrl::GetUserName() {
  std::string name = KitSystemInfo().UserName();
  return name.empty() ? std::string(kKitUnknown) : name;
}
