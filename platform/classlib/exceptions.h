#pragma once
// The class library's exception classes. Every exception the system raises derives
// from Exception and carries a message.
#include <exception>
#include <string>
#include <utility>

#include "platform/classlib/format_args.h"

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  ~Exception() override = default;

  const std::string& Message() const noexcept { return message_; }
  void SetMessage(std::string m) { message_ = std::move(m); }
  const char* what() const noexcept override { return message_.c_str(); }
  virtual const char* ClassName() const noexcept { return "Exception"; }

 private:
  std::string message_;
};

// raise E.CreateFmt(fmt, [args]) is written: throw CreateFmt<E>(fmt, args...).
template <class E, class... A>
E CreateFmt(const std::string& fmt, const A&... args) {
  return E(Format(fmt, args...));
}

#define QM_DECLARE_EXCEPTION(Name, Base)                                   \
  class Name : public Base {                                               \
   public:                                                                 \
    using Base::Base;                                                      \
    const char* ClassName() const noexcept override { return #Name; }      \
  }

QM_DECLARE_EXCEPTION(EConvertError, Exception);
QM_DECLARE_EXCEPTION(EListError, Exception);
QM_DECLARE_EXCEPTION(EStringListError, Exception);
QM_DECLARE_EXCEPTION(EStreamError, Exception);
QM_DECLARE_EXCEPTION(EFilerError, EStreamError);
QM_DECLARE_EXCEPTION(EReadError, EFilerError);
QM_DECLARE_EXCEPTION(EWriteError, EFilerError);
QM_DECLARE_EXCEPTION(EClassNotFound, EFilerError);
QM_DECLARE_EXCEPTION(EFOpenError, EStreamError);
QM_DECLARE_EXCEPTION(EFCreateError, EStreamError);
QM_DECLARE_EXCEPTION(EResNotFound, Exception);
QM_DECLARE_EXCEPTION(EComponentError, Exception);
QM_DECLARE_EXCEPTION(EInvalidOperation, Exception);
QM_DECLARE_EXCEPTION(EOutOfResources, Exception);
QM_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
QM_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);
QM_DECLARE_EXCEPTION(EInvalidPointer, Exception);
QM_DECLARE_EXCEPTION(EAbstractError, Exception);
QM_DECLARE_EXCEPTION(EAssertionFailed, Exception);
QM_DECLARE_EXCEPTION(EOutOfMemory, Exception);
QM_DECLARE_EXCEPTION(EIntOverflow, Exception);
QM_DECLARE_EXCEPTION(EZeroDivide, Exception);

// The class library's message texts that more than one unit raises.
namespace msg {
inline constexpr const char* ListIndexError = "List index out of bounds (%d)";
inline constexpr const char* ListCapacityError = "List capacity out of bounds (%d)";
inline constexpr const char* ListCountError = "List count out of bounds (%d)";
inline constexpr const char* DuplicateString = "String list does not allow duplicates";
inline constexpr const char* SortedListError = "Operation not allowed on sorted string list";
inline constexpr const char* InvalidInteger = "'%s' is not a valid integer value";
inline constexpr const char* InvalidFloat = "'%s' is not a valid floating point value";
inline constexpr const char* InvalidFormat = "Format '%s' invalid or incompatible with argument";
inline constexpr const char* ArgumentMissing = "No argument for format '%s'";
inline constexpr const char* ReadError = "Stream read error";
inline constexpr const char* WriteError = "Stream write error";
inline constexpr const char* FOpenError = "Cannot open file \"%s\". %s";
inline constexpr const char* FCreateError = "Cannot create file \"%s\". %s";
inline constexpr const char* ResNotFound = "Resource %s not found";
inline constexpr const char* DuplicateName = "A component named %s already exists";
inline constexpr const char* ClassNotFound = "Class %s not found";
inline constexpr const char* InvalidPointer = "Invalid pointer operation";
inline constexpr const char* AbstractError = "Abstract Error";
inline constexpr const char* AssertionFailed = "Assertion failed";
inline constexpr const char* UnknownGraphicFormat = "Unknown picture file extension (.%s)";
inline constexpr const char* InvalidGraphic = "Bitmap image is not valid";
}  // namespace msg
