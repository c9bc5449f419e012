// Feeds arbitrary bytes to the picture readers: a bitmap from a stream and from a stored
// "Data" entry, an icon from a stream. What is taken is also made into a platform object
// and written back, so the handle makers and writers see every accepted input.
// Seed the corpus with bitmap and icon files (docs/graphics.md).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "graphics/bitmap.h"
#include "runtime/exceptions.h"

namespace {

void Exercise(TGraphic& picture, TStream& stream, bool storedData) {
  try {
    if (storedData) {
      picture.ReadStoredData(stream);
    } else {
      picture.LoadFrom(stream);
    }
  } catch (const Exception&) {
    return;
  }
  try {
    TMemoryStream written;
    picture.WriteStoredData(written);
    TBitmap* bitmap = dynamic_cast<TBitmap*>(&picture);
    if (bitmap != nullptr) {
      bitmap->Handle();
      bitmap->TransparentColor();
      bitmap->Dormant();
    } else {
      static_cast<TIcon&>(picture).Handle();
    }
  } catch (const Exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("TD_BACKEND", "headless", 1);
  setenv("TD_AUDIO", "null", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the reader; the rest is the input.
  TMemoryStream stream;
  if (size > 1) stream.WriteBuffer(data + 1, static_cast<Longint>(size - 1));
  stream.SetPosition(0);
  switch (data[0] % 3) {
    case 0: {
      TBitmap bitmap;
      Exercise(bitmap, stream, false);
      break;
    }
    case 1: {
      TBitmap bitmap;
      Exercise(bitmap, stream, true);
      break;
    }
    default: {
      TIcon icon;
      Exercise(icon, stream, false);
      break;
    }
  }
  return 0;
}
