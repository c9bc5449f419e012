// The exception classes of the framework. Every failure the program names is one of
// these; messages come from the string table (runtime/text.h LoadStr).
#pragma once
#include <exception>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const { return message_; }
  void SetMessage(std::string message) { message_ = std::move(message); }
  const char* what() const noexcept override { return message_.c_str(); }
  virtual const char* ClassName() const { return "Exception"; }

 private:
  std::string message_;
};

#define TD_EXCEPTION_CLASS(name, parent)                        \
  class name : public parent {                                  \
   public:                                                      \
    using parent::parent;                                       \
    const char* ClassName() const override { return #name; }    \
  }

// Silent: the exception display shows nothing for it.
TD_EXCEPTION_CLASS(EAbort, Exception);
TD_EXCEPTION_CLASS(EConvertError, Exception);
TD_EXCEPTION_CLASS(EListError, Exception);
TD_EXCEPTION_CLASS(EStringListError, Exception);
TD_EXCEPTION_CLASS(EBitsError, Exception);
TD_EXCEPTION_CLASS(EComponentError, Exception);
TD_EXCEPTION_CLASS(EStreamError, Exception);
TD_EXCEPTION_CLASS(EFCreateError, EStreamError);
TD_EXCEPTION_CLASS(EFOpenError, EStreamError);
TD_EXCEPTION_CLASS(EFilerError, EStreamError);
TD_EXCEPTION_CLASS(EReadError, EFilerError);
TD_EXCEPTION_CLASS(EWriteError, EFilerError);
TD_EXCEPTION_CLASS(EClassNotFound, EFilerError);
TD_EXCEPTION_CLASS(EResNotFound, Exception);
TD_EXCEPTION_CLASS(EInvalidOperation, Exception);
TD_EXCEPTION_CLASS(EOutOfMemory, Exception);
TD_EXCEPTION_CLASS(EOutOfResources, EOutOfMemory);
TD_EXCEPTION_CLASS(EInvalidGraphic, Exception);
TD_EXCEPTION_CLASS(EInvalidGraphicOperation, Exception);
TD_EXCEPTION_CLASS(EMenuError, Exception);
TD_EXCEPTION_CLASS(EMCIDeviceError, Exception);
// A checked cast of an object to a class it does not belong to.
TD_EXCEPTION_CLASS(EInvalidCast, Exception);

#undef TD_EXCEPTION_CLASS

// An input/output failure with the system's error code (GetLastError).
class EInOutError : public Exception {
 public:
  EInOutError(std::string message, int errorCode)
      : Exception(std::move(message)), errorCode_(errorCode) {}
  // The message the runtime gives a system error code: the code's own text, else
  // "I/O error %d".
  explicit EInOutError(int errorCode);
  int ErrorCode() const { return errorCode_; }
  const char* ClassName() const override { return "EInOutError"; }

 private:
  int errorCode_;
};

// Raises EInOutError for the calling thread's last system error.
[[noreturn]] void RaiseLastOSError();
