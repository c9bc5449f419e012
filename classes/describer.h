// TClassDescriber<C>: what a class's Describe uses to fill its published tables.
// Included by classes/rtti.h; not included directly.
#pragma once
#include <algorithm>
#include <bit>
#include <cassert>

#include "classes/rtti.h"

namespace detail {

template <class T>
struct IsSet : std::false_type {};
template <class E>
struct IsSet<TSet<E>> : std::true_type {};
template <class T>
struct IsEvent : std::false_type {};
template <class... A>
struct IsEvent<TEvent<A...>> : std::true_type {};

template <class V>
constexpr bool kIsOrdinal = std::is_integral_v<V> || std::is_enum_v<V> || IsSet<V>::value;
template <class V>
constexpr bool kIsObjectPointer =
    std::is_pointer_v<V>&& std::is_base_of_v<TObject, std::remove_pointer_t<V>>;

template <class V>
std::int64_t ToOrdinal(const V& value) {
  if constexpr (std::is_same_v<V, bool>) {
    return value ? 1 : 0;
  } else if constexpr (std::is_same_v<V, char>) {
    return static_cast<unsigned char>(value);
  } else if constexpr (IsSet<V>::value) {
    return value.Bits();
  } else {
    return static_cast<std::int64_t>(value);
  }
}

template <class V>
V FromOrdinal(std::int64_t value) {
  if constexpr (std::is_same_v<V, bool>) {
    return value != 0;
  } else if constexpr (IsSet<V>::value) {
    return V::FromBits(static_cast<std::uint32_t>(value));
  } else if constexpr (std::is_enum_v<V>) {
    return static_cast<V>(static_cast<std::underlying_type_t<V>>(value));
  } else {
    return static_cast<V>(value);
  }
}

// Read side of a property: a data member or a getter, optionally indexed.
template <class C, class M>
struct PropertyGetter;
template <class C, class B, class V>
requires(!std::is_function_v<V>) struct PropertyGetter<C, V B::*> {
  using Value = V;
  static constexpr TPropAccess kAccess = TPropAccess::Field;
  static auto Make(V B::*member, int) {
    return [member](TObject* instance) -> V { return static_cast<C*>(instance)->*member; };
  }
};
template <class C, class B, class R>
struct PropertyGetter<C, R (B::*)() const> {
  using Value = std::remove_cvref_t<R>;
  static constexpr TPropAccess kAccess = TPropAccess::Accessor;
  static auto Make(R (B::*getter)() const, int) {
    return [getter](TObject* instance) -> Value { return (static_cast<C*>(instance)->*getter)(); };
  }
};
template <class C, class B, class R>
struct PropertyGetter<C, R (B::*)()> {
  using Value = std::remove_cvref_t<R>;
  static constexpr TPropAccess kAccess = TPropAccess::Accessor;
  static auto Make(R (B::*getter)(), int) {
    return [getter](TObject* instance) -> Value { return (static_cast<C*>(instance)->*getter)(); };
  }
};
template <class C, class B, class R>
struct PropertyGetter<C, R (B::*)(int) const> {
  using Value = std::remove_cvref_t<R>;
  static constexpr TPropAccess kAccess = TPropAccess::Accessor;
  static auto Make(R (B::*getter)(int) const, int index) {
    return [getter, index](TObject* instance) -> Value {
      return (static_cast<C*>(instance)->*getter)(index);
    };
  }
};

template <class C, class B, class R>
struct PropertyGetter<C, R (B::*)(int)> {
  using Value = std::remove_cvref_t<R>;
  static constexpr TPropAccess kAccess = TPropAccess::Accessor;
  static auto Make(R (B::*getter)(int), int index) {
    return [getter, index](TObject* instance) -> Value {
      return (static_cast<C*>(instance)->*getter)(index);
    };
  }
};

// Write side: a data member, a setter, an indexed setter, or nullptr (read-only).
template <class C, class V, class M>
struct PropertySetter;
template <class C, class V>
struct PropertySetter<C, V, std::nullptr_t> {
  static constexpr TPropAccess kAccess = TPropAccess::None;
};
template <class C, class V, class B, class F>
requires(!std::is_function_v<F>) struct PropertySetter<C, V, F B::*> {
  static constexpr TPropAccess kAccess = TPropAccess::Field;
  static auto Make(F B::*member, int) {
    return [member](TObject* instance, V value) {
      static_cast<C*>(instance)->*member = std::move(value);
    };
  }
};
template <class C, class V, class B, class P>
struct PropertySetter<C, V, void (B::*)(P)> {
  static constexpr TPropAccess kAccess = TPropAccess::Accessor;
  static auto Make(void (B::*setter)(P), int) {
    return [setter](TObject* instance, V value) {
      (static_cast<C*>(instance)->*setter)(std::move(value));
    };
  }
};
template <class C, class V, class B, class P>
struct PropertySetter<C, V, void (B::*)(int, P)> {
  static constexpr TPropAccess kAccess = TPropAccess::Accessor;
  static auto Make(void (B::*setter)(int, P), int index) {
    return [setter, index](TObject* instance, V value) {
      (static_cast<C*>(instance)->*setter)(index, std::move(value));
    };
  }
};

}  // namespace detail

