// Internals shared by the reader's source files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "classes/component.h"
#include "classes/rtti.h"

namespace reader_detail {

// String table ids of the reader's messages.
constexpr int kDuplicateClass = 61458;
constexpr int kClassNotFound = 61448;
constexpr int kStreamReadError = 61443;
constexpr int kInvalidStreamFormat = 61449;
constexpr int kResourceNotFound = 61450;
constexpr int kInvalidPropertyValue = 61461;
constexpr int kInvalidPropertyPath = 61462;
constexpr int kUnknownProperty = 61463;
constexpr int kReadOnlyProperty = 61464;
constexpr int kErrorReading = 61465;
constexpr int kAncestorNotFound = 61466;

constexpr std::uint8_t kPrefixInherited = 0x1;
constexpr std::uint8_t kPrefixChildPosition = 0x2;

// Deeper nesting than any real form; beyond it a description is refused instead of
// exhausting the stack.
constexpr int kMaxNesting = 200;

std::uint32_t LittleEndian32(const std::uint8_t* bytes);
// The 80-bit extended payload (64-bit mantissa, then sign and exponent), exactly.
long double ExtendedToLongDouble(const std::uint8_t* bytes);

// A component reference naming another root ("Form2.Button1").
struct GlobalFixup {
  TPersistent* instance;
  const TPropInfo* property;
  std::string rootName;
  std::string componentName;
  TComponent* readerRoot;
};

bool IdentToInt(const TTypeInfo& type, const std::string& identifier, std::int32_t& value);
TComponent* FindGlobalComponent(const std::string& name);
bool HasGlobalComponentLookup();
void AddGlobalFixup(GlobalFixup fixup);
void ResolveGlobalFixups();
void RemoveGlobalFixupsOf(TComponent* readerRoot);
// Drops every waiting reference that names the component as its holder or as the root
// that read it: called when the component dies, whatever it is and whoever owns it.
void ForgetGlobalFixupsNaming(TComponent* component);
// The built-components list of the innermost open loading scope; nil when none.
std::vector<TComponent*>* LoadingScope();

// The component state flags the reader raises and lowers.
enum class ReaderState { Loading, Reading, FixingUp };
void MarkState(TComponent* component, ReaderState flag, bool on);
inline void MarkFixingUp(TComponent* component, bool on) {
  MarkState(component, ReaderState::FixingUp, on);
}
bool IsDesigning(const TComponent* component);

}  // namespace reader_detail
