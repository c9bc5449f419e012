// The drawn resources: the list and drive glyphs, the media button glyphs and the
// program's own cursors, read back through the module's resource functions.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/win32.h"

namespace {

DWORD Dword(const BYTE* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<DWORD>(p[3]) << 24; }
int Word(const BYTE* p) { return p[0] | p[1] << 8; }

const BYTE* Lock(HRSRC resource) { return static_cast<const BYTE*>(LockResource(LoadResource(nullptr, resource))); }

// A device-independent bitmap as stored: header, colour table, bottom-up rows.
struct Dib {
  int width = 0;
  int height = 0;  // of the colour image (a cursor's header says twice this)
  int bits = 0;
  const BYTE* table = nullptr;
  const BYTE* pixels = nullptr;
  const BYTE* mask = nullptr;  // cursors only

  int Stride() const { return (width * bits + 31) / 32 * 4; }
  // Colour-table index of the pixel at x, y counted from the top.
  int Index(int x, int y) const {
    BYTE byte = pixels[(height - 1 - y) * Stride() + x * bits / 8];
    return byte >> (8 - bits - x * bits % 8) & ((1 << bits) - 1);
  }
  COLORREF Rgb(int index) const {
    const BYTE* quad = table + 4 * index;
    return quad[2] << 16 | quad[1] << 8 | quad[0];  // as RRGGBB
  }
  bool Masked(int x, int y) const {
    int maskStride = (width + 31) / 32 * 4;
    return mask[(height - 1 - y) * maskStride + x / 8] & (0x80 >> x % 8);
  }
};

// Reads a bitmap resource and checks that its header and size agree with each other.
Dib LoadBitmapResource(const std::string& name, DWORD& size) {
  HRSRC resource = FindResourceA(nullptr, name.c_str(), RT_BITMAP);
  Dib dib;
  if (!resource) {
    ADD_FAILURE() << name << " is missing";
    return dib;
  }
  size = SizeofResource(nullptr, resource);
  const BYTE* data = Lock(resource);
  if (size < 40 || Dword(data) != 40) {
    ADD_FAILURE() << name << ": no 40-byte bitmap header";
    return dib;
  }
  dib.width = static_cast<int>(Dword(data + 4));
  dib.height = static_cast<int>(Dword(data + 8));
  dib.bits = Word(data + 14);
  EXPECT_EQ(Word(data + 12), 1) << name << " planes";
  EXPECT_EQ(Dword(data + 16), 0u) << name << " compression";
  DWORD colours = Dword(data + 32);
  EXPECT_GE(colours, 2u) << name;
  EXPECT_LE(colours, 1u << dib.bits) << name;
  EXPECT_EQ(size, 40 + 4 * colours + static_cast<DWORD>(dib.Stride() * dib.height)) << name;
  dib.table = data + 40;
  dib.pixels = dib.table + 4 * colours;
  return dib;
}

// The colour that drawing treats as transparent must belong to the background alone:
// no pixel of another table entry may have it, or that pixel would vanish too. The
// picture itself must not be empty.
void ExpectTransparentColourOnlyInTheBackground(const std::string& name, const Dib& dib, COLORREF transparent) {
  int background = 0;
  int picture = 0;
  for (int y = 0; y < dib.height; ++y) {
    for (int x = 0; x < dib.width; ++x) {
      COLORREF rgb = dib.Rgb(dib.Index(x, y));
      if (rgb == transparent && dib.Index(x, y) != dib.Index(0, dib.height - 1)) {
        ADD_FAILURE() << name << ": pixel " << x << "," << y << " has the transparent colour";
        return;
      }
      (rgb == transparent ? background : picture) += 1;
    }
  }
  EXPECT_GT(picture, 0) << name << " shows nothing";
  EXPECT_GT(background, 0) << name;
}

struct Glyph {
  const char* name;
  int width;
  int height;
};

// The glyphs that lists and the drive selector draw with the colour of the
// bottom-left pixel made transparent.
const Glyph kListGlyphs[] = {
    {"OPENFOLDER", 16, 15}, {"CLOSEDFOLDER", 16, 15}, {"CURRENTFOLDER", 16, 15}, {"EXECUTABLE", 16, 15},
    {"UNKNOWNFILE", 16, 15}, {"KNOWNFILE", 16, 15},   {"FLOPPY", 16, 11},        {"HARD", 16, 11},
    {"NETWORK", 16, 11},     {"CDROM", 16, 11},       {"RAM", 16, 11},
};

TEST(ResourceArt, ListAndDriveGlyphsHaveTheirSizesAndABackgroundColourOfTheirOwn) {
  for (const Glyph& glyph : kListGlyphs) {
    SCOPED_TRACE(glyph.name);
    DWORD size = 0;
    Dib dib = LoadBitmapResource(glyph.name, size);
    if (!dib.pixels) continue;
    EXPECT_EQ(dib.width, glyph.width);
    EXPECT_EQ(dib.height, glyph.height);
    EXPECT_EQ(dib.bits, 4);
    ExpectTransparentColourOnlyInTheBackground(glyph.name, dib, dib.Rgb(dib.Index(0, dib.height - 1)));
  }
}

TEST(ResourceArt, MediaButtonGlyphsExistForEveryKindAndButtonOnOlive) {
  const char* kinds[] = {"EN", "DI", "CL"};
  const char* buttons[] = {"MPPLAY", "MPPAUSE", "MPSTOP",  "MPNEXT",  "MPPREV",
                           "MPSTEP", "MPBACK",  "MPRECORD", "MPEJECT"};
  constexpr COLORREF kOlive = 0x808000;
  for (const char* button : buttons) {
    for (const char* kind : kinds) {
      std::string name = std::string(kind) + "_" + button;
      SCOPED_TRACE(name);
      DWORD size = 0;
      Dib dib = LoadBitmapResource(name, size);
      if (!dib.pixels) continue;
      EXPECT_EQ(dib.width, 17);
      EXPECT_EQ(dib.height, 13);
      EXPECT_EQ(dib.bits, 4);
      // Every corner is background, and the bar fits its default height of 30.
      EXPECT_EQ(dib.Rgb(dib.Index(0, 0)), kOlive);
      EXPECT_EQ(dib.Rgb(dib.Index(dib.width - 1, 0)), kOlive);
      EXPECT_EQ(dib.Rgb(dib.Index(0, dib.height - 1)), kOlive);
      EXPECT_EQ(dib.Rgb(dib.Index(dib.width - 1, dib.height - 1)), kOlive);
      EXPECT_LE(dib.height + 4, 30);
      ExpectTransparentColourOnlyInTheBackground(name, dib, kOlive);
    }
  }
  // The kinds differ in colour: the enabled glyph is black, the disabled one has none.
  for (const char* button : buttons) {
    DWORD size = 0;
    Dib enabled = LoadBitmapResource(std::string("EN_") + button, size);
    Dib disabled = LoadBitmapResource(std::string("DI_") + button, size);
    if (!enabled.pixels || !disabled.pixels) continue;
    bool enabledBlack = false;
    bool disabledBlack = false;
    for (int y = 0; y < enabled.height; ++y) {
      for (int x = 0; x < enabled.width; ++x) {
        enabledBlack |= enabled.Rgb(enabled.Index(x, y)) == 0;
        disabledBlack |= disabled.Rgb(disabled.Index(x, y)) == 0;
      }
    }
    EXPECT_TRUE(enabledBlack) << button;
    EXPECT_FALSE(disabledBlack) << button;
  }
}

TEST(ResourceArt, EachCursorGroupNamesAnImageWithItsHotspotInThePicture) {
  for (unsigned id = 32762; id <= 32767; ++id) {
    SCOPED_TRACE(id);
    HRSRC group = FindResourceA(nullptr, MAKEINTRESOURCEA(id), RT_GROUP_CURSOR);
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(SizeofResource(nullptr, group), 6u + 14u);
    const BYTE* entry = Lock(group);
    EXPECT_EQ(Word(entry), 0);
    EXPECT_EQ(Word(entry + 2), 2);  // cursors
    ASSERT_EQ(Word(entry + 4), 1);
    EXPECT_EQ(Word(entry + 6), 32);
    EXPECT_EQ(Word(entry + 8), 64);  // colour image and mask
    int bits = Word(entry + 12);
    EXPECT_EQ(bits, 1);  // monochrome, as cursors are
    HRSRC imageResource = FindResourceA(nullptr, MAKEINTRESOURCEA(Word(entry + 18)), RT_CURSOR);
    ASSERT_NE(imageResource, nullptr);
    DWORD size = SizeofResource(nullptr, imageResource);
    EXPECT_EQ(size, Dword(entry + 14));
    // hotspot, 40-byte header, 2 colours, 32 rows of 4 bytes, 32 mask rows of 4 bytes
    ASSERT_EQ(size, 4u + 40u + 8u + 128u + 128u);
    const BYTE* image = Lock(imageResource);
    int hotX = Word(image);
    int hotY = Word(image + 2);
    const BYTE* header = image + 4;
    ASSERT_EQ(Dword(header), 40u);
    EXPECT_EQ(Dword(header + 4), 32u);
    EXPECT_EQ(Dword(header + 8), 64u);
    ASSERT_EQ(Word(header + 14), bits);
    Dib dib;
    dib.width = 32;
    dib.height = 32;
    dib.bits = bits;
    dib.table = header + 40;
    dib.pixels = dib.table + 4 * 2;
    dib.mask = dib.pixels + dib.Stride() * 32;
    // What shows: opaque pixels and inverted ones (masked, but not black in the colour image).
    int left = 32, top = 32, right = -1, bottom = -1, opaque = 0, clear = 0;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        bool masked = dib.Masked(x, y);
        (masked ? clear : opaque) += 1;
        if (!masked || dib.Rgb(dib.Index(x, y)) != 0) {
          left = std::min(left, x), right = std::max(right, x);
          top = std::min(top, y), bottom = std::max(bottom, y);
        }
      }
    }
    EXPECT_GT(opaque, 0);
    EXPECT_GT(clear, 0);
    EXPECT_GE(hotX, left);
    EXPECT_LE(hotX, right);
    EXPECT_GE(hotY, top);
    EXPECT_LE(hotY, bottom);
  }
}

}  // namespace
