// Class information of the framework: every class derived from TObject knows its name,
// its parent, its virtual constructor (components) and its published tables:
// properties, component fields, event handler methods and message handlers. The form
// reader sets properties and binds fields and handlers by name through these tables;
// RouteMessage dispatches through the message handler tables.
//
// A class declares itself with TD_CLASS(Class, Parent) at the top of its body and
// fills its tables in a static Describe function next to its implementation:
//
//   class TMyButton : public TComponent {
//     TD_CLASS(TMyButton, TComponent)
//    public:
//     explicit TMyButton(TComponent* owner);
//     ...
//   };
//
//   TD_IMPLEMENT_CLASS(TMyButton)
//   void TMyButton::Describe(Describer& d) {
//     d.Property("Caption", &TMyButton::Caption, &TMyButton::SetCaption);
//     d.Property("Down", &TMyButton::Down, &TMyButton::SetDown).Default(false);
//     d.Property("OnClick", &TMyButton::OnClick);
//     d.Message(WM_PAINT, &TMyButton::WMPaint);
//   }
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "classes/sets.h"
#include "platform/types.h"

class TObject;
class TComponent;
class TClassInfo;
template <class C>
class TClassDescriber;
template <class... A>
class TEvent;

// The record a message handler receives; Result is 0 on entry.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// A handler of the message table, type-erased to TObject.
using TMessageHandler = void (TObject::*)(TMessage&);
// Handler code of any signature, type-erased; only ever called after being cast back
// to its own signature (see TMethodSignature).
using TErasedMethod = void (TObject::*)();

// The parameter list of an event or a published method. Two signatures are the same
// when their parameter types are identical (by-reference parameters included).
struct TMethodSignature {
  std::type_index Id;
  std::string Text;  // readable parameter list, for messages
};
inline bool operator==(const TMethodSignature& a, const TMethodSignature& b) {
  return a.Id == b.Id;
}

namespace detail {
std::string ReadableTypeName(const std::type_info& type);
const std::string& ClassNameOf(const TClassInfo& info);
}  // namespace detail

template <class... A>
const TMethodSignature& SignatureOf() {
  static const TMethodSignature signature{typeid(void (*)(A...)),
                                          detail::ReadableTypeName(typeid(void (*)(A...)))};
  return signature;
}

// Code plus object: the type-erased value of an event property or a found handler.
struct TMethod {
  TErasedMethod Code = nullptr;
  TObject* Data = nullptr;
  const TMethodSignature* Signature = nullptr;
};

// Type information of a property's type.
enum class TTypeKind {
  Unknown,
  Integer,
  Char,
  Enumeration,
  Float,
  String,
  Set,
  Class,
  Method,
  LString
};
// Storage width and signedness of integer, char, enumeration and set kinds.
enum class TOrdType { SByte, UByte, SWord, UWord, SLong, ULong };
enum class TFloatType { Single, Double, Extended, Comp, Curr };

struct TTypeInfo {
  std::string Name;
  TTypeKind Kind = TTypeKind::Unknown;
  TOrdType OrdType = TOrdType::SLong;  // integer, char, enumeration, set
  TFloatType FloatType = TFloatType::Double;
  int MaxLength = 255;                          // short strings
  std::vector<std::string> EnumNames;           // enumerations: value names in ordinal order
  const TTypeInfo* ElementType = nullptr;       // sets: the element enumeration
  const TClassInfo* ClassType = nullptr;        // class kind
  const TMethodSignature* Signature = nullptr;  // method kind

  // The ordinal of an enumeration value name, ignoring ASCII case; -1 when none.
  int EnumValue(std::string_view name) const;
  // The value name of an ordinal; empty when out of range.
  std::string EnumName(std::int64_t ordinal) const;
  bool IsOrdinal() const;
};

namespace detail {
TTypeInfo MakeOrdinalType(std::string name, TTypeKind kind, TOrdType ordType);
TTypeInfo MakeEnumType(std::string name, std::size_t byteSize,
                       std::initializer_list<const char*> names);
TTypeInfo MakeFloatType(std::string name, TFloatType floatType);
template <class T>
constexpr TOrdType OrdTypeOf() {
  if constexpr (sizeof(T) == 1)
    return std::is_signed_v<T> ? TOrdType::SByte : TOrdType::UByte;
  else if constexpr (sizeof(T) == 2)
    return std::is_signed_v<T> ? TOrdType::SWord : TOrdType::UWord;
  else
    return std::is_signed_v<T> ? TOrdType::SLong : TOrdType::ULong;
}
}  // namespace detail

