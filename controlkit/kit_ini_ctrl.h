#pragma once
// TKitIniCtrl: the settings component the kit application owns. In this system it holds
// its settings only; nothing reads or writes an ini file or the registry through it.
#include <string>

#include "controlkit/kit_general.h"
#include "controlkit/kit_object.h"

enum TKitRegRootKey { rpClassesRoot, rpCurrentUser, rpLocalMachine, rpUsers, rpCurrentConfig, rpDynData };
enum TKitIniTarget { itIniFile, itRegistry, itAuto };

class TKitIniCtrl : public TKitCustomComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitIniCtrl(TComponent* AOwner);

  bool AlphaCounter() const { return alphaCounter_; }
  // On a change, MaxEntries above 26 is cut to 26.
  void SetAlphaCounter(bool value);
  bool Common() const { return common_; }
  void SetCommon(bool value) { common_ = value; }
  const std::string& IniFile() const { return iniFile_; }
  // A name without extension gets ".INI".
  void SetIniFile(const std::string& value);
  TKitPathPrefix IniPrefix() const { return iniPrefix_; }
  void SetIniPrefix(TKitPathPrefix value) { iniPrefix_ = value; }
  Byte MaxEntries() const { return maxEntries_; }
  // With AlphaCounter set, values above 26 are refused.
  void SetMaxEntries(Byte value);
  bool NetUser() const { return netUser_; }
  // Turning it on sets User to the logged-on user's name (GetUserName).
  void SetNetUser(bool value);
  const std::string& User() const { return user_; }
  void SetUser(const std::string& value) { user_ = value; }
  const std::string& RegPath() const { return regPath_; }
  void SetRegPath(const std::string& value) { regPath_ = value; }
  TKitRegRootKey RegRoot() const { return regRoot_; }
  void SetRegRoot(TKitRegRootKey value) { regRoot_ = value; }
  TKitIniTarget Target() const { return target_; }
  // itAuto makes the registry the effective target.
  void SetTarget(TKitIniTarget value);
  TKitIniTarget EffectiveTarget() const { return effectiveTarget_; }
  Word EncKey() const { return encKey_; }
  void SetEncKey(Word value) { encKey_ = value; }
  bool Encoded() const { return encoded_; }
  void SetEncoded(bool value) { encoded_ = value; }

  // The logged-on user's name (from the system-information provider).
  virtual std::string GetUserName();

  static constexpr Word kDefaultEncKey = 0x5A3C;

 private:
  bool alphaCounter_ = false;
  bool common_ = true;
  std::string iniFile_;
  TKitPathPrefix iniPrefix_ = ppWindows;
  Byte maxEntries_ = 16;
  bool netUser_ = false;
  std::string user_;
  std::string regPath_;
  TKitRegRootKey regRoot_ = rpCurrentUser;
  TKitIniTarget target_ = itAuto;
  Word encKey_ = kDefaultEncKey;
  bool encoded_ = false;
  TKitIniTarget effectiveTarget_ = itRegistry;
};
