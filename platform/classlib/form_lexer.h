#pragma once
// Tokens of the text form layout ("object Form1: TForm1 ... end").
//
// The lexer works on text it does not own and treats it as hostile: every malformed
// token raises EParserError "<what> on line <n>". Adjacent quoted runs and '#' character
// codes ('It''s'#13#10'done') form one string token; a '{' ... '}' block of hex digit
// pairs, over any number of lines, is one binary token; a '-' directly before a number
// belongs to it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/types.h"

QM_DECLARE_EXCEPTION(EParserError, Exception);

enum TFormTokenKind {
  ftEOF,
  ftSymbol,   // identifier
  ftString,   // text already decoded
  ftInteger,  // decimal or $hex, with its sign
  ftFloat,    // decimal with a point and/or exponent, optional suffix s, c or d
  ftBinary,   // bytes decoded from the hex block
  ftChar      // one punctuation character: = : . , [ ] ( ) < > +
};

struct TFormToken {
  TFormTokenKind Kind = ftEOF;
  int Line = 1;
  std::string Text;  // identifier, decoded string or binary bytes; the character of ftChar
  Int64 Integer = 0;
  Double Float = 0;
  char FloatSuffix = 0;  // 's', 'c', 'd' or 0
};

class TFormLexer {
 public:
  explicit TFormLexer(std::string_view text) : text_(text) {}

  // Reads the next token; ftEOF at the end, again and again.
  const TFormToken& Next();
  const TFormToken& Current() const { return token_; }
  // Line of the current token.
  int Line() const { return token_.Line; }

  // Raises EParserError "<message> on line <line>".
  [[noreturn]] static void Error(const std::string& message, int line);

 private:
  void SkipBlanks();
  void ReadSymbol();
  void ReadNumber();
  void ReadString();
  void ReadBinary();
  char Peek(std::size_t ahead = 0) const { return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0'; }
  bool AtEnd(std::size_t ahead = 0) const { return pos_ + ahead >= text_.size(); }
  void Advance();  // one character, counting lines

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
  TFormToken token_;
};

// True for the characters that may continue an identifier.
bool IsFormIdentChar(char c);
