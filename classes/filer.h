// TFiler: the side of the form description reader that persistent objects see. A
// class's DeclareStoredData declares the stored-data entries it keeps without a
// published property ("Left", "Top", "Strings", a picture's "Data"); the reader calls
// back the entry's read procedure, which consumes exactly one value through the
// reading primitives declared here. TReader (classes/reader.h) implements them.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "classes/rtti.h"

class TComponent;
class TPersistent;
class TStream;

class TFiler : public TObject {
  TD_CLASS(TFiler, TObject)

 public:
  using ReadProc = std::function<void(TFiler& reader)>;
  using WriteProc = std::function<void(TFiler& writer)>;
  using StreamProc = std::function<void(TStream& stream)>;

  // When name is the entry being read, calls readProc. hasData tells a writer whether
  // the entry differs from the ancestor's; a reader ignores it and writeProc.
  virtual void DeclareEntry(const std::string& name, ReadProc readProc, WriteProc writeProc,
                            bool hasData) = 0;
  // The same for a binary value: readProc gets a stream over its bytes at position 0.
  virtual void DeclareBinaryEntry(const std::string& name, StreamProc readProc,
                                  StreamProc writeProc, bool hasData) = 0;

  // A reader reads the properties and then the children of instance (what
  // TComponent::ReadContents asks for); a writer writes them.
  virtual void ReadObjectContents(TComponent* instance) = 0;
  virtual void WriteObjectContents(TComponent*) {}

  // The object of the ancestor description being compared with; nil when none.
  TPersistent* Ancestor() const { return ancestor_; }
  void SetAncestor(TPersistent* ancestor) { ancestor_ = ancestor; }

  // Reading primitives of the description's values. A primitive that meets a value of
  // another tag raises EReadError "Invalid property value".
  virtual int ReadTag() = 0;
  virtual int PeekTag() = 0;
  virtual bool AtListEnd() = 0;        // next tag is 0
  virtual void ReadListStart() = 0;    // expects tag 1
  virtual void ReadListEnd() = 0;      // expects tag 0
  virtual std::int32_t ReadInt() = 0;  // tags 2, 3, 4, sign-extended
  virtual long double ReadExtended() = 0;
  virtual std::string ReadIdentifier() = 0;  // tag 7; 8, 9, 13 as "False", "True", "nil"
  virtual std::string ReadText() = 0;        // tags 6 and 12
  virtual bool ReadBool() = 0;
  virtual char ReadChar() = 0;
  virtual std::string ReadShortString() = 0;  // bare, no tag
  virtual void SkipValue() = 0;

 private:
  TPersistent* ancestor_ = nullptr;
};
