#include "platform/classlib/save_file.h"

#include "platform/classlib/streams.h"

void SaveFileWhole(const std::string& fileName, const std::function<void(TStream&)>& write) {
  TMemoryStream bytes;
  write(bytes);
  bytes.SaveToFile(fileName);
}
