// The reader's object level: the description's root and children, property paths and
// values, event binding, stored-data entries and component references.
#include <algorithm>
#include <cstring>

#include "classes/reader.h"
#include "classes/reader_detail.h"
#include "runtime/format.h"
#include "runtime/text.h"

using namespace reader_detail;

namespace {

bool IsIntegerTag(TValueTag tag) {
  return tag == TValueTag::Int8 || tag == TValueTag::Int16 || tag == TValueTag::Int32;
}

// The root itself does not collide with its own name: a class chain with descriptions
// on two levels reads the name twice.
std::string UniqueRootName(const std::string& stored, TComponent* root) {
  if (!HasGlobalComponentLookup()) return std::string();
  auto taken = [root](const std::string& name) {
    TComponent* found = FindGlobalComponent(name);
    return found != nullptr && found != root;
  };
  std::string name = stored;
  for (int i = 1; taken(name); ++i) name = Format("%s_%d", stored, i);
  return name;
}

}  // namespace

TComponent* TReader::ReadDescription(TComponent* root) {
  char signature[4];
  Read(signature, 4);
  if (std::memcmp(signature, "TPF0", 4) != 0) throw EReadError(LoadStr(kInvalidStreamFormat));
  ReadPrefix();
  bool created = false;
  std::vector<TComponent*> ownList;
  try {
    if (root == nullptr) {
      const TClassInfo* rootClass = RequireClass(ReadShortString());
      root = rootClass->Construct(nullptr);
      if (root == nullptr) throw EClassNotFound(FmtLoadStr(kClassNotFound, rootClass->Name()));
      created = true;
      root->SetName(ReadShortString());
    } else {
      ReadShortString();
      std::string name = ReadShortString();
      if (!IsDesigning(root)) root->SetName(UniqueRootName(name, root));
    }
    root_ = root;
    std::vector<TComponent*>* scope = LoadingScope();
    builtComponents_ = scope != nullptr ? scope : &ownList;
    builtComponents_->push_back(root);
    owner_ = root;
    MarkState(root, ReaderState::Loading, true);
    MarkState(root, ReaderState::Reading, true);
    root->ReadContents(*this);
    MarkState(root, ReaderState::Reading, false);
    if (scope == nullptr) {
      for (TComponent* component : ownList) component->AfterLoad();
    }
    builtComponents_ = nullptr;
    ResolveGlobalFixups();
  } catch (...) {
    builtComponents_ = nullptr;
    if (root != nullptr) {
      RemoveGlobalFixupsOf(root);
      if (created) {
        // The scope must not keep components that die with the root.
        if (std::vector<TComponent*>* scope = LoadingScope()) {
          scope->erase(std::remove_if(scope->begin(), scope->end(),
                                      [root](TComponent* c) { return c == root || c->Owner() == root; }),
                       scope->end());
        }
        delete root;
      }
    }
    root_ = nullptr;
    throw;
  }
  return root;
}

void TReader::ReadObjectContents(TComponent* instance) {
  if (localFixups_) {
    ReadObjectBody(instance);
    return;
  }
  localFixups_ = std::make_unique<std::vector<Fixup>>();
  try {
    ReadObjectBody(instance);
    ResolveLocalFixups();
  } catch (...) {
    localFixups_.reset();
    throw;
  }
  localFixups_.reset();
}

void TReader::ReadObjectBody(TComponent* instance) {
  NestingGuard guard(*this);
  while (!AtListEnd()) ReadPropertyEntry(instance);
  ReadListEnd();
  TComponent* savedOwner = owner_;
  TComponent* savedParent = parent_;
  try {
    parent_ = instance->ChildParent();
    owner_ = instance->ChildOwner();
    if (owner_ == nullptr) owner_ = root_;
    while (!AtListEnd()) ReadObject();
    ReadListEnd();
  } catch (...) {
    owner_ = savedOwner;
    parent_ = savedParent;
    throw;
  }
  owner_ = savedOwner;
  parent_ = savedParent;
}

const TClassInfo* TReader::FindComponentClass(const std::string& className) {
  if (const TClassInfo* fieldClass = root_->ClassInfo().FindFieldClass(className)) return fieldClass;
  return RequireClass(className);
}

TComponent* TReader::ReadObject() {
  Prefix prefix = ReadPrefix();
  std::string className = ReadShortString();
  std::string name = ReadShortString();
  TComponent* component = nullptr;
  bool created = false;
  try {
    if (prefix.flags & kPrefixInherited) {
      component = root_->FindOwned(name);
      if (component == nullptr) throw EReadError(FmtLoadStr(kAncestorNotFound, name));
    } else {
      const TClassInfo* componentClass = FindComponentClass(className);
      component = componentClass->Construct(owner_);
      if (component == nullptr) throw EClassNotFound(FmtLoadStr(kClassNotFound, className));
      created = true;
      MarkState(component, ReaderState::Loading, true);
      component->AttachToParent(parent_);
      NameComponent(component, name);
    }
  } catch (const Exception& e) {
    if (created) delete component;
    SkipObject(false);
    if (!ReportError(e.Message())) throw;
    return nullptr;
  } catch (...) {
    if (created) delete component;
    throw;
  }

  std::size_t builtBefore = builtComponents_ != nullptr ? builtComponents_->size() : 0;
  try {
    MarkState(component, ReaderState::Loading, true);
    MarkState(component, ReaderState::Reading, true);
    component->ReadContents(*this);
    MarkState(component, ReaderState::Reading, false);
    if ((prefix.flags & kPrefixChildPosition) && parent_ != nullptr) {
      parent_->SetChildPosition(component, prefix.position);
    }
  } catch (...) {
    if (created) {
      // What was built inside it may die with it; nothing of it gets AfterLoad.
      if (builtComponents_ != nullptr) builtComponents_->resize(builtBefore);
      delete component;
    }
    throw;
  }
  if (builtComponents_ != nullptr) builtComponents_->push_back(component);
  return component;
}

