// The system's own icons and cursors, drawn here in the classic spirit.
#include <cmath>
#include <initializer_list>
#include <map>

#include "gdi/icons.h"

namespace platform::gdi {
namespace {

constexpr std::uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kRed = 0xFF0000, kBlue = 0x0000FF,
                        kNavy = 0x000080, kYellow = 0xFFFF00, kSilver = 0xC0C0C0, kGray = 0x808080,
                        kTeal = 0x008080;

// A picture being drawn: everything starts transparent.
struct Picture {
  Surface colour, mask;
  explicit Picture(int size = 32) {
    colour.Resize(size, size, 0);
    mask.Resize(size, size, 0xFFFFFF);
  }
  bool Inside(int x, int y) const {
    return x >= 0 && y >= 0 && x < colour.width && y < colour.height;
  }
  void Put(int x, int y, std::uint32_t rgb) {
    if (!Inside(x, y)) return;
    colour.Row(y)[x] = rgb;
    mask.Row(y)[x] = 0;
  }
  void Invert(int x, int y) {
    if (!Inside(x, y)) return;
    colour.Row(y)[x] = kWhite;
    mask.Row(y)[x] = kWhite;
  }
  // Rows of characters: 'k' black, 'w' white, 'i' inverted, 'r' red, 'b' blue, 'y' yellow,
  // 'n' navy, 's' silver, 'g' grey, 't' teal; anything else leaves the pixel alone.
  void Art(int x0, int y0, std::initializer_list<const char*> rows, int scale = 1) {
    static const std::map<char, std::uint32_t> kColours = {
        {'k', kBlack}, {'w', kWhite},  {'r', kRed},  {'b', kBlue}, {'y', kYellow},
        {'n', kNavy},  {'s', kSilver}, {'g', kGray}, {'t', kTeal}};
    int y = y0;
    for (const char* row : rows) {
      for (int x = 0; row[x]; ++x) {
        for (int dy = 0; dy < scale; ++dy) {
          for (int dx = 0; dx < scale; ++dx) {
            int px = x0 + x * scale + dx, py = y + dy;
            if (row[x] == 'i') {
              Invert(px, py);
            } else if (auto found = kColours.find(row[x]); found != kColours.end()) {
              Put(px, py, found->second);
            }
          }
        }
      }
      y += scale;
    }
  }
  void Disc(double cx, double cy, double r, std::uint32_t rgb) {
    for (int y = 0; y < colour.height; ++y) {
      for (int x = 0; x < colour.width; ++x) {
        double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
        if (dx * dx + dy * dy <= r * r) Put(x, y, rgb);
      }
    }
  }
  void Thick(double x0, double y0, double x1, double y1, double width, std::uint32_t rgb) {
    double length = std::hypot(x1 - x0, y1 - y0);
    for (int y = 0; y < colour.height; ++y) {
      for (int x = 0; x < colour.width; ++x) {
        double px = x + 0.5 - x0, py = y + 0.5 - y0;
        double t = length > 0 ? (px * (x1 - x0) + py * (y1 - y0)) / (length * length) : 0;
        t = std::clamp(t, 0.0, 1.0);
        double dx = px - t * (x1 - x0), dy = py - t * (y1 - y0);
        if (dx * dx + dy * dy <= width * width / 4) Put(x, y, rgb);
      }
    }
  }
  // A white border around every black pixel, as pointers have on any background.
  void Outline() {
    Surface before = colour, beforeMask = mask;
    for (int y = 0; y < colour.height; ++y) {
      for (int x = 0; x < colour.width; ++x) {
        if (beforeMask.Row(y)[x] == 0) continue;
        for (int dy = -1; dy <= 1; ++dy) {
          for (int dx = -1; dx <= 1; ++dx) {
            int nx = x + dx, ny = y + dy;
            if (Inside(nx, ny) && beforeMask.Row(ny)[nx] == 0 && before.Row(ny)[nx] == kBlack) {
              Put(x, y, kWhite);
            }
          }
        }
      }
    }
  }
  HICON Make(bool isIcon, POINT hotspot) {
    return MakeIcon(std::move(colour), std::move(mask), isIcon, hotspot, true);
  }
};

void Arrow(Picture& p, int x = 0, int y = 0) {
  p.Art(x, y,
        {"k", "kk", "kwk", "kwwk", "kwwwk", "kwwwwk", "kwwwwwk", "kwwwwwwk", "kwwwwwwwk",
         "kwwwwwwwwk", "kwwwwwkkkkk", "kwwkwwk", "kwk kwwk", "kk  kwwk", "k    kwwk", "     kwwk",
         "      kwwk", "      kwwk", "       kk"});
}

HCURSOR DrawCursor(unsigned id) {
  Picture p;
  POINT hot{0, 0};
  switch (id) {
    case 32513:  // I-beam
      p.Art(12, 6,
            {"iii iii", "   i", "   i", "   i", "   i", "   i", "   i", "   i", "   i", "   i",
             "   i", "   i", "   i", "   i", "   i", "   i", "   i", "iii iii"});
      hot = {15, 15};
      break;
    case 32514:  // hourglass
      p.Art(8, 5, {"kkkkkkkkkkkkkkk", "kwwwwwwwwwwwwwk", "kkkkkkkkkkkkkkk", " kwwwwwwwwwwwk",
                   " kwwwwwwwwwwwk",  " kwkkkkkkkkkwk",  "  kwkkkkkkkwk",   "   kwkkkkkwk",
                   "    kwkkkwk",     "     kwkwk",      "      kwk",       "     kwwwk",
                   "    kwwkwwk",     "   kwwwkwwwk",    "  kwwwwkwwwwk",   " kwwwkkkkkwwwk",
                   " kwkkkkkkkkkwk",  " kwwwwwwwwwwwk",  "kkkkkkkkkkkkkkk", "kwwwwwwwwwwwwwk",
                   "kkkkkkkkkkkkkkk"});
      hot = {15, 15};
      break;
    case 32515:  // cross
      for (int i = 5; i < 26; ++i) {
        if (i < 14 || i > 16) {
          p.Invert(15, i);
          p.Invert(i, 15);
        }
      }
      hot = {15, 15};
      break;
    case 32516:  // up arrow
    case 32649:  // hand: an upward pointer
      p.Art(8, 2,
            {"       k", "      kwk", "     kwwwk", "    kwwwwwk", "   kwwwwwwwk", "  kwwwwwwwwwk",
             " kwwwwwwwwwwwk", "kkkkkwwwwwkkkkk", "    kwwwwwk", "    kwwwwwk", "    kwwwwwk",
             "    kwwwwwk", "    kwwwwwk", "    kwwwwwk", "    kwwwwwk", "    kkkkkkk"});
      hot = {15, 2};
      break;
    case 32644:  // size west-east
    case 32640:
    case 32646:  // size all
    case 32645:  // size north-south
    case 32642:  // size north-west/south-east
    case 32643:  // size north-east/south-west
    {
      auto twoHeaded = [&](double x0, double y0, double x1, double y1) {
        double dx = x1 - x0, dy = y1 - y0, length = std::hypot(dx, dy);
        double ux = dx / length, uy = dy / length;
        p.Thick(x0, y0, x1, y1, 1.5, kBlack);
        for (double side : {-1.0, 1.0}) {
          p.Thick(x0, y0, x0 + 4 * ux - 4 * side * uy, y0 + 4 * uy + 4 * side * ux, 1.5, kBlack);
          p.Thick(x1, y1, x1 - 4 * ux - 4 * side * uy, y1 - 4 * uy + 4 * side * ux, 1.5, kBlack);
        }
      };
      if (id == 32644 || id == 32646 || id == 32640) twoHeaded(5, 15.5, 26, 15.5);
      if (id == 32645 || id == 32646 || id == 32640) twoHeaded(15.5, 5, 15.5, 26);
      if (id == 32642) twoHeaded(8, 8, 23, 23);
      if (id == 32643) twoHeaded(23, 8, 8, 23);
      p.Outline();
      hot = {15, 15};
      break;
    }
    case 32648:  // no
      p.Disc(15.5, 15.5, 10, kBlack);
      p.Disc(15.5, 15.5, 7, 0);
      for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
          double dx = x + 0.5 - 15.5, dy = y + 0.5 - 15.5;
          if (dx * dx + dy * dy < 49) p.mask.Row(y)[x] = 0xFFFFFF, p.colour.Row(y)[x] = 0;
        }
      }
      p.Thick(10.5, 10.5, 20.5, 20.5, 3, kBlack);
      p.Outline();
      hot = {15, 15};
      break;
    case 32650:  // arrow with a small hourglass
      Arrow(p);
      p.Art(12, 14, {"kkkkkkk", "kwwwwwk", " kwwwk", "  kwk", " kwkwk", "kwwkwwk", "kkkkkkk"});
      break;
    case 32651:  // arrow with a question mark
      Arrow(p);
      p.Art(13, 2, {" kkkkk", "kk   kk", "     kk", "    kk", "   kk", "   kk", "", "   kk"});
      break;
    case 32641:  // icon
      p.Art(8, 8,
            {"kkkkkkkkkkkkkkkk", "kwwwwwwwwwwwwwwk", "kwwwwwwwwwwwwwwk", "kwwwwwwwwwwwwwwk",
             "kwwwwwwwwwwwwwwk", "kwwwwwwwwwwwwwwk", "kwwwwwwwwwwwwwwk", "kwwwwwwwwwwwwwwk",
             "kwwwwwwwwwwwwwwk", "kwwwwwwwwwwwwwwk", "kwwwwwwwwwwwwwwk", "kwwwwwwwwwwwwwwk",
             "kwwwwwwwwwwwwwwk", "kwwwwwwwwwwwwwwk", "kwwwwwwwwwwwwwwk", "kkkkkkkkkkkkkkkk"});
      hot = {15, 15};
      break;
    default:  // 32512 arrow and any id we do not draw
      Arrow(p);
      break;
  }
  return p.Make(false, hot);
}