// Named types for .Type(...): an integer type of its own (a colour, a cursor) and a
// short string with its maximum length. Keep the result in a static and pass that.
TTypeInfo MakeIntegerType(std::string name, TOrdType ordType = TOrdType::SLong);
TTypeInfo MakeShortStringType(std::string name, int maxLength);

// TypeInfoTrait<T>::Get() gives the type information of a property of C++ type T.
// Built in: bool, char, 8/16/32-bit integers, float/double/long double, std::string,
// pointers to framework classes, TSet<E>, TEvent<A...>. Enumerations declare theirs
// with TD_ENUM_TYPE; an integer type with a name of its own (a colour, a cursor) is
// given per property with .Type(info).
template <class T, class = void>
struct TypeInfoTrait;

template <class T>
const TTypeInfo& TypeInfoOf() {
  return TypeInfoTrait<std::remove_cvref_t<T>>::Get();
}

template <>
struct TypeInfoTrait<bool> {
  static const TTypeInfo& Get() {
    static const TTypeInfo info = detail::MakeEnumType("Boolean", 1, {"False", "True"});
    return info;
  }
};
template <>
struct TypeInfoTrait<char> {
  static const TTypeInfo& Get() {
    static const TTypeInfo info = detail::MakeOrdinalType("Char", TTypeKind::Char, TOrdType::UByte);
    return info;
  }
};
template <class T>
struct TypeInfoTrait<T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool> &&
                                         !std::is_same_v<T, char> && (sizeof(T) <= 4)>> {
  static const TTypeInfo& Get() {
    static const TTypeInfo info = detail::MakeOrdinalType(
        std::is_signed_v<T> ? "Integer" : "Cardinal", TTypeKind::Integer, detail::OrdTypeOf<T>());
    return info;
  }
};
template <class T>
struct TypeInfoTrait<T, std::enable_if_t<std::is_floating_point_v<T>>> {
  static const TTypeInfo& Get() {
    static const TTypeInfo info =
        sizeof(T) == sizeof(float)    ? detail::MakeFloatType("Single", TFloatType::Single)
        : sizeof(T) == sizeof(double) ? detail::MakeFloatType("Double", TFloatType::Double)
                                      : detail::MakeFloatType("Extended", TFloatType::Extended);
    return info;
  }
};
template <>
struct TypeInfoTrait<std::string> {
  static const TTypeInfo& Get() {
    static const TTypeInfo info =
        detail::MakeOrdinalType("String", TTypeKind::LString, TOrdType::SLong);
    return info;
  }
};
template <class E>
struct TypeInfoTrait<TSet<E>> {
  static const TTypeInfo& Get() {
    static const TTypeInfo info = [] {
      TTypeInfo t;
      t.Kind = TTypeKind::Set;
      t.ElementType = &TypeInfoOf<E>();
      t.Name = "set of " + t.ElementType->Name;
      t.OrdType = TOrdType::ULong;
      return t;
    }();
    return info;
  }
};
template <class T>
struct TypeInfoTrait<T*, std::enable_if_t<std::is_base_of_v<TObject, T>>> {
  static const TTypeInfo& Get() {
    static const TTypeInfo info = [] {
      TTypeInfo t;
      t.Kind = TTypeKind::Class;
      t.ClassType = &T::StaticClass();
      t.Name = detail::ClassNameOf(*t.ClassType);
      return t;
    }();
    return info;
  }
};
template <class... A>
struct TypeInfoTrait<TEvent<A...>> {
  static const TTypeInfo& Get() {
    static const TTypeInfo info = [] {
      TTypeInfo t;
      t.Kind = TTypeKind::Method;
      t.Signature = &SignatureOf<A...>();
      t.Name = "procedure" + t.Signature->Text;
      return t;
    }();
    return info;
  }
};