// Options of the property just described: .Default(v), .Stored(...), .Type(info).
template <class C>
class TPropertyOptions {
 public:
  explicit TPropertyOptions(TPropInfo& property) : property_(property) {}

  template <class V>
  TPropertyOptions& Default(const V& value) {
    property_.default_ = detail::ToOrdinal(value);
    return *this;
  }
  TPropertyOptions& Stored(bool stored) {
    property_.stored_ = [stored](TObject*) { return stored; };
    return *this;
  }
  template <class B>
  TPropertyOptions& Stored(bool (B::*isStored)() const) {
    property_.stored_ = [isStored](TObject* instance) {
      return (static_cast<C*>(instance)->*isStored)();
    };
    return *this;
  }
  // A named type in place of the one the C++ type gives (same kind): a colour, a
  // cursor, a short string with its maximum length.
  TPropertyOptions& Type(const TTypeInfo& type) {
    assert(type.Kind == property_.type_->Kind ||
           (type.Kind == TTypeKind::String && property_.type_->Kind == TTypeKind::LString));
    property_.type_ = &type;
    return *this;
  }

 private:
  TPropInfo& property_;
};

template <class C>
class TClassDescriber {
 public:
  explicit TClassDescriber(detail::ClassTables& tables) : tables_(tables) {}

  // A property read and written through getter and setter (either may be a data
  // member; setter nullptr makes it read-only).
  template <class G, class S>
  TPropertyOptions<C> Property(std::string name, G getter, S setter) {
    return Add(std::move(name), getter, setter, std::nullopt);
  }
  // A property on one data member (read and write), or read-only through a getter.
  template <class G>
  TPropertyOptions<C> Property(std::string name, G getterOrMember) {
    if constexpr (detail::PropertyGetter<C, G>::kAccess == TPropAccess::Field) {
      return Add(std::move(name), getterOrMember, getterOrMember, std::nullopt);
    } else {
      return Add(std::move(name), getterOrMember, nullptr, std::nullopt);
    }
  }
  // A property whose accessors take an index first: getter(index), setter(index, v).
  template <class G, class S>
  TPropertyOptions<C> IndexedProperty(std::string name, int index, G getter, S setter) {
    return Add(std::move(name), getter, setter, index);
  }

  // A published field: a component pointer member the owner's components bind to.
  template <class B, class F>
  void Field(std::string name, F* B::*member) {
    static_assert(std::is_base_of_v<TObject, F>, "published fields hold framework objects");
    auto field = std::make_unique<TFieldInfo>();
    field->name_ = std::move(name);
    field->fieldClass_ = &F::StaticClass();
    field->get_ = [member](TObject* instance) -> TObject* {
      return static_cast<C*>(instance)->*member;
    };
    field->set_ = [member](TObject* instance, TObject* value) {
      F* typed = nullptr;
      if (value != nullptr) {
        typed = dynamic_cast<F*>(value);
        if (typed == nullptr) return false;
      }
      static_cast<C*>(instance)->*member = typed;
      return true;
    };
    tables_.fields.push_back(std::move(field));
  }