void TReader::NameComponent(TComponent* component, std::string name) {
  if (OnSetName) OnSetName(*this, component, name);
  component->SetName(name);
}

bool TReader::ReportError(const std::string& message) {
  bool handled = false;
  if (OnError) OnError(*this, message, handled);
  return handled;
}

void TReader::ReadPropertyEntry(TPersistent* instance) {
  std::string path = ReadShortString();
  canHandleErrors_ = true;
  try {
    TPersistent* current = instance;
    std::size_t start = 0;
    for (std::size_t dot = path.find('.'); dot != std::string::npos; dot = path.find('.', start)) {
      const TPropInfo* step = current->ClassInfo().FindProperty(path.substr(start, dot - start));
      if (step == nullptr) {
        SkipValue();
        throw EReadError(LoadStr(kUnknownProperty));
      }
      TPersistent* next = nullptr;
      if (step->Kind() == TTypeKind::Class) next = dynamic_cast<TPersistent*>(step->GetObject(current));
      if (next == nullptr) {
        SkipValue();
        throw EReadError(LoadStr(kInvalidPropertyPath));
      }
      current = next;
      start = dot + 1;
    }
    pendingProperty_ = path.substr(start);
    if (const TPropInfo* property = current->ClassInfo().FindProperty(pendingProperty_)) {
      pendingProperty_.clear();
      ReadPropertyValue(current, *property);
    } else {
      canHandleErrors_ = false;
      current->DeclareStoredData(*this);
      canHandleErrors_ = true;
      if (!pendingProperty_.empty()) {
        pendingProperty_.clear();
        SkipValue();
        throw EReadError(LoadStr(kUnknownProperty));
      }
    }
  } catch (const Exception& e) {
    pendingProperty_.clear();
    std::string instanceName;
    if (auto* component = dynamic_cast<TComponent*>(instance)) instanceName = component->Name();
    if (instanceName.empty()) instanceName = instance->ClassName();
    EReadError wrapped(FmtLoadStr(kErrorReading, instanceName, path, e.Message()));
    if (canHandleErrors_ && ReportError(wrapped.Message())) return;
    throw wrapped;
  }
}

void TReader::ReadPropertyValue(TPersistent* instance, const TPropInfo& property) {
  if (property.IsReadOnly()) {
    SkipValue();
    throw EReadError(LoadStr(kReadOnlyProperty));
  }
  const TTypeInfo& type = property.Type();
  TValueTag tag = PeekValueTag();
  // A value of a tag the kind does not take is skipped whole, so that an error hook
  // that goes on finds the next property where it belongs.
  auto refuse = [this] {
    SkipValue();
    InvalidValue();
  };
  switch (property.Kind()) {
    case TTypeKind::Integer:
      if (IsIntegerTag(tag)) {
        property.SetOrdinal(instance, ReadInt());
      } else if (tag == TValueTag::Identifier) {
        std::string identifier = ReadIdentifier();
        std::int32_t value = 0;
        if (!IdentToInt(type, identifier, value)) InvalidValue();
        property.SetOrdinal(instance, value);
      } else {
        refuse();
      }
      return;
    case TTypeKind::Char: {
      if (tag != TValueTag::String) refuse();
      ReadTag();
      std::string text = ReadShortString();
      if (text.size() != 1) InvalidValue();
      property.SetOrdinal(instance, static_cast<unsigned char>(text[0]));
      return;
    }
    case TTypeKind::Enumeration: {
      if (tag != TValueTag::Identifier && tag != TValueTag::False && tag != TValueTag::True &&
          tag != TValueTag::Nil) {
        refuse();
      }
      int ordinal = type.EnumValue(ReadIdentifier());
      if (ordinal < 0) InvalidValue();
      property.SetOrdinal(instance, ordinal);
      return;
    }
    case TTypeKind::Float:
      if (tag != TValueTag::Extended && !IsIntegerTag(tag)) refuse();
      property.SetFloat(instance, ReadExtended());
      return;
    case TTypeKind::String:
    case TTypeKind::LString:
      if (tag != TValueTag::String && tag != TValueTag::LongString) refuse();
      property.SetString(instance, ReadText());
      return;
    case TTypeKind::Set:
      if (tag != TValueTag::Set) refuse();
      ReadSetValue(instance, property);
      return;
    case TTypeKind::Class:
      ReadClassValue(instance, property);
      return;
    case TTypeKind::Method:
      ReadMethodValue(instance, property);
      return;
    case TTypeKind::Unknown:
      break;
  }
  SkipValue();  // a kind no description sets: its value is passed over
}

