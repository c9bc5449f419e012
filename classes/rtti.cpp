#include "classes/rtti.h"

#include <cxxabi.h>

#include <cassert>
#include <cstdlib>

#include "runtime/text.h"

namespace detail {

std::string ReadableTypeName(const std::type_info& type) {
  int status = 0;
  char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
  std::string name = status == 0 && demangled != nullptr ? demangled : type.name();
  std::free(demangled);
  // "void (*)(TObject*, char&)" reads best as its parameter list.
  const std::string prefix = "void (*)";
  if (name.compare(0, prefix.size(), prefix) == 0) name.erase(0, prefix.size());
  return name;
}

const std::string& ClassNameOf(const TClassInfo& info) { return info.Name(); }

TTypeInfo MakeOrdinalType(std::string name, TTypeKind kind, TOrdType ordType) {
  TTypeInfo info;
  info.Name = std::move(name);
  info.Kind = kind;
  info.OrdType = ordType;
  return info;
}

TTypeInfo MakeEnumType(std::string name, std::size_t byteSize,
                       std::initializer_list<const char*> names) {
  TTypeInfo info;
  info.Name = std::move(name);
  info.Kind = TTypeKind::Enumeration;
  info.OrdType = byteSize == 1   ? TOrdType::UByte
                 : byteSize == 2 ? TOrdType::UWord
                                 : TOrdType::SLong;
  for (const char* n : names) info.EnumNames.emplace_back(n);
  return info;
}

TTypeInfo MakeFloatType(std::string name, TFloatType floatType) {
  TTypeInfo info;
  info.Name = std::move(name);
  info.Kind = TTypeKind::Float;
  info.FloatType = floatType;
  return info;
}

}  // namespace detail

TTypeInfo MakeIntegerType(std::string name, TOrdType ordType) {
  return detail::MakeOrdinalType(std::move(name), TTypeKind::Integer, ordType);
}

TTypeInfo MakeShortStringType(std::string name, int maxLength) {
  TTypeInfo info;
  info.Name = std::move(name);
  info.Kind = TTypeKind::String;
  info.MaxLength = maxLength;
  return info;
}

namespace {

constexpr std::size_t kMaxLookupName = 255;

std::string_view CutName(std::string_view name) { return name.substr(0, kMaxLookupName); }

}  // namespace

int TTypeInfo::EnumValue(std::string_view name) const {
  for (std::size_t i = 0; i < EnumNames.size(); ++i) {
    if (SameAsciiNoCase(EnumNames[i], name)) return static_cast<int>(i);
  }
  return -1;
}

std::string TTypeInfo::EnumName(std::int64_t ordinal) const {
  if (ordinal < 0 || ordinal >= static_cast<std::int64_t>(EnumNames.size())) return {};
  return EnumNames[static_cast<std::size_t>(ordinal)];
}

bool TTypeInfo::IsOrdinal() const {
  return Kind == TTypeKind::Integer || Kind == TTypeKind::Char || Kind == TTypeKind::Enumeration ||
         Kind == TTypeKind::Set;
}

std::int64_t TPropInfo::GetOrdinal(TObject* instance) const {
  assert(getOrdinal_);
  return getOrdinal_(instance);
}

void TPropInfo::SetOrdinal(TObject* instance, std::int64_t value) const {
  assert(setOrdinal_);
  setOrdinal_(instance, value);
}

long double TPropInfo::GetFloat(TObject* instance) const {
  assert(getFloat_);
  return getFloat_(instance);
}

void TPropInfo::SetFloat(TObject* instance, long double value) const {
  assert(setFloat_);
  setFloat_(instance, value);
}

std::string TPropInfo::GetString(TObject* instance) const {
  assert(getString_);
  return getString_(instance);
}

void TPropInfo::SetString(TObject* instance, const std::string& value) const {
  assert(setString_);
  if (type_->Kind == TTypeKind::String &&
      value.size() > static_cast<std::size_t>(type_->MaxLength)) {
    setString_(instance, value.substr(0, static_cast<std::size_t>(type_->MaxLength)));
  } else {
    setString_(instance, value);
  }
}

TObject* TPropInfo::GetObject(TObject* instance) const {
  assert(getObject_);
  return getObject_(instance);
}

bool TPropInfo::SetObject(TObject* instance, TObject* value) const {
  assert(setObject_);
  return setObject_(instance, value);
}

