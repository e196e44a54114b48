#pragma once
// File names as the system writes them ("C:\Data\Quillmoth\Smoke.bmp") and their
// resolution on this file system.
//
// The Extract... helpers treat '\' and '/' as separators (and ':' after a drive) and
// keep the separator style of their input. Everything that touches the file system
// goes through ResolvePath.
#include <string>

// The drive and directory part, up to and including the last separator ("" if none).
std::string ExtractFilePath(const std::string& fileName);
// The part after the last separator.
std::string ExtractFileName(const std::string& fileName);
// The extension with its dot (".bmp"), or "" when the name has none.
std::string ExtractFileExt(const std::string& fileName);
// Replaces the extension (or appends one when there is none); `extension` carries its dot.
std::string ChangeFileExt(const std::string& fileName, const std::string& extension);
// Appends a separator unless the name ends with one: '/' when the name uses '/' and
// no '\', else '\'.
std::string IncludeTrailingBackslash(const std::string& path);
// Removes one trailing separator.
std::string ExcludeTrailingBackslash(const std::string& path);

// Maps a Windows-style name onto this file system: '\' becomes '/', a drive letter
// ("C:") is dropped, and when the name does not exist as written each component is
// matched without regard to case against its directory. Components that match nothing
// are kept as written, so the result also names a file still to be created.
std::string ResolvePath(const std::string& fileName);

// True for an existing file that is not a directory.
bool FileExists(const std::string& fileName);
bool DirectoryExists(const std::string& directory);
// Deletes a file; false when it does not exist or cannot be deleted.
bool DeleteFile(const std::string& fileName);
