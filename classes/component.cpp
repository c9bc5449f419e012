#include "classes/component.h"

#include "classes/lists.h"
#include "classes/reader_detail.h"
#include "runtime/text.h"

namespace {

constexpr int kCopyError = 61440;
constexpr int kListIndexError = 61452;
constexpr int kDuplicateName = 61456;
constexpr int kInvalidName = 61457;

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }

TComponent* At(const TList& list, std::int32_t index) {
  return static_cast<TComponent*>(list.Get(index));
}

}  // namespace

bool IsValidIdent(std::string_view name) {
  if (name.empty() || !IsIdentStart(name[0])) return false;
  for (char c : name.substr(1)) {
    if (!IsIdentChar(c)) return false;
  }
  return true;
}

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TPersistent)

void TPersistent::CopyTo(TPersistent* dest) {
  const std::string destName = dest != nullptr ? dest->ClassName() : std::string("nil");
  throw EConvertError(FmtLoadStr(kCopyError, ClassName(), destName));
}

void TPersistent::DeclareStoredData(TFiler&) {}

void TPersistent::CopyFrom(TPersistent* source) {
  if (source == nullptr) CopyError(nullptr);
  source->CopyTo(this);
}

void TPersistent::CopyError(TPersistent* source) {
  const std::string sourceName = source != nullptr ? source->ClassName() : std::string("nil");
  throw EConvertError(FmtLoadStr(kCopyError, sourceName, ClassName()));
}