TMethod TPropInfo::GetMethod(TObject* instance) const {
  assert(getMethod_);
  return getMethod_(instance);
}

bool TPropInfo::SetMethod(TObject* instance, const TMethod& value) const {
  assert(setMethod_);
  return setMethod_(instance, value);
}

TClassInfo::TClassInfo(std::string name, const TClassInfo* parent, Factory factory,
                       DescribeProc describe)
    : name_(std::move(name)), parent_(parent), factory_(factory), describe_(describe) {}

bool TClassInfo::InheritsFrom(const TClassInfo& ancestor) const {
  for (const TClassInfo* c = this; c != nullptr; c = c->parent_) {
    if (c == &ancestor) return true;
  }
  return false;
}

TComponent* TClassInfo::Construct(TComponent* owner) const {
  return factory_ != nullptr ? factory_(owner) : nullptr;
}

const detail::ClassTables& TClassInfo::OwnTables() const {
  if (!described_) {
    // Marked first: a Describe that asks for its own class's information (a field of
    // its own class) must not start a second description.
    described_ = true;
    if (describe_ != nullptr) describe_(tables_);
  }
  return tables_;
}

const TPropInfo* TClassInfo::FindProperty(std::string_view name) const {
  for (const TClassInfo* c = this; c != nullptr; c = c->parent_) {
    for (const auto& p : c->OwnTables().properties) {
      if (SameAsciiNoCase(p->Name(), name)) return p.get();
    }
  }
  return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::AllProperties() const {
  std::vector<const TClassInfo*> chain;
  for (const TClassInfo* c = this; c != nullptr; c = c->parent_) chain.push_back(c);
  std::vector<const TPropInfo*> result;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    for (const auto& p : (*it)->OwnTables().properties) result.push_back(p.get());
  }
  return result;
}

const TFieldInfo* TClassInfo::FindField(std::string_view name) const {
  name = CutName(name);
  for (const TClassInfo* c = this; c != nullptr; c = c->parent_) {
    for (const auto& f : c->OwnTables().fields) {
      if (SameAsciiNoCase(f->Name(), name)) return f.get();
    }
  }
  return nullptr;
}

const TClassInfo* TClassInfo::FindFieldClass(std::string_view className) const {
  for (const TClassInfo* c = this; c != nullptr; c = c->parent_) {
    for (const auto& f : c->OwnTables().fields) {
      if (SameAsciiNoCase(f->FieldClass().Name(), className)) return &f->FieldClass();
    }
  }
  return nullptr;
}

const TMethodInfo* TClassInfo::FindMethod(std::string_view name) const {
  name = CutName(name);
  for (const TClassInfo* c = this; c != nullptr; c = c->parent_) {
    for (const auto& m : c->OwnTables().methods) {
      if (SameAsciiNoCase(m->Name(), name)) return m.get();
    }
  }
  return nullptr;
}

TMessageHandler TClassInfo::FindMessageHandler(UINT message) const {
  const auto key = static_cast<std::uint16_t>(message & 0xFFFF);
  for (const TClassInfo* c = this; c != nullptr; c = c->parent_) {
    const auto& handlers = c->OwnTables().messages;
    if (handlers.empty()) continue;
    const auto found = handlers.find(key);
    if (found != handlers.end()) return found->second;
  }
  return nullptr;
}

const TClassInfo& TObject::StaticClass() {
  static const TClassInfo info("TObject", nullptr, nullptr, [](detail::ClassTables& tables) {
    Describer describer(tables);
    Describe(describer);
  });
  return info;
}

const TClassInfo& TObject::ClassInfo() const { return StaticClass(); }

void TObject::Describe(Describer&) {}

void TObject::RouteMessage(TMessage& message) {
  if (TMessageHandler handler = ClassInfo().FindMessageHandler(message.Msg)) {
    (this->*handler)(message);
  } else {
    DefaultMessage(message);
  }
}

void TObject::DefaultMessage(TMessage&) {}

void TObject::InheritedMessage(const TClassInfo& handlerClass, TMessage& message) {
  const TClassInfo* parent = handlerClass.Parent();
  TMessageHandler handler = parent != nullptr ? parent->FindMessageHandler(message.Msg) : nullptr;
  if (handler != nullptr) {
    (this->*handler)(message);
  } else {
    DefaultMessage(message);
  }
}
