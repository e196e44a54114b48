#pragma once
// Saving a file the user names, all or nothing (platform/filesave): the bytes are made whole
// in memory first, then written beside the file and renamed over it.
#include <functional>
#include <string>

class TStream;

// Saves what `write` writes as the file `fileName`. A failure of `write` (whatever it
// raises) or of the disk (EFCreateError naming the file and the reason) leaves the old
// file as it was; a symbolic link saves to its target; a pipe, device or folder is refused.
void SaveFileWhole(const std::string& fileName, const std::function<void(TStream&)>& write);