HICON DrawIcon(unsigned id) {
  Picture p;
  switch (id) {
    case 32513:  // hand: error
      p.Disc(16, 16, 14.5, kBlack);
      p.Disc(16, 16, 13.5, kRed);
      p.Thick(10, 10, 22, 22, 3, kWhite);
      p.Thick(22, 10, 10, 22, 3, kWhite);
      break;
    case 32514:  // question
    case 32516:  // asterisk: information
      p.Disc(16, 16, 14.5, kBlack);
      p.Disc(16, 16, 13.5, kWhite);
      if (id == 32514) {
        p.Art(10, 6, {" bbbb", "bb  bb", "    bb", "   bb", "  bb", "  bb", "", "  bb"}, 2);
      } else {
        p.Art(14, 6, {"bb", "", "bb", "bb", "bb", "bb", "bb", "bb", "bbb"}, 2);
      }
      break;
    case 32515:  // exclamation
      for (int y = 2; y < 30; ++y) {
        double half = (y - 2) * 14.0 / 28.0;
        for (int x = 0; x < 32; ++x) {
          double dx = std::fabs(x + 0.5 - 16);
          if (dx <= half + 1) p.Put(x, y, kBlack);
          if (dx <= half - 0.5 && y > 3 && y < 29) p.Put(x, y, kYellow);
        }
      }
      p.Art(14, 9, {"kk", "kk", "kk", "kk", "kk", "kk", "kk", "", "", "kk", "kk"}, 1);
      p.Art(15, 9, {"k", "k", "k", "k", "k", "k", "k", "", "", "k", "k"});
      break;
    default:  // 32512 application, and the logo and shield ids
      p.Art(2, 4, {"kkkkkkkkkkkkkkkkkkkkkkkkkkkk"});
      for (int y = 5; y < 28; ++y) {
        p.Put(2, y, kBlack);
        p.Put(29, y, kBlack);
        for (int x = 3; x < 29; ++x) p.Put(x, y, y < 9 ? kNavy : kWhite);
      }
      p.Art(2, 28, {"kkkkkkkkkkkkkkkkkkkkkkkkkkkk"});
      p.Art(24, 6, {"ss ss", "ss ss"});
      break;
  }
  return p.Make(true, {16, 16});
}

}  // namespace

HICON SystemIcon(unsigned id) {
  static std::map<unsigned, HICON> icons;
  if (id < 32512 || id > 32518) return nullptr;
  HICON& icon = icons[id];
  if (!FindIcon(icon)) icon = DrawIcon(id);
  return icon;
}

HCURSOR SystemCursor(unsigned id) {
  static std::map<unsigned, HCURSOR> cursors;
  if (id < 32512 || id > 32672) return nullptr;
  HCURSOR& cursor = cursors[id];
  if (!FindIcon(cursor)) cursor = DrawCursor(id);
  return cursor;
}

}  // namespace platform::gdi