  // A published method, an event handler the form reader binds by name.
  template <class B, class... A>
  void Method(std::string name, void (B::*method)(A...)) {
    static_assert(std::is_base_of_v<B, C>);
    auto info = std::make_unique<TMethodInfo>();
    info->name_ = std::move(name);
    info->signature_ = &SignatureOf<A...>();
    info->code_ = std::bit_cast<TErasedMethod>(static_cast<void (TObject::*)(A...)>(method));
    tables_.methods.push_back(std::move(info));
  }

  // A message handler for the low 16 bits of number.
  template <class B>
  void Message(UINT number, void (B::*handler)(TMessage&)) {
    static_assert(std::is_base_of_v<B, C>);
    tables_.messages[static_cast<std::uint16_t>(number & 0xFFFF)] =
        static_cast<TMessageHandler>(handler);
  }

 private:
  template <class G, class S>
  TPropertyOptions<C> Add(std::string name, G getter, S setter, std::optional<int> index) {
    using Getter = detail::PropertyGetter<C, G>;
    using V = typename Getter::Value;
    using Setter = detail::PropertySetter<C, V, S>;
    auto property = std::make_unique<TPropInfo>();
    TPropInfo& p = *property;
    p.name_ = std::move(name);
    p.type_ = &TypeInfoOf<V>();
    p.index_ = index;
    p.readAccess_ = Getter::kAccess;
    p.writeAccess_ = Setter::kAccess;
    const int indexValue = index.value_or(0);
    BindRead<V>(p, Getter::Make(getter, indexValue));
    if constexpr (Setter::kAccess != TPropAccess::None) {
      BindWrite<V>(p, Setter::Make(setter, indexValue));
    }
    tables_.properties.push_back(std::move(property));
    return TPropertyOptions<C>(p);
  }

  template <class V, class Get>
  static void BindRead(TPropInfo& p, Get get) {
    if constexpr (detail::kIsOrdinal<V>) {
      p.getOrdinal_ = [get](TObject* o) { return detail::ToOrdinal(get(o)); };
    } else if constexpr (std::is_floating_point_v<V>) {
      p.getFloat_ = [get](TObject* o) { return static_cast<long double>(get(o)); };
    } else if constexpr (std::is_same_v<V, std::string>) {
      p.getString_ = [get](TObject* o) { return get(o); };
    } else if constexpr (detail::kIsObjectPointer<V>) {
      p.getObject_ = [get](TObject* o) -> TObject* { return get(o); };
    } else if constexpr (detail::IsEvent<V>::value) {
      p.getMethod_ = [get](TObject* o) { return get(o).ToMethod(); };
    } else {
      static_assert(sizeof(V) == 0, "no published property can have this type");
    }
  }

  template <class V, class Set>
  static void BindWrite(TPropInfo& p, Set set) {
    if constexpr (detail::kIsOrdinal<V>) {
      p.setOrdinal_ = [set](TObject* o, std::int64_t value) {
        set(o, detail::FromOrdinal<V>(value));
      };
    } else if constexpr (std::is_floating_point_v<V>) {
      p.setFloat_ = [set](TObject* o, long double value) { set(o, static_cast<V>(value)); };
    } else if constexpr (std::is_same_v<V, std::string>) {
      p.setString_ = [set](TObject* o, const std::string& value) { set(o, value); };
    } else if constexpr (detail::kIsObjectPointer<V>) {
      p.setObject_ = [set](TObject* o, TObject* value) {
        V typed = nullptr;
        if (value != nullptr) {
          typed = dynamic_cast<V>(value);
          if (typed == nullptr) return false;
        }
        set(o, typed);
        return true;
      };
    } else if constexpr (detail::IsEvent<V>::value) {
      p.setMethod_ = [set](TObject* o, const TMethod& method) {
        V event;
        if (!event.Assign(method)) return false;
        set(o, event);
        return true;
      };
    }
  }

  detail::ClassTables& tables_;
};