void TReader::ReadSetValue(TPersistent* instance, const TPropInfo& property) {
  ReadTag();
  const TTypeInfo* element = property.Type().ElementType;
  std::uint32_t bits = 0;
  while (true) {
    std::string name = ReadShortString();
    if (name.empty()) break;
    int ordinal = element != nullptr ? element->EnumValue(name) : -1;
    if (ordinal < 0) {
      SkipSetNames();
      InvalidValue();
    }
    if (ordinal < 32) bits |= std::uint32_t{1} << ordinal;
  }
  property.SetOrdinal(instance, bits);
}

void TReader::ReadClassValue(TPersistent* instance, const TPropInfo& property) {
  switch (PeekValueTag()) {
    case TValueTag::Nil:
      ReadTag();
      property.SetObject(instance, nullptr);
      return;
    case TValueTag::Collection: {
      auto* collection = dynamic_cast<TCollection*>(property.GetObject(instance));
      if (collection == nullptr) {
        SkipValue();
        InvalidValue();
      }
      ReadTag();
      ReadCollection(collection);
      return;
    }
    case TValueTag::Identifier: {
      std::string identifier = ReadIdentifier();
      std::size_t dot = identifier.find('.');
      if (dot == std::string::npos) {
        localFixups_->push_back({instance, &property, identifier});
      } else {
        AddGlobalFixup({instance, &property, identifier.substr(0, dot), identifier.substr(dot + 1), root_});
      }
      return;
    }
    default:
      SkipValue();
      InvalidValue();
  }
}

void TReader::ReadMethodValue(TPersistent* instance, const TPropInfo& property) {
  TValueTag tag = PeekValueTag();
  if (tag == TValueTag::Nil) {
    ReadTag();
    property.SetMethod(instance, TMethod{});
    return;
  }
  if (tag != TValueTag::Identifier) {
    SkipValue();
    InvalidValue();
  }
  TMethod handler = FindHandler(root_, ReadIdentifier());
  // A handler of another signature is refused; a hook that supplied no code leaves the event.
  if (handler.Code != nullptr && !property.SetMethod(instance, handler)) InvalidValue();
}

TMethod TReader::FindHandler(TComponent* root, const std::string& name) {
  TMethod handler;
  if (const TMethodInfo* method = root->ClassInfo().FindMethod(name.substr(0, 255))) handler = method->Bind(root);
  bool notFound = handler.Code == nullptr;
  if (OnFindMethod) OnFindMethod(*this, name, handler, notFound);
  if (notFound) InvalidValue();
  return handler;
}

void TReader::ReadCollection(TCollection* collection) {
  collection->BeginUpdate();
  try {
    int index = -1;
    while (!AtListEnd()) {
      if (IsIntegerTag(PeekValueTag())) {
        index = ReadInt();
      } else {
        ++index;
      }
      if (index < 0) InvalidValue();
      while (collection->Count() <= index) collection->Add();
      TPersistent* item = collection->Items(index);
      ReadListStart();
      while (!AtListEnd()) ReadPropertyEntry(item);
      ReadListEnd();
    }
    ReadListEnd();
  } catch (...) {
    collection->EndUpdate();
    throw;
  }
  collection->EndUpdate();
}

void TReader::ResolveLocalFixups() {
  for (const Fixup& fixup : *localFixups_) {
    fixup.property->SetObject(fixup.instance, root_->FindOwned(fixup.componentName));
  }
}

void TReader::DeclareEntry(const std::string& name, ReadProc readProc, WriteProc, bool) {
  if (pendingProperty_.empty() || !SameAsciiNoCase(name, pendingProperty_)) return;
  pendingProperty_.clear();
  if (readProc) readProc(*this);
}

void TReader::DeclareBinaryEntry(const std::string& name, StreamProc readProc, StreamProc, bool) {
  if (pendingProperty_.empty() || !SameAsciiNoCase(name, pendingProperty_)) return;
  pendingProperty_.clear();
  if (PeekValueTag() != TValueTag::Binary) {
    SkipValue();
    InvalidValue();
  }
  ReadTag();
  std::uint8_t lengthBytes[4];
  Read(lengthBytes, 4);
  std::uint32_t length = LittleEndian32(lengthBytes);
  TMemoryStream stream;
  // Copied as it arrives: a length that lies fails with the stream's end instead of
  // claiming its whole size at once.
  std::uint8_t chunk[4096];
  while (length > 0) {
    std::uint32_t step = std::min<std::uint32_t>(length, sizeof chunk);
    Read(chunk, static_cast<std::int32_t>(step));
    stream.WriteBuffer(chunk, static_cast<std::int32_t>(step));
    length -= step;
  }
  stream.SetPosition(0);
  if (readProc) readProc(stream);
}
