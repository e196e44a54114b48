#pragma once
// Character tables of the library: the character type of every single-byte code, and
// lower-case, upper-case and reversed-case maps.
#include <array>

#include "platform/classlib/types.h"

using TDbgCharTypeTable = std::array<Word, 256>;
using TDbgCaseMap = std::array<Byte, 256>;

// Fills the type table from the window system's first character-type classification
// for the user's default locale, one call per code; then builds the case maps unless
// they were built before.
void DbgInitCharTables();

const TDbgCharTypeTable& DbgCharTypes();
const TDbgCaseMap& DbgLowerCaseMap();
const TDbgCaseMap& DbgUpperCaseMap();
// An upper-case letter maps to its lower case, a lower-case letter to its upper case,
// anything else to itself.
const TDbgCaseMap& DbgReverseCaseMap();
bool DbgCaseMapsBuilt();