TD_IMPLEMENT_CLASS(TComponent)
void TComponent::Describe(Describer& d) {
  // The description carries the name in the object header, never as a property value.
  d.Property("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
  d.Property("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
}

TComponent::TComponent(TComponent* owner) {
  style_.Include(Inheritable);
  if (owner != nullptr) owner->AddOwned(this);
}

TComponent::~TComponent() {
  BeginDestruction();
  if (owner_ != nullptr) owner_->RemoveOwned(this);
}

void TComponent::BeginDestruction() {
  if (destructionBegun_) return;
  destructionBegun_ = true;
  // Each watched component hears of this one's end; its ComponentNotice takes this one
  // off its own list. Taken off ours first, so a component that dies meanwhile is
  // never reached.
  while (watched_ != nullptr && watched_->Count() > 0) {
    auto* other = At(*watched_, 0);
    watched_->Delete(0);
    other->ComponentNotice(this, Removed);
  }
  watched_.reset();
  // A reference to another root that still waits must not be written into this one.
  reader_detail::ForgetGlobalFixupsNaming(this);
  MarkDestroying();
  DestroyOwned();
}

void TComponent::DestroyOwned() {
  while (owned_ != nullptr && owned_->Count() > 0) {
    auto* component = static_cast<TComponent*>(owned_->Last());
    // Its siblings may keep references to it (a shared owner needs no registration): the
    // tree hears of its end before it goes, as when it dies alone.
    ComponentNotice(component, Removed);
    if (owned_ == nullptr || owned_->Count() == 0 || owned_->Last() != component) continue;
    owned_->Delete(owned_->Count() - 1);
    if (owned_->Count() == 0) owned_.reset();
    component->owner_ = nullptr;
    delete component;
  }
  owned_.reset();
}

void TComponent::MarkDestroying() {
  if (state_.Contains(Destroying)) return;
  state_.Include(Destroying);
  for (int i = 0; i < OwnedCount(); ++i) At(*owned_, i)->MarkDestroying();
}

void TComponent::DeclareStoredData(TFiler& filer) {
  auto* ancestor = dynamic_cast<TComponent*>(filer.Ancestor());
  const std::uint32_t ancestorPosition = ancestor != nullptr ? ancestor->designPosition_ : 0;
  const bool leftDiffers = (designPosition_ & 0xFFFF) != (ancestorPosition & 0xFFFF);
  const bool topDiffers = (designPosition_ >> 16) != (ancestorPosition >> 16);
  filer.DeclareEntry(
      "Left",
      [this](TFiler& reader) {
        const auto left = static_cast<std::uint32_t>(reader.ReadInt()) & 0xFFFF;
        designPosition_ = (designPosition_ & 0xFFFF0000u) | left;
      },
      nullptr, leftDiffers);
  filer.DeclareEntry(
      "Top",
      [this](TFiler& reader) {
        const auto top = static_cast<std::uint32_t>(reader.ReadInt()) & 0xFFFF;
        designPosition_ = (designPosition_ & 0xFFFF) | (top << 16);
      },
      nullptr, topDiffers);
}

void TComponent::EnumChildren(const std::function<void(TComponent*)>&) {}
TComponent* TComponent::ChildOwner() { return nullptr; }
TComponent* TComponent::ChildParent() { return this; }
void TComponent::AfterLoad() { state_.Exclude(Loading); }

void TComponent::ComponentNotice(TComponent* component, TOperation operation) {
  if (operation == Removed && watched_ != nullptr) {
    watched_->Remove(component);
    if (watched_->Count() == 0) watched_.reset();
  }
  // Bounded by the current count as well: a handler may release owned components.
  const int count = OwnedCount();
  for (int i = 0; i < count && i < OwnedCount(); ++i) {
    At(*owned_, i)->ComponentNotice(component, operation);
  }
}

void TComponent::ReadContents(TFiler& reader) { reader.ReadObjectContents(this); }

void TComponent::SetName(const std::string& newName) {
  if (newName == name_) return;
  if (!newName.empty() && !IsValidIdent(newName)) {
    throw EComponentError(FmtLoadStr(kInvalidName, newName));
  }
  if (owner_ != nullptr) {
    owner_->CheckRename(this, name_, newName);
  } else {
    CheckRename(nullptr, name_, newName);
  }
  BindOwnerField(false);
  name_ = newName;
  BindOwnerField(true);
}

void TComponent::SetChildPosition(TComponent*, int) {}
void TComponent::AttachToParent(TComponent*) {}
void TComponent::MarkUpdating() { state_.Include(Updating); }
void TComponent::MarkUpdated() { state_.Exclude(Updating); }

void TComponent::CheckRename(TComponent* component, const std::string& currentName,
                             const std::string& newName) {
  if (component != nullptr && !SameAsciiNoCase(currentName, newName) &&
      FindOwned(newName) != nullptr) {
    throw EComponentError(FmtLoadStr(kDuplicateName, newName));
  }
  if (state_.Contains(Designing) && owner_ != nullptr) {
    owner_->CheckRename(component, currentName, newName);
  }
}

void TComponent::WriteContents(TFiler& writer) { writer.WriteObjectContents(this); }
TComponent* TComponent::StoredParent() { return nullptr; }
bool TComponent::IsStoredInParent() { return false; }

void TComponent::AddOwned(TComponent* component) {
  if (component == nullptr || component == this || component->owner_ == this) return;
  CheckRename(component, "", component->name_);
  // A component belongs to one owner at a time.
  if (component->owner_ != nullptr) component->owner_->RemoveOwned(component);
  if (owned_ == nullptr) owned_ = std::make_unique<TList>();
  owned_->Add(component);
  component->owner_ = this;
  component->BindOwnerField(true);
  if (state_.Contains(Designing)) component->SetDesigningOnTree(true);
  ComponentNotice(component, Inserted);
}

void TComponent::RemoveOwned(TComponent* component) {
  if (component == nullptr || component->owner_ != this) return;
  ComponentNotice(component, Removed);
  component->BindOwnerField(false);
  component->owner_ = nullptr;
  owned_->Remove(component);
  if (owned_->Count() == 0) owned_.reset();
  component->SetDesigningOnTree(false);
  CheckRename(component, component->name_, "");
}

void TComponent::SetDesigningOnTree(bool designing) {
  if (designing) {
    state_.Include(Designing);
  } else {
    state_.Exclude(Designing);
  }
  for (int i = 0; i < OwnedCount(); ++i) At(*owned_, i)->SetDesigningOnTree(designing);
}

TComponent* TComponent::FindOwned(std::string_view name) const {
  if (name.empty() || owned_ == nullptr) return nullptr;
  for (int i = 0; i < owned_->Count(); ++i) {
    TComponent* component = At(*owned_, i);
    if (SameAsciiNoCase(component->name_, name)) return component;
  }
  return nullptr;
}

int TComponent::OwnedCount() const { return owned_ != nullptr ? owned_->Count() : 0; }

TComponent* TComponent::OwnedAt(int index) const {
  if (owned_ == nullptr) throw EListError(LoadStr(kListIndexError));
  return At(*owned_, index);
}

int TComponent::IndexInOwner() const {
  return owner_ != nullptr && owner_->owned_ != nullptr
             ? owner_->owned_->IndexOf(const_cast<TComponent*>(this))
             : -1;
}

void TComponent::SetIndexInOwner(int index) {
  if (owner_ == nullptr || owner_->owned_ == nullptr) return;
  TList& list = *owner_->owned_;
  const int current = list.IndexOf(this);
  if (current < 0) return;
  index = std::clamp(index, 0, list.Count() - 1);
  if (index == current) return;
  list.Delete(current);
  list.Insert(index, this);
}

void TComponent::WatchRemoval(TComponent* other) {
  if (other == nullptr || other == this) return;
  // Components of one owner hear of each other through that owner's notices.
  if (owner_ != nullptr && other->owner_ == owner_) return;
  if (watched_ != nullptr && watched_->IndexOf(other) >= 0) return;
  if (watched_ == nullptr) watched_ = std::make_unique<TList>();
  watched_->Add(other);
  other->WatchRemoval(this);
}

void TComponent::BindOwnerField(bool enable) {
  if (owner_ == nullptr || name_.empty()) return;
  if (const TFieldInfo* field = owner_->ClassInfo().FindField(name_)) {
    field->Set(owner_, enable ? this : nullptr);
  }
}
