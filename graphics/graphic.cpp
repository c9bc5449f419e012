// The abstract picture: stored data, files and comparison of images.
#include <cstring>

#include "graphics/bitmap.h"

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TGraphic)

void TGraphic::Changed() { OnChange(this); }

bool TGraphic::SameImageAs(TGraphic* other) {
  const bool blank = IsBlank();
  const bool otherBlank = other == nullptr || other->IsBlank();
  if (blank || otherBlank) return blank && otherBlank;
  if (&ClassInfo() != &other->ClassInfo()) return false;
  TMemoryStream mine, theirs;
  WriteStoredData(mine);
  other->WriteStoredData(theirs);
  if (mine.Size() != theirs.Size()) return false;
  return mine.Size() == 0 ||
         std::memcmp(mine.Memory(), theirs.Memory(), static_cast<std::size_t>(mine.Size())) == 0;
}

void TGraphic::ReadStoredData(TStream& stream) { LoadFrom(stream); }

void TGraphic::WriteStoredData(TStream& stream) { SaveTo(stream); }

void TGraphic::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFrom(stream);
}

void TGraphic::SaveToFile(const std::string& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveTo(stream);
}

void TGraphic::DeclareStoredData(TFiler& filer) {
  bool hasData = true;
  TPersistent* ancestor = filer.Ancestor();
  if (ancestor == nullptr) {
    hasData = !IsBlank();
  } else if (auto* graphic = dynamic_cast<TGraphic*>(ancestor)) {
    hasData = !SameImageAs(graphic);
  }
  filer.DeclareBinaryEntry(
      "Data", [this](TStream& stream) { ReadStoredData(stream); },
      [this](TStream& stream) { WriteStoredData(stream); }, hasData);
}
