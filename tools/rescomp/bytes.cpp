// Byte output and the resource directory shared by every resource kind.
#include <fstream>
#include <iterator>

#include "tools/rescomp/rescomp.h"

namespace rescomp {

void Directory::Add(Resource resource) {
  for (const Resource& r : resources_) {
    if (r.typeName == resource.typeName && r.typeId == resource.typeId && r.name == resource.name &&
        r.id == resource.id) {
      throw Error("resource " + (resource.name.empty() ? std::to_string(resource.id) : resource.name) +
                  " is defined twice");
    }
  }
  resources_.push_back(std::move(resource));
}

void PutWord(Bytes& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void PutDword(Bytes& out, std::uint32_t value) {
  PutWord(out, value & 0xFFFF);
  PutWord(out, value >> 16);
}

Bytes ReadFileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw Error(file.string() + ": cannot open");
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace rescomp
