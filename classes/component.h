// TPersistent: objects whose state can be copied to another object and declared to the
// form reader. TComponent: the component tree. An owner frees what it owns (last
// adopted first); a Name unique among the owner's components binds the component to
// the owner's same-named published field; components of different owners that refer
// to each other register for removal notices with WatchRemoval.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "classes/filer.h"
#include "classes/rtti.h"
#include "classes/sets.h"
#include "runtime/exceptions.h"

class TList;

class TPersistent : public TObject {
  TD_CLASS(TPersistent, TObject)

 public:
  // Gives this object's state to dest; here it fails with EConvertError "Cannot assign
  // a %s to a %s" (this class, dest's class).
  virtual void CopyTo(TPersistent* dest);
  // Declares the stored-data entries kept without a published property; none here.
  virtual void DeclareStoredData(TFiler& filer);
  // Takes source's state: source->CopyTo(this); a nil source raises the copy error.
  // Overrides handle the classes they know and fall back to this one.
  virtual void CopyFrom(TPersistent* source);

 protected:
  // Raises EConvertError "Cannot assign a <source class or nil> to a <this class>".
  [[noreturn]] void CopyError(TPersistent* source);
};

enum TComponentStateFlag {
  Loading,  // being built by the form reader, until AfterLoad
  Reading,  // its own properties and children are being read
  Writing,
  Destroying,  // destruction has begun
  Designing,   // inherited down the ownership tree
  Ancestor,
  Updating,
  FixingUp  // references to components of other roots are pending
};
using TComponentState = TSet<TComponentStateFlag>;

enum TComponentStyleFlag { Inheritable };
using TComponentStyle = TSet<TComponentStyleFlag>;

enum TOperation { Inserted, Removed };

// A name is valid when non-empty, starting with an ASCII letter or "_" and continuing
// with ASCII letters, digits or "_".
bool IsValidIdent(std::string_view name);

class TComponent : public TPersistent {
  TD_CLASS(TComponent, TPersistent)

 public:
  // Adopted by owner at once (still unnamed) when owner is non-nil.
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  // "Left" and "Top", the design position.
  void DeclareStoredData(TFiler& filer) override;
  // Visits the components stored inside this one (a form its controls); none here.
  virtual void EnumChildren(const std::function<void(TComponent*)>& visitor);
  // Owner of the children read inside this component; nil means the root.
  virtual TComponent* ChildOwner();
  virtual TComponent* ChildParent();
  // Called once the whole description is read; clears Loading.
  virtual void AfterLoad();
  // Hears that component was adopted (Inserted) or is going (Removed) anywhere in this
  // component's tree or among the watched ones. Overrides that keep references clear
  // them on Removed and call the inherited one, which passes the notice to every owned
  // component.
  virtual void ComponentNotice(TComponent* component, TOperation operation);
  virtual void ReadContents(TFiler& reader);
  // Renames after checking the name (EComponentError "''%s'' is not a valid component
  // name") and its uniqueness among the owner's components (EComponentError "A
  // component named %s already exists"); moves the owner's field binding. A failed
  // rename changes nothing.
  virtual void SetName(const std::string& newName);
  virtual void SetChildPosition(TComponent* child, int order);
  virtual void AttachToParent(TComponent* parent);
  virtual void MarkUpdating();
  virtual void MarkUpdated();
  virtual void CheckRename(TComponent* component, const std::string& currentName,
                           const std::string& newName);
  virtual void WriteContents(TFiler& writer);
  virtual TComponent* StoredParent();
  virtual bool IsStoredInParent();

  // Adopt or release a component (the constructor and the destructor do this).
  void AddOwned(TComponent* component);
  void RemoveOwned(TComponent* component);
  // The first owned component named name, ignoring ASCII case; nil for "".
  TComponent* FindOwned(std::string_view name) const;
  int OwnedCount() const;
  // EListError "List index out of bounds" for a bad index.
  TComponent* OwnedAt(int index) const;
  // Position in the owner's list; -1 without an owner.
  int IndexInOwner() const;
  void SetIndexInOwner(int index);

  // Be told (ComponentNotice(other, Removed)) when other is destroyed; mutual, once.
  void WatchRemoval(TComponent* other);

  const std::string& Name() const { return name_; }
  std::int32_t Tag() const { return tag_; }
  void SetTag(std::int32_t tag) { tag_ = tag; }
  TComponent* Owner() const { return owner_; }
  TComponentState ComponentState() const { return state_; }
  void IncludeState(TComponentStateFlag flag) { state_.Include(flag); }
  void ExcludeState(TComponentStateFlag flag) { state_.Exclude(flag); }
  TComponentStyle ComponentStyle() const { return style_; }
  // Low 16 bits Left, high 16 bits Top, as the description stores them.
  std::uint32_t DesignPosition() const { return designPosition_; }
  void SetDesignPosition(std::uint32_t position) { designPosition_ = position; }

  // Sets Destroying on this component and everything it owns.
  void MarkDestroying();
  // Stores this component in (enable) or clears it from (disable) the owner's
  // published field of the same name.
  void BindOwnerField(bool enable);

 protected:
  // The first steps of destruction: removal notices to the watched components,
  // Destroying on the whole tree, and the owned components freed last adopted first.
  // The destructor runs them; a class whose owned components reach into it while they
  // die (a container of controls) calls this first in its own destructor, while it is
  // still whole. Runs once.
  void BeginDestruction();

 private:
  void DestroyOwned();
  void SetDesigningOnTree(bool designing);

  TComponent* owner_ = nullptr;
  std::string name_;
  std::int32_t tag_ = 0;
  std::unique_ptr<TList> owned_;
  std::unique_ptr<TList> watched_;
  std::uint32_t designPosition_ = 0;
  TComponentState state_;
  TComponentStyle style_;
  bool destructionBegun_ = false;
};
