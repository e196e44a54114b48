#pragma once
// A stream over a view of a whole file mapped into memory. A read-write mode maps a
// private copy-on-write view: the stream's bytes can change, the file never does.
#include <string>

#include "platform/classlib/streams.h"

class TDbgFileMappingStream : public TCustomMemoryStream {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // Failures: the file cannot be opened (EDbgWin32Error with the system's error),
  // cannot be mapped (EDbgFileMappingError "Failed to create FileMapping"; an empty
  // file or a directory cannot), its view cannot be made (EDbgFileMappingViewError
  // "Failed to create FileMappingView"), or its size cannot be had
  // (EDbgFileMappingError "Failed to obtain size of file"). Nothing stays open after one.
  explicit TDbgFileMappingStream(const std::string& fileName, Word fileMode = fmOpenRead | fmShareDenyWrite);
  ~TDbgFileMappingStream() override;

  // Copies into the view while the data fits inside the file's size; returns 0 when it
  // does not, and always for a read-only view.
  Int64 Write(const void* buffer, Int64 count) override;

  const std::string& FileName() const { return fileName_; }
  bool ReadOnly() const { return readOnly_; }

 private:
  std::string fileName_;
  bool readOnly_ = true;
};