// Declares the type information of an enumeration whose values are 0, 1, 2, ... in the
// order of the names given. Use at global scope, after the enumeration:
//   TD_ENUM_TYPE(TAlign, "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient");
#define TD_ENUM_TYPE(Enum, ...)                                                               \
  template <>                                                                                 \
  struct TypeInfoTrait<Enum> {                                                                \
    static const TTypeInfo& Get() {                                                           \
      static const TTypeInfo info = detail::MakeEnumType(#Enum, sizeof(Enum), {__VA_ARGS__}); \
      return info;                                                                            \
    }                                                                                         \
  }

// How a property is read or written: not at all, straight from a member, or through
// an accessor (an ordinary or a virtual member function, optionally with an index).
enum class TPropAccess { None, Field, Accessor };

// One published property. The value is reached through the accessor family of its
// kind: ordinal (integer, char, enumeration, set), float, string (short and long),
// object (class) or method (event); asking a property for another family is a
// programming error.
class TPropInfo {
 public:
  const std::string& Name() const { return name_; }
  const TTypeInfo& Type() const { return *type_; }
  TTypeKind Kind() const { return type_->Kind; }
  TPropAccess ReadAccess() const { return readAccess_; }
  TPropAccess WriteAccess() const { return writeAccess_; }
  bool IsReadOnly() const { return writeAccess_ == TPropAccess::None; }
  // The index an indexed accessor is called with.
  std::optional<int> Index() const { return index_; }
  // Ordinal kinds: the value not written to a description (none when not declared).
  std::optional<std::int64_t> DefaultValue() const { return default_; }
  bool IsStored(TObject* instance) const { return stored_ ? stored_(instance) : true; }

  std::int64_t GetOrdinal(TObject* instance) const;
  // Stores the value at the property's width (integers are cut to it).
  void SetOrdinal(TObject* instance, std::int64_t value) const;
  long double GetFloat(TObject* instance) const;
  void SetFloat(TObject* instance, long double value) const;
  std::string GetString(TObject* instance) const;
  // Short strings are cut to the type's maximum length.
  void SetString(TObject* instance, const std::string& value) const;
  TObject* GetObject(TObject* instance) const;
  // False, changing nothing, when the value is not of the property's class.
  bool SetObject(TObject* instance, TObject* value) const;
  TMethod GetMethod(TObject* instance) const;
  // False, changing nothing, when the method's signature is not the event's. A method
  // without code clears the event.
  bool SetMethod(TObject* instance, const TMethod& value) const;

 private:
  template <class C>
  friend class TClassDescriber;
  template <class C>
  friend class TPropertyOptions;

  std::string name_;
  const TTypeInfo* type_ = nullptr;
  TPropAccess readAccess_ = TPropAccess::None;
  TPropAccess writeAccess_ = TPropAccess::None;
  std::optional<int> index_;
  std::optional<std::int64_t> default_;
  std::function<bool(TObject*)> stored_;

  std::function<std::int64_t(TObject*)> getOrdinal_;
  std::function<void(TObject*, std::int64_t)> setOrdinal_;
  std::function<long double(TObject*)> getFloat_;
  std::function<void(TObject*, long double)> setFloat_;
  std::function<std::string(TObject*)> getString_;
  std::function<void(TObject*, const std::string&)> setString_;
  std::function<TObject*(TObject*)> getObject_;
  std::function<bool(TObject*, TObject*)> setObject_;
  std::function<TMethod(TObject*)> getMethod_;
  std::function<bool(TObject*, const TMethod&)> setMethod_;
};

// A published field: a member of the instance that holds a component pointer.
class TFieldInfo {
 public:
  const std::string& Name() const { return name_; }
  const TClassInfo& FieldClass() const { return *fieldClass_; }
  TObject* Get(TObject* instance) const { return get_(instance); }
  // Stores value (or nil); false, changing nothing, when value is not of the field's class.
  bool Set(TObject* instance, TObject* value) const { return set_(instance, value); }

 private:
  template <class C>
  friend class TClassDescriber;
  std::string name_;
  const TClassInfo* fieldClass_ = nullptr;
  std::function<TObject*(TObject*)> get_;
  std::function<bool(TObject*, TObject*)> set_;
};

// A published method: an event handler found by name, with its signature.
class TMethodInfo {
 public:
  const std::string& Name() const { return name_; }
  const TMethodSignature& Signature() const { return *signature_; }
  TErasedMethod Code() const { return code_; }
  // The handler bound to instance, ready for TPropInfo::SetMethod.
  TMethod Bind(TObject* instance) const { return TMethod{code_, instance, signature_}; }

 private:
  template <class C>
  friend class TClassDescriber;
  std::string name_;
  const TMethodSignature* signature_ = nullptr;
  TErasedMethod code_ = nullptr;
};

namespace detail {
// The published tables of one class (its own entries, not its ancestors').
struct ClassTables {
  std::vector<std::unique_ptr<TPropInfo>> properties;
  std::vector<std::unique_ptr<TFieldInfo>> fields;
  std::vector<std::unique_ptr<TMethodInfo>> methods;
  std::unordered_map<std::uint16_t, TMessageHandler> messages;
};
}  // namespace detail

// Class identity and published tables. One per class, made by TD_IMPLEMENT_CLASS; the
// tables are built by the class's Describe on first use. Every lookup by name ignores
// ASCII case and walks from the class to its ancestors.
class TClassInfo {
 public:
  using Factory = TComponent* (*)(TComponent* owner);
  using DescribeProc = void (*)(detail::ClassTables& tables);

  TClassInfo(std::string name, const TClassInfo* parent, Factory factory, DescribeProc describe);
  TClassInfo(const TClassInfo&) = delete;
  TClassInfo& operator=(const TClassInfo&) = delete;

  const std::string& Name() const { return name_; }
  const TClassInfo* Parent() const { return parent_; }
  // True for this class and every class derived from it.
  bool InheritsFrom(const TClassInfo& ancestor) const;

  // The virtual constructor: components whose class can be constructed with an owner.
  bool CanConstruct() const { return factory_ != nullptr; }
  // A new instance adopted by owner; nullptr when the class has no virtual constructor.
  TComponent* Construct(TComponent* owner) const;

  const TPropInfo* FindProperty(std::string_view name) const;
  // Ancestors' properties first, each class's in declaration order.
  std::vector<const TPropInfo*> AllProperties() const;
  // Fields and methods: the name is cut to 255 characters for the lookup.
  const TFieldInfo* FindField(std::string_view name) const;
  // The class of a published field of this class or an ancestor whose class name is
  // className; how a form finds the classes of the components it declares.
  const TClassInfo* FindFieldClass(std::string_view className) const;
  const TMethodInfo* FindMethod(std::string_view name) const;
  // The handler for the low 16 bits of message in this class or its nearest ancestor
  // that has one; nullptr when none has.
  TMessageHandler FindMessageHandler(UINT message) const;

  // This class's own tables, without its ancestors'.
  const detail::ClassTables& OwnTables() const;

 private:
  std::string name_;
  const TClassInfo* parent_;
  Factory factory_;
  DescribeProc describe_;
  mutable bool described_ = false;
  mutable detail::ClassTables tables_;
};

// Base of every framework class.
class TObject {
 public:
  using Describer = TClassDescriber<TObject>;

  TObject() = default;
  virtual ~TObject() = default;

  static const TClassInfo& StaticClass();
  virtual const TClassInfo& ClassInfo() const;
  const std::string& ClassName() const { return ClassInfo().Name(); }
  bool InheritsFrom(const TClassInfo& ancestor) const { return ClassInfo().InheritsFrom(ancestor); }

  // Calls the handler of the class or its nearest ancestor for the low 16 bits of the
  // message number, else DefaultMessage.
  void RouteMessage(TMessage& message);
  // What a message without a handler gets; nothing here.
  virtual void DefaultMessage(TMessage& message);

 protected:
  // For a handler that wants the inherited behaviour: calls the handler of the nearest
  // ancestor of handlerClass (the class whose handler is running, normally
  // StaticClass()) for the same number, else DefaultMessage.
  void InheritedMessage(const TClassInfo& handlerClass, TMessage& message);

 private:
  static void Describe(Describer& d);
};

namespace detail {
template <class C>
constexpr TClassInfo::Factory FactoryFor() {
  if constexpr (std::is_base_of_v<TComponent, C> && !std::is_abstract_v<C> &&
                std::is_constructible_v<C, TComponent*>) {
    return [](TComponent* owner) -> TComponent* { return new C(owner); };
  } else {
    return nullptr;
  }
}
}  // namespace detail

// At the top of a class body; leaves the access private.
#define TD_CLASS(Class, Parent)                 \
 public:                                        \
  using inherited = Parent;                     \
  using Describer = TClassDescriber<Class>;     \
  static const TClassInfo& StaticClass();       \
  const TClassInfo& ClassInfo() const override; \
                                                \
 private:                                       \
  static void Describe(Describer& d);

// In the class's implementation file; followed by the definition of Describe.
#define TD_IMPLEMENT_CLASS(Class)                                                               \
  const TClassInfo& Class::StaticClass() {                                                      \
    static const TClassInfo info(#Class, &Class::inherited::StaticClass(),                      \
                                 detail::FactoryFor<Class>(), [](detail::ClassTables& tables) { \
                                   Class::Describer describer(tables);                          \
                                   Class::Describe(describer);                                  \
                                 });                                                            \
    return info;                                                                                \
  }                                                                                             \
  const TClassInfo& Class::ClassInfo() const { return StaticClass(); }

// For a class that publishes nothing of its own.
#define TD_IMPLEMENT_CLASS_WITHOUT_TABLES(Class) \
  TD_IMPLEMENT_CLASS(Class)                      \
  void Class::Describe(Describer&) {}

#include "classes/describer.h"
