#include "debuginfo/dbg_exceptions.h"

#include "debuginfo/dbg_resources.h"
#include "platform/win/system_info.h"

namespace {

std::string Win32Text(win::DWORD code) {
  return Format(dbg::LoadResString(dbg::RsWin32Prefix), win::SysErrorMessage(code), code);
}

}  // namespace

EDbgWin32Error::EDbgWin32Error() : EDbgWin32Error(win::GetLastError()) {}

EDbgWin32Error::EDbgWin32Error(win::DWORD code)
    : EDbgError(Win32Text(code)), errorCode_(code), errorMessage_(win::SysErrorMessage(code)) {}

EDbgWin32Error::EDbgWin32Error(const std::string& message, win::DWORD code)
    : EDbgError(message), errorCode_(code), errorMessage_(win::SysErrorMessage(code)) {}

namespace dbg {

void RaisePeError(int id) { throw EDbgPeImageError(LoadResString(id)); }

void RaiseVersionInfoError() { throw EDbgFileVersionInfoError(LoadResString(RsFileUtilsNoVersionInfo)); }

}  // namespace dbg
