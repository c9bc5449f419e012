// The form-description reader: turns a binary description (signature "TPF0", one
// object with its properties and children) into live components, binds their events
// to the root's published methods and resolves their references to one another.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "classes/component.h"
#include "classes/rtti.h"
#include "classes/streams.h"

// The tag byte in front of every stored value.
enum class TValueTag : std::uint8_t {
  EndOfList = 0,
  List = 1,
  Int8 = 2,
  Int16 = 3,
  Int32 = 4,
  Extended = 5,
  String = 6,
  Identifier = 7,
  False = 8,
  True = 9,
  Binary = 10,
  Set = 11,
  LongString = 12,
  Nil = 13,
  Collection = 14,
};

class TReader;

// A list of persistent items that a description fills in place (tag 14): items are
// added until the stored index exists, then read like objects.
class TCollection : public TPersistent {
  TD_CLASS(TCollection, TPersistent)

 public:
  virtual int Count() const = 0;
  virtual TPersistent* Add() = 0;
  virtual TPersistent* Items(int index) const = 0;
  // Changes between the two are announced once, at the last EndUpdate.
  virtual void BeginUpdate() { ++updateCount_; }
  virtual void EndUpdate() { --updateCount_; }
  int UpdateCount() const { return updateCount_; }

 private:
  int updateCount_ = 0;
};

// Hooks a reader's owner may install.
// FindHandler hook: (reader, method name, handler found so far, not-found flag it may clear).
using TFindMethodHook = std::function<void(TReader& reader, const std::string& name, TMethod& handler, bool& notFound)>;
// Naming hook: may change the name a newly read component gets.
using TSetNameHook = std::function<void(TReader& reader, TComponent* component, std::string& name)>;
// Error hook: true swallows the error and reading goes on.
using TReaderErrorHook = std::function<void(TReader& reader, const std::string& message, bool& handled)>;

class TReader : public TFiler {
  TD_CLASS(TReader, TFiler)

 public:
  TReader(TStream& stream, std::int32_t bufferSize);
  // Returns the bytes buffered but not used to the stream by seeking back.
  ~TReader() override;

  TReader(const TReader&) = delete;
  TReader& operator=(const TReader&) = delete;

  // Reads one description into root (or a new instance of the stored class when
  // root is nil) and returns it.
  TComponent* ReadDescription(TComponent* root);

  // Stored-data entries (TPersistent::DeclareStoredData).
  void DeclareEntry(const std::string& name, ReadProc readProc, WriteProc writeProc, bool hasData) override;
  void DeclareBinaryEntry(const std::string& name, StreamProc readProc, StreamProc writeProc,
                          bool hasData) override;
  // Seeks the stream back over the bytes buffered but not used.
  virtual void ReturnUnread();

  virtual bool ReportError(const std::string& message);
  virtual TMethod FindHandler(TComponent* root, const std::string& name);
  virtual void NameComponent(TComponent* component, std::string name);

  // Reading the contents of one object (TComponent::ReadContents calls it).
  void ReadObjectContents(TComponent* instance) override;
  void ReadPropertyEntry(TPersistent* instance);
  void ReadPropertyValue(TPersistent* instance, const TPropInfo& property);
  void ReadCollection(TCollection* collection);

  // Primitives for stored-data readers; tags as TValueTag values.
  void Read(void* buffer, std::int32_t count);
  int ReadTag() override;
  int PeekTag() override;
  bool AtListEnd() override;
  void ReadListStart() override;
  void ReadListEnd() override;
  std::int32_t ReadInt() override;
  long double ReadExtended() override;
  std::string ReadIdentifier() override;
  std::string ReadText() override;
  bool ReadBool() override;
  char ReadChar() override;
  std::string ReadShortString() override;
  void SkipValue() override;

  TComponent* Root() const { return root_; }
  TComponent* CurrentOwner() const { return owner_; }
  TComponent* CurrentParent() const { return parent_; }

  TFindMethodHook OnFindMethod;
  TSetNameHook OnSetName;
  TReaderErrorHook OnError;

 private:
  // A reference to a component of this root, assigned after the whole description.
  struct Fixup {
    TPersistent* instance;
    const TPropInfo* property;
    std::string componentName;
  };
  struct Prefix {
    std::uint8_t flags = 0;
    std::int32_t position = -1;
  };

  std::uint8_t ReadByte();
  TValueTag NextTag() { return static_cast<TValueTag>(ReadTag()); }
  TValueTag PeekValueTag() { return static_cast<TValueTag>(PeekTag()); }
  void Refill();
  [[noreturn]] void InvalidValue();
  Prefix ReadPrefix();
  std::int64_t ReadIntegerOfTag(TValueTag tag);
  long double ReadExtendedPayload();
  std::string ReadLongStringPayload();
  void SkipBytes(std::uint32_t count);
  void SkipSetNames();
  void SkipProperty();
  void SkipObject(bool withHeader);
  TComponent* ReadObject();
  void ReadObjectBody(TComponent* instance);
  const TClassInfo* FindComponentClass(const std::string& className);
  void ReadSetValue(TPersistent* instance, const TPropInfo& property);
  void ReadClassValue(TPersistent* instance, const TPropInfo& property);
  void ReadMethodValue(TPersistent* instance, const TPropInfo& property);
  void ResolveLocalFixups();
  void EnterNesting();
  // Bounds the recursion of nested objects, lists and collections.
  struct NestingGuard {
    explicit NestingGuard(TReader& reader) : reader_(reader) { reader_.EnterNesting(); }
    ~NestingGuard() { --reader_.nesting_; }
    TReader& reader_;
  };

  TStream& stream_;
  std::vector<std::uint8_t> buffer_;
  std::int32_t bufferPosition_ = 0;
  std::int32_t bufferEnd_ = 0;
  TComponent* root_ = nullptr;
  TComponent* owner_ = nullptr;
  TComponent* parent_ = nullptr;
  std::unique_ptr<std::vector<Fixup>> localFixups_;
  std::vector<TComponent*>* builtComponents_ = nullptr;
  bool canHandleErrors_ = false;
  std::string pendingProperty_;
  int nesting_ = 0;
};

// Reads a description from a stream into instance (nil: a new object of the stored class).
TComponent* ReadStreamDescription(TStream& stream, TComponent* instance);

// Reads the description resources of instance's class chain, ancestors first, up to
// but excluding stopClass; false when there was none.
bool ReadDescriptionResources(TComponent* instance, const TClassInfo* stopClass);

// The registry of classes a description may name.
void RegisterStreamClass(const TClassInfo* classInfo);
void RegisterClassAlias(const TClassInfo* classInfo, const std::string& alias);
const TClassInfo* LookupClass(const std::string& name);
const TClassInfo* RequireClass(const std::string& name);
void UnregisterStreamClass(const TClassInfo* classInfo);

// Identifier mappers: how identifiers such as "clWindowText" become integers of a type.
using TIdentToInt = std::function<bool(const std::string& identifier, std::int32_t& value)>;
using TIntToIdent = std::function<bool(std::int32_t value, std::string& identifier)>;
void RegisterIdentMapper(const TTypeInfo* type, TIdentToInt identToInt, TIntToIdent intToIdent);

// The global component lookup: finds a root (a form) by name; nil when none.
using TFindGlobalComponent = std::function<TComponent*(const std::string& name)>;
void SetFindGlobalComponent(TFindGlobalComponent hook);

// References to components of other roots wait until those roots exist. A root that
// goes away before they are resolved drops the ones its reading left.
void RemoveGlobalFixups(TComponent* root);
std::size_t PendingGlobalFixups();
