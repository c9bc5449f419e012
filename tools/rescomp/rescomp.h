// The resource compiler: turns the text sources in resources/ into the module's
// resource directory, one generated C++ source.
#pragma once
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace rescomp {

using Bytes = std::vector<std::uint8_t>;

// A source error: file, line and what is wrong.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Resource {
  std::string typeName;  // empty for an integer type
  unsigned typeId = 0;
  std::string name;  // upper case; empty for an integer id
  unsigned id = 0;
  Bytes data;
};

// Appends resources to the directory being built.
class Directory {
 public:
  void Add(Resource resource);
  // A new integer id for an icon or cursor image of a group.
  unsigned NextImageId() { return ++lastImageId_; }
  const std::vector<Resource>& Resources() const { return resources_; }

 private:
  std::vector<Resource> resources_;
  unsigned lastImageId_ = 0;
};

void PutWord(Bytes& out, unsigned value);
void PutDword(Bytes& out, std::uint32_t value);

// resources/strings.txt: "ID text" lines, stored as blocks of 16 UTF-16 strings.
void CompileStringTable(const std::filesystem::path& file, Directory& directory);

// Pixel maps (resources/README.md): BITMAP as a DIB, ICON and CURSOR as a group
// resource plus one image resource.
enum class PixmapKind { Bitmap, Icon, Cursor };
void CompilePixmap(const std::filesystem::path& file, PixmapKind kind, const std::string& name,
                   unsigned id, Directory& directory);

// The same pixel map as a whole file: a bitmap file ("BM" header) or an icon file.
Bytes PixmapFileBytes(const std::filesystem::path& file, PixmapKind kind);

// The same pixel map as a picture: 8-bit red, green, blue and alpha, top row first.
// Transparent and inverted pixels (which a picture cannot show) are fully transparent.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;
};
Picture PixmapPicture(const std::filesystem::path& file, PixmapKind kind);

// Form descriptions (resources/README.md): the readable text compiled to the binary
// form stored as RCDATA.
Bytes CompileForm(const std::filesystem::path& file);

Bytes ReadFileBytes(const std::filesystem::path& file);

}  // namespace rescomp
