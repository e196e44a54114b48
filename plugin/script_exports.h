#pragma once
// Two entry points for the command-line host: it runs the editor's menu commands by
// their caption path and reads the status line, so that files can be made by script.
#include <string>

// "File/New Emitter": 0 when the command ran; otherwise 1 and Message says why (no such
// item, a disabled item, a dialog that found no answer, an error it raised).
int RunEditorCommand(const std::string& Path, std::string& Message);
// The main window's status line ("" without a main window).
std::string EditorStatusText();
// The menu commands RunEditorCommand takes, one "Menu/Item" a line.
std::string EditorCommandList();

extern "C" {
// Message and Text are zero-ended and cut to Size - 1 bytes; nothing is written when
// the buffer is null or Size < 1.
__attribute__((visibility("default"))) int QuillmothRunCommand(const char* Path, char* Message, int Size);
// Answers the full length of the text.
__attribute__((visibility("default"))) int QuillmothStatusText(char* Text, int Size);
// EditorCommandList(); answers its full length.
__attribute__((visibility("default"))) int QuillmothCommandList(char* Text, int Size);
}
