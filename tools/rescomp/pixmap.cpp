#include <fstream>
#include <map>
#include <sstream>

#include "tools/rescomp/rescomp.h"

namespace rescomp {
namespace {

constexpr unsigned kRtCursor = 1;
constexpr unsigned kRtBitmap = 2;
constexpr unsigned kRtIcon = 3;
constexpr unsigned kRtGroupCursor = 12;
constexpr unsigned kRtGroupIcon = 14;

struct Colour {
  std::uint8_t red = 0, green = 0, blue = 0;
  bool transparent = false;  // icons and cursors: the mask shows the screen through
  bool inverted = false;     // icons and cursors: the screen shows inverted
};

struct Pixmap {
  int width = 0;
  int height = 0;
  int bits = 0;
  int hotX = 0;
  int hotY = 0;
  std::vector<Colour> palette;    // index order as listed
  std::map<char, int> legend;     // pixel character to palette index
  std::vector<std::string> rows;  // top to bottom
};

Pixmap Parse(const std::filesystem::path& file, PixmapKind kind) {
  std::ifstream in(file);
  if (!in) throw Error(file.string() + ": cannot open");
  Pixmap map;
  enum class Section { Header, Palette, Pixels } section = Section::Header;
  std::string line;
  int lineNumber = 0;
  auto fail = [&](const std::string& what) {
    throw Error(file.string() + ":" + std::to_string(lineNumber) + ": " + what);
  };
  while (std::getline(in, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (section == Section::Pixels) {
      if (line.empty() || line[0] == '#') continue;
      map.rows.push_back(line);
      continue;
    }
    std::istringstream words(line);
    std::string word;
    if (!(words >> word) || word[0] == '#') continue;
    if (word == "palette") {
      section = Section::Palette;
    } else if (word == "pixels") {
      section = Section::Pixels;
    } else if (section == Section::Header) {
      if (word == "size") {
        if (!(words >> map.width >> map.height) || map.width <= 0 || map.height <= 0 ||
            map.width > 256 || map.height > 256) {
          fail("size needs a width and a height from 1 to 256");
        }
      } else if (word == "bits") {
        if (!(words >> map.bits) || (map.bits != 1 && map.bits != 4 && map.bits != 8)) {
          fail("bits is 1, 4 or 8");
        }
      } else if (word == "hotspot") {
        if (!(words >> map.hotX >> map.hotY)) fail("hotspot needs x and y");
      } else {
        fail("unknown header word " + word);
      }
    } else {
      // Palette line: CHARACTER RRGGBB | transparent | inverted
      if (word.size() != 1) fail("a palette entry starts with one pixel character");
      std::string value;
      if (!(words >> value)) fail("a palette entry needs a colour");
      Colour colour;
      if (value == "transparent") {
        colour.transparent = true;
      } else if (value == "inverted") {
        colour.inverted = true;
        colour.red = colour.green = colour.blue = 0xFF;
      } else {
        if (value.size() != 6 ||
            value.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
          fail("a colour is RRGGBB in hex");
        }
        unsigned long rgb = std::stoul(value, nullptr, 16);
        colour.red = static_cast<std::uint8_t>(rgb >> 16);
        colour.green = static_cast<std::uint8_t>(rgb >> 8);
        colour.blue = static_cast<std::uint8_t>(rgb);
      }
      if ((colour.transparent || colour.inverted) && kind == PixmapKind::Bitmap) {
        fail("bitmaps have no transparent or inverted pixels");
      }
      if (map.legend.count(word[0])) fail("pixel character listed twice");
      // Transparent and inverted pixels draw with black and white in the colour image.
      map.legend[word[0]] = static_cast<int>(map.palette.size());
      map.palette.push_back(colour);
    }
  }
  if (map.width == 0) fail("no size");
  if (map.bits == 0) fail("no bits");
  if (static_cast<int>(map.rows.size()) != map.height) {
    throw Error(file.string() + ": " + std::to_string(map.rows.size()) + " pixel rows for height " +
                std::to_string(map.height));
  }
  for (std::size_t y = 0; y < map.rows.size(); ++y) {
    if (static_cast<int>(map.rows[y].size()) != map.width) {
      throw Error(file.string() + ": pixel row " + std::to_string(y + 1) + " is not " +
                  std::to_string(map.width) + " wide");
    }
    for (char c : map.rows[y]) {
      if (!map.legend.count(c))
        throw Error(file.string() + ": pixel '" + std::string(1, c) + "' not in the palette");
    }
  }
  return map;
}

// The colour table: every colour image entry, transparent ones as black.
struct Image {
  Bytes header;  // BITMAPINFOHEADER + colour table
  Bytes colour;  // bottom-up rows, DWORD-aligned
  Bytes mask;    // 1 bit per pixel, 1 = transparent or inverted
};

// A bitmap file carries the whole colour table, as image editors write it.
Image EncodeImage(const Pixmap& map, bool withMask, bool fullTable) {
  const bool wholeTable = withMask || fullTable;
  int colours = 1 << map.bits;
  if (!(withMask && map.bits == 1) && static_cast<int>(map.palette.size()) > colours) {
    throw Error(std::to_string(map.palette.size()) + " colours do not fit " +
                std::to_string(map.bits) + " bits");
  }
  // A monochrome icon or cursor stores black and white only: transparent pixels are
  // black with the mask set (the screen shows), inverted ones white with the mask set.
  const bool monochromeMasked = withMask && map.bits == 1;
  auto indexOf = [&](const Colour& c, int listed) {
    if (!monochromeMasked) return listed;
    if (c.transparent) return 0;
    if (c.inverted) return 1;
    if (c.red == 0 && c.green == 0 && c.blue == 0) return 0;
    if (c.red == 0xFF && c.green == 0xFF && c.blue == 0xFF) return 1;
    throw Error("a 1-bit icon or cursor has only black, white, transparent and inverted pixels");
  };
  Image image;
  PutDword(image.header, 40);
  PutDword(image.header, static_cast<std::uint32_t>(map.width));
  PutDword(image.header, static_cast<std::uint32_t>(withMask ? map.height * 2 : map.height));
  PutWord(image.header, 1);
  PutWord(image.header, static_cast<unsigned>(map.bits));
  PutDword(image.header, 0);  // BI_RGB
  int stride = ((map.width * map.bits + 31) / 32) * 4;
  int maskStride = ((map.width + 31) / 32) * 4;
  PutDword(image.header, static_cast<std::uint32_t>(stride * map.height +
                                                    (withMask ? maskStride * map.height : 0)));
  PutDword(image.header, 3780);  // 96 dpi
  PutDword(image.header, 3780);
  PutDword(image.header, wholeTable ? 0u : static_cast<std::uint32_t>(map.palette.size()));
  PutDword(image.header, 0);
  for (int i = 0; i < (wholeTable ? colours : static_cast<int>(map.palette.size())); ++i) {
    Colour c = i < static_cast<int>(map.palette.size()) ? map.palette[i] : Colour{};
    if (monochromeMasked) c = i == 0 ? Colour{} : Colour{0xFF, 0xFF, 0xFF, false, false};
    image.header.push_back(c.transparent ? 0 : c.blue);
    image.header.push_back(c.transparent ? 0 : c.green);
    image.header.push_back(c.transparent ? 0 : c.red);
    image.header.push_back(0);
  }
  image.colour.assign(static_cast<std::size_t>(stride * map.height), 0);
  image.mask.assign(static_cast<std::size_t>(maskStride * map.height), 0);
  for (int y = 0; y < map.height; ++y) {
    int row = map.height - 1 - y;  // bottom-up
    for (int x = 0; x < map.width; ++x) {
      int listed = map.legend.at(map.rows[y][x]);
      const Colour& c = map.palette[listed];
      int index = indexOf(c, listed);
      std::size_t bit = static_cast<std::size_t>(x * map.bits);
      std::uint8_t& byte = image.colour[row * stride + bit / 8];
      byte |= static_cast<std::uint8_t>(index << (8 - map.bits - bit % 8));
      if (c.transparent || c.inverted) {
        image.mask[row * maskStride + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
  }
  return image;
}

// Encoding errors name the file, as parsing errors do.
Image Encode(const std::filesystem::path& file, const Pixmap& map, bool withMask,
             bool fullTable = false) {
  try {
    return EncodeImage(map, withMask, fullTable);
  } catch (const Error& e) {
    throw Error(file.string() + ": " + e.what());
  }
}

}  // namespace

void CompilePixmap(const std::filesystem::path& file, PixmapKind kind, const std::string& name,
                   unsigned id, Directory& directory) {
  Pixmap map = Parse(file, kind);
  if (kind == PixmapKind::Bitmap) {
    Image image = Encode(file, map, false);
    Bytes data = image.header;
    data.insert(data.end(), image.colour.begin(), image.colour.end());
    directory.Add({"", kRtBitmap, name, id, std::move(data)});
    return;
  }
  if (map.palette.size() > 16 && map.bits < 8) throw Error(file.string() + ": too many colours");
  Image image = Encode(file, map, true);
  Bytes imageData;
  if (kind == PixmapKind::Cursor) {
    PutWord(imageData, static_cast<unsigned>(map.hotX));
    PutWord(imageData, static_cast<unsigned>(map.hotY));
  }
  imageData.insert(imageData.end(), image.header.begin(), image.header.end());
  imageData.insert(imageData.end(), image.colour.begin(), image.colour.end());
  imageData.insert(imageData.end(), image.mask.begin(), image.mask.end());
  unsigned imageId = directory.NextImageId();
  std::uint32_t imageSize = static_cast<std::uint32_t>(imageData.size());
  directory.Add(
      {"", kind == PixmapKind::Icon ? kRtIcon : kRtCursor, "", imageId, std::move(imageData)});

  // The group: header and one 14-byte entry naming the image.
  Bytes group;
  PutWord(group, 0);
  PutWord(group, kind == PixmapKind::Icon ? 1 : 2);
  PutWord(group, 1);
  if (kind == PixmapKind::Icon) {
    group.push_back(static_cast<std::uint8_t>(map.width == 256 ? 0 : map.width));
    group.push_back(static_cast<std::uint8_t>(map.height == 256 ? 0 : map.height));
    group.push_back(static_cast<std::uint8_t>(map.bits >= 8 ? 0 : 1 << map.bits));
    group.push_back(0);
  } else {
    PutWord(group, static_cast<unsigned>(map.width));
    PutWord(group, static_cast<unsigned>(map.height * 2));
  }
  PutWord(group, 1);
  PutWord(group, static_cast<unsigned>(map.bits));
  PutDword(group, imageSize);
  PutWord(group, imageId);
  directory.Add(
      {"", kind == PixmapKind::Icon ? kRtGroupIcon : kRtGroupCursor, name, id, std::move(group)});
}

Bytes PixmapFileBytes(const std::filesystem::path& file, PixmapKind kind) {
  Pixmap map = Parse(file, kind);
  Bytes out;
  if (kind == PixmapKind::Bitmap) {
    Image image = Encode(file, map, false, true);
    std::uint32_t size = static_cast<std::uint32_t>(14 + image.header.size() + image.colour.size());
    out = {'B', 'M'};
    PutDword(out, size);
    PutDword(out, 0);
    PutDword(out, static_cast<std::uint32_t>(14 + image.header.size()));
    out.insert(out.end(), image.header.begin(), image.header.end());
    out.insert(out.end(), image.colour.begin(), image.colour.end());
    return out;
  }
  if (kind == PixmapKind::Cursor) throw Error(file.string() + ": cursor files are not supported");
  if (map.palette.size() > 16 && map.bits < 8) throw Error(file.string() + ": too many colours");
  Image image = Encode(file, map, true);
  std::uint32_t imageSize =
      static_cast<std::uint32_t>(image.header.size() + image.colour.size() + image.mask.size());
  PutWord(out, 0);
  PutWord(out, 1);
  PutWord(out, 1);
  out.push_back(static_cast<std::uint8_t>(map.width == 256 ? 0 : map.width));
  out.push_back(static_cast<std::uint8_t>(map.height == 256 ? 0 : map.height));
  out.push_back(static_cast<std::uint8_t>(map.bits >= 8 ? 0 : 1 << map.bits));
  out.push_back(0);
  PutWord(out, 1);
  PutWord(out, static_cast<unsigned>(map.bits));
  PutDword(out, imageSize);
  PutDword(out, 22);
  out.insert(out.end(), image.header.begin(), image.header.end());
  out.insert(out.end(), image.colour.begin(), image.colour.end());
  out.insert(out.end(), image.mask.begin(), image.mask.end());
  return out;
}

Picture PixmapPicture(const std::filesystem::path& file, PixmapKind kind) {
  Pixmap map = Parse(file, kind);
  Picture picture;
  picture.width = map.width;
  picture.height = map.height;
  picture.rgba.reserve(static_cast<std::size_t>(map.width * map.height * 4));
  for (const std::string& row : map.rows) {
    for (char c : row) {
      const Colour& colour = map.palette[map.legend.at(c)];
      bool shown = !colour.transparent && !colour.inverted;
      picture.rgba.insert(picture.rgba.end(),
                          {colour.red, colour.green, colour.blue, std::uint8_t(shown ? 0xFF : 0)});
    }
  }
  return picture;
}

}  // namespace rescomp
