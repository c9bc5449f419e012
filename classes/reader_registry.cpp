// Process-wide state of description reading: the class registry and its aliases, the
// identifier mappers, the global component lookup, the references to other roots still
// pending, and the loading scopes.
#include <algorithm>
#include <unordered_set>

#include "classes/reader.h"
#include "classes/reader_detail.h"
#include "platform/resources.h"
#include "runtime/format.h"
#include "runtime/text.h"

using namespace reader_detail;

namespace {

struct IdentMapper {
  const TTypeInfo* type;
  TIdentToInt identToInt;
  TIntToIdent intToIdent;
};

struct Registry {
  std::vector<const TClassInfo*> classes;
  std::vector<std::pair<std::string, const TClassInfo*>> aliases;
  std::vector<IdentMapper> mappers;
  TFindGlobalComponent findGlobalComponent;
  std::vector<GlobalFixup> globalFixups;
  std::vector<TComponent*>* loadingScope = nullptr;
};

Registry& State() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterStreamClass(const TClassInfo* classInfo) {
  Registry& registry = State();
  for (const TClassInfo* c = classInfo; c != nullptr; c = c->Parent()) {
    auto& classes = registry.classes;
    if (std::find(classes.begin(), classes.end(), c) != classes.end()) return;
    for (const TClassInfo* known : classes) {
      if (SameAsciiNoCase(known->Name(), c->Name()))
        throw EFilerError(FmtLoadStr(kDuplicateClass, c->Name()));
    }
    classes.push_back(c);
    if (c == &TPersistent::StaticClass()) return;
  }
}

void UnregisterStreamClass(const TClassInfo* classInfo) {
  auto& classes = State().classes;
  classes.erase(std::remove(classes.begin(), classes.end(), classInfo), classes.end());
  auto& aliases = State().aliases;
  aliases.erase(
      std::remove_if(aliases.begin(), aliases.end(),
                     [classInfo](const auto& alias) { return alias.second == classInfo; }),
      aliases.end());
}

void RegisterClassAlias(const TClassInfo* classInfo, const std::string& alias) {
  RegisterStreamClass(classInfo);
  State().aliases.emplace_back(alias, classInfo);
}

const TClassInfo* LookupClass(const std::string& name) {
  Registry& registry = State();
  for (const TClassInfo* c : registry.classes) {
    if (SameAsciiNoCase(c->Name(), name)) return c;
  }
  for (const auto& [alias, c] : registry.aliases) {
    if (SameAsciiNoCase(alias, name)) return c;
  }
  return nullptr;
}

const TClassInfo* RequireClass(const std::string& name) {
  const TClassInfo* c = LookupClass(name);
  if (c == nullptr) throw EClassNotFound(FmtLoadStr(kClassNotFound, name));
  return c;
}

void RegisterIdentMapper(const TTypeInfo* type, TIdentToInt identToInt, TIntToIdent intToIdent) {
  State().mappers.push_back({type, std::move(identToInt), std::move(intToIdent)});
}

void SetFindGlobalComponent(TFindGlobalComponent hook) {
  State().findGlobalComponent = std::move(hook);
}

namespace reader_detail {

bool IdentToInt(const TTypeInfo& type, const std::string& identifier, std::int32_t& value) {
  for (const IdentMapper& mapper : State().mappers) {
    if (mapper.type == &type && mapper.identToInt && mapper.identToInt(identifier, value))
      return true;
  }
  return false;
}

TComponent* FindGlobalComponent(const std::string& name) {
  const auto& hook = State().findGlobalComponent;
  return hook ? hook(name) : nullptr;
}

bool HasGlobalComponentLookup() { return static_cast<bool>(State().findGlobalComponent); }

void AddGlobalFixup(GlobalFixup fixup) {
  if (auto* component = dynamic_cast<TComponent*>(fixup.instance)) MarkFixingUp(component, true);
  State().globalFixups.push_back(std::move(fixup));
}

void ResolveGlobalFixups() {
  Registry& registry = State();
  if (!registry.findGlobalComponent) return;
  std::vector<GlobalFixup> pending;
  std::unordered_set<TPersistent*> unfinished;
  std::vector<TPersistent*> finished;
  // The lookup hook may read other descriptions; work on a list of our own.
  std::vector<GlobalFixup> records;
  records.swap(registry.globalFixups);
  for (GlobalFixup& record : records) {
    TComponent* root = registry.findGlobalComponent(record.rootName);
    if (root == nullptr && record.property->GetObject(record.instance) == nullptr) {
      unfinished.insert(record.instance);
      pending.push_back(std::move(record));
      continue;
    }
    if (root != nullptr)
      record.property->SetObject(record.instance, root->FindOwned(record.componentName));
    finished.push_back(record.instance);
  }
  registry.globalFixups.insert(registry.globalFixups.begin(), pending.begin(), pending.end());
  for (TPersistent* instance : finished) {
    if (unfinished.count(instance)) continue;
    if (auto* component = dynamic_cast<TComponent*>(instance)) MarkFixingUp(component, false);
  }
}

void RemoveGlobalFixupsOf(TComponent* readerRoot) {
  auto& fixups = State().globalFixups;
  fixups.erase(
      std::remove_if(fixups.begin(), fixups.end(),
                     [readerRoot](const GlobalFixup& f) { return f.readerRoot == readerRoot; }),
      fixups.end());
}

void ForgetGlobalFixupsNaming(TComponent* component) {
  auto& fixups = State().globalFixups;
  if (fixups.empty()) return;
  TPersistent* asInstance = component;
  fixups.erase(std::remove_if(fixups.begin(), fixups.end(),
                              [component, asInstance](const GlobalFixup& f) {
                                return f.instance == asInstance || f.readerRoot == component;
                              }),
               fixups.end());
}

std::vector<TComponent*>* LoadingScope() { return State().loadingScope; }

void MarkState(TComponent* component, ReaderState flag, bool on) {
  TComponentStateFlag state = flag == ReaderState::Loading   ? Loading
                              : flag == ReaderState::Reading ? Reading
                                                             : FixingUp;
  if (on) {
    component->IncludeState(state);
  } else {
    component->ExcludeState(state);
  }
}

bool IsDesigning(const TComponent* component) {
  return component->ComponentState().Contains(Designing);
}

}  // namespace reader_detail

void RemoveGlobalFixups(TComponent* root) { RemoveGlobalFixupsOf(root); }

std::size_t PendingGlobalFixups() { return State().globalFixups.size(); }

TComponent* ReadStreamDescription(TStream& stream, TComponent* instance) {
  TReader reader(stream, 4096);
  return reader.ReadDescription(instance);
}

bool ReadDescriptionResources(TComponent* instance, const TClassInfo* stopClass) {
  Registry& registry = State();
  std::vector<TComponent*> built;
  std::vector<TComponent*>* previous = registry.loadingScope;
  registry.loadingScope = &built;
  bool found = false;
  try {
    // The class chain below TComponent and stopClass, ancestors first.
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = &instance->ClassInfo();
         c != nullptr && c != stopClass && c != &TComponent::StaticClass(); c = c->Parent()) {
      chain.push_back(c);
    }
    HMODULE module = GetModuleHandleA(nullptr);
    const LPCSTR kRcData = MAKEINTRESOURCEA(10);
    for (auto c = chain.rbegin(); c != chain.rend(); ++c) {
      if (FindResourceA(module, (*c)->Name().c_str(), kRcData) == nullptr) continue;
      TResourceStream stream(module, (*c)->Name(), kRcData);
      ReadStreamDescription(stream, instance);
      found = true;
    }
    for (TComponent* component : built) component->AfterLoad();
  } catch (...) {
    registry.loadingScope = previous;
    throw;
  }
  registry.loadingScope = previous;
  return found;
}
