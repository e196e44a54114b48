#pragma once
// Exceptions of the debug-information library.
#include <string>

#include "platform/classlib/exceptions.h"
#include "platform/win/types.h"

QM_DECLARE_EXCEPTION(EDbgError, Exception);

// A failure of a system call: carries the last error code and the system's text for it.
class EDbgWin32Error : public EDbgError {
 public:
  // Message "Win32: <text> (<code>)" for the calling thread's last error.
  EDbgWin32Error();
  // Message "Win32: <text> (<code>)" for `code`.
  explicit EDbgWin32Error(win::DWORD code);
  // Message `message`; the code and its text are kept beside it.
  EDbgWin32Error(const std::string& message, win::DWORD code);

  win::DWORD ErrorCode() const noexcept { return errorCode_; }
  const std::string& ErrorMessage() const noexcept { return errorMessage_; }
  const char* ClassName() const noexcept override { return "EDbgWin32Error"; }

 private:
  win::DWORD errorCode_;
  std::string errorMessage_;
};

QM_DECLARE_EXCEPTION(EDbgFileVersionInfoError, EDbgError);
QM_DECLARE_EXCEPTION(EDbgPeImageError, EDbgError);
QM_DECLARE_EXCEPTION(EDbgFileMappingError, EDbgWin32Error);
QM_DECLARE_EXCEPTION(EDbgFileMappingViewError, EDbgWin32Error);

namespace dbg {

// Raise the library's errors with the text of their string resource.
[[noreturn]] void RaisePeError(int id);
[[noreturn]] void RaiseVersionInfoError();

}  // namespace dbg
