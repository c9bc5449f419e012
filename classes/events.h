// Events: a bound method, code plus object. Bind with TNotifyEvent(form,
// &TMyForm::ButtonClick); calling an unassigned event does nothing.
#pragma once
#include <bit>
#include <utility>

#include "classes/rtti.h"

template <class... A>
class TEvent {
 public:
  using Code = void (TObject::*)(A...);

  TEvent() = default;
  TEvent(std::nullptr_t) {}
  template <class C>
  TEvent(C* object, void (C::*code)(A...)) : object_(object), code_(static_cast<Code>(code)) {
    static_assert(std::is_base_of_v<TObject, C>, "events bind methods of framework objects");
  }

  // Assigned: has both code and object.
  explicit operator bool() const { return object_ != nullptr && code_ != nullptr; }
  TObject* Object() const { return object_; }
  Code CodePointer() const { return code_; }

  // Calls the handler when assigned. The handler may destroy the event's owner: the
  // call works on copies and touches nothing of this event afterwards.
  void operator()(A... args) const {
    TObject* object = object_;
    Code code = code_;
    if (object != nullptr && code != nullptr) (object->*code)(std::forward<A>(args)...);
  }

  TMethod ToMethod() const {
    return TMethod{std::bit_cast<TErasedMethod>(code_), object_, &SignatureOf<A...>()};
  }
  // Takes a method found in a published method table. False, leaving the event as it
  // was, when the signatures differ; a method without code clears the event.
  bool Assign(const TMethod& method) {
    if (method.Code == nullptr) {
      *this = TEvent();
      return true;
    }
    if (method.Signature == nullptr || !(*method.Signature == SignatureOf<A...>())) return false;
    object_ = method.Data;
    code_ = std::bit_cast<Code>(method.Code);
    return true;
  }

  friend bool operator==(const TEvent& a, const TEvent& b) {
    return a.object_ == b.object_ && a.code_ == b.code_;
  }

 private:
  TObject* object_ = nullptr;
  Code code_ = nullptr;
};

using TNotifyEvent = TEvent<TObject*>;
