#include "debuginfo/char_tables.h"

#include "platform/win/system_info.h"

namespace {

TDbgCharTypeTable gCharTypes{};
TDbgCaseMap gLower{};
TDbgCaseMap gUpper{};
TDbgCaseMap gReverse{};
bool gCaseMapsBuilt = false;

void BuildCaseMaps() {
  for (int c = 0; c < 256; ++c) {
    char lower = static_cast<char>(c), upper = static_cast<char>(c);
    win::CharLowerBuff(&lower, 1);
    win::CharUpperBuff(&upper, 1);
    gLower[c] = static_cast<Byte>(lower);
    gUpper[c] = static_cast<Byte>(upper);
    if (gCharTypes[c] & win::C1_UPPER)
      gReverse[c] = gLower[c];
    else if (gCharTypes[c] & win::C1_LOWER)
      gReverse[c] = gUpper[c];
    else
      gReverse[c] = static_cast<Byte>(c);
  }
  gCaseMapsBuilt = true;
}

}  // namespace

void DbgInitCharTables() {
  for (int c = 0; c < 256; ++c) {
    const char ch = static_cast<char>(c);
    Word type = 0;
    if (!win::GetStringTypeEx(win::LOCALE_USER_DEFAULT, win::CT_CTYPE1, &ch, 1, &type)) type = 0;
    gCharTypes[c] = type;
  }
  if (!gCaseMapsBuilt) BuildCaseMaps();
}

const TDbgCharTypeTable& DbgCharTypes() { return gCharTypes; }
const TDbgCaseMap& DbgLowerCaseMap() { return gLower; }
const TDbgCaseMap& DbgUpperCaseMap() { return gUpper; }
const TDbgCaseMap& DbgReverseCaseMap() { return gReverse; }
bool DbgCaseMapsBuilt() { return gCaseMapsBuilt; }
