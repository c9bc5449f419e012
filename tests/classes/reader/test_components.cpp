#include "tests/classes/reader/test_components.h"

TD_ENUM_TYPE(reader_test::TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut");
TD_ENUM_TYPE(reader_test::TDragMode, "dmManual", "dmAutomatic");
TD_ENUM_TYPE(reader_test::TTrackBarOrientation, "trHorizontal", "trVertical");
TD_ENUM_TYPE(reader_test::TTickMark, "tmBottomRight", "tmTopLeft", "tmBoth");
TD_ENUM_TYPE(reader_test::TTickStyle, "tsNone", "tsAuto", "tsManual");

namespace reader_test {

const TTypeInfo& ColorType() {
  static const TTypeInfo type = detail::MakeOrdinalType("TColor", TTypeKind::Integer, TOrdType::SLong);
  return type;
}

const TTypeInfo& CharsetType() {
  static const TTypeInfo type = detail::MakeOrdinalType("TFontCharset", TTypeKind::Integer, TOrdType::UByte);
  return type;
}

const TTypeInfo& ShortStringType() {
  static const TTypeInfo type = [] {
    TTypeInfo t = detail::MakeOrdinalType("String8", TTypeKind::String, TOrdType::SLong);
    t.MaxLength = 8;
    return t;
  }();
  return type;
}

void RegisterTestMappers() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterIdentMapper(
      &ColorType(),
      [](const std::string& name, std::int32_t& value) {
        if (name == "clWindowText") value = static_cast<std::int32_t>(0x80000008u);
        else if (name == "clRed") value = 0xFF;
        else return false;
        return true;
      },
      nullptr);
  RegisterIdentMapper(
      &CharsetType(),
      [](const std::string& name, std::int32_t& value) {
        if (name != "DEFAULT_CHARSET") return false;
        value = 1;
        return true;
      },
      nullptr);
}

std::vector<std::string>& AfterLoadLog() {
  static std::vector<std::string> log;
  return log;
}

TD_IMPLEMENT_CLASS(TTestFont)
void TTestFont::Describe(Describer& d) {
  d.Property("Charset", &TTestFont::Charset).Type(CharsetType());
  d.Property("Color", &TTestFont::Color).Type(ColorType());
  d.Property("Height", &TTestFont::Height);
  d.Property("Name", &TTestFont::Name);
  d.Property("Style", &TTestFont::Style);
}

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TTestPicture)
void TTestPicture::DeclareStoredData(TFiler& filer) {
  filer.DeclareBinaryEntry(
      "Data",
      [this](TStream& stream) {
        streamPositionAtRead = stream.Position();
        Data.resize(static_cast<std::size_t>(stream.Size()));
        stream.ReadBuffer(Data.data(), static_cast<std::int32_t>(Data.size()));
      },
      nullptr, !Data.empty());
}

TD_IMPLEMENT_CLASS(TTestItem)
void TTestItem::Describe(Describer& d) {
  d.Property("Title", &TTestItem::Title);
  d.Property("Width", &TTestItem::Width);
}

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TTestCollection)
TPersistent* TTestCollection::Add() {
  items_.push_back(std::make_unique<TTestItem>());
  return items_.back().get();
}
void TTestCollection::EndUpdate() {
  TCollection::EndUpdate();
  if (UpdateCount() == 0) ++changes;
}

TD_IMPLEMENT_CLASS(TTestControl)
void TTestControl::Describe(Describer& d) {
  d.Property("Left", &TTestControl::Left);
  d.Property("Top", &TTestControl::Top);
  d.Property("Width", &TTestControl::Width);
  d.Property("Height", &TTestControl::Height);
  d.Property("Caption", &TTestControl::Caption);
  d.Property("Font", &TTestControl::Font);
  d.Property("Icon", &TTestControl::Icon);
  d.Property("Glyph", &TTestControl::Glyph);
  d.Property("Columns", &TTestControl::Columns, &TTestControl::SetColumns);
  d.Property("Visible", &TTestControl::Visible);
  d.Property("Enabled", &TTestControl::Enabled);
  d.Property("AutoSize", &TTestControl::AutoSize);
  d.Property("Checked", &TTestControl::Checked);
  d.Property("TabOrder", &TTestControl::TabOrder);
  d.Property("ItemHeight", &TTestControl::ItemHeight);
  d.Property("NumGlyphs", &TTestControl::NumGlyphs);
  d.Property("PixelsPerInch", &TTestControl::PixelsPerInch);
  d.Property("TextHeight", &TTestControl::TextHeight);
  d.Property("Frequency", &TTestControl::Frequency);
  d.Property("Position", &TTestControl::Position);
  d.Property("SelEnd", &TTestControl::SelEnd);
  d.Property("SelStart", &TTestControl::SelStart);
  d.Property("ShortCut", &TTestControl::ShortCut);
  d.Property("Interval", &TTestControl::Interval);
  d.Property("Tiny", &TTestControl::Tiny);
  d.Property("Mask", &TTestControl::Mask);
  d.Property("Filter", &TTestControl::Filter);
  d.Property("Label", &TTestControl::Label).Type(ShortStringType());
  d.Property("Letter", &TTestControl::Letter);
  d.Property("Small", &TTestControl::Small);
  d.Property("Ratio", &TTestControl::Ratio);
  d.Property("Precise", &TTestControl::Precise);
  d.Property("DragMode", &TTestControl::DragMode);
  d.Property("Orientation", &TTestControl::Orientation);
  d.Property("TickMarks", &TTestControl::TickMarks);
  d.Property("TickStyle", &TTestControl::TickStyle);
  d.Property("Options", &TTestControl::Options);
  d.Property("Fixed", &TTestControl::Fixed);
  d.Property("FileList", &TTestControl::FileList);
  d.Property("DirList", &TTestControl::DirList);
  d.Property("Menu", &TTestControl::Menu);
  d.Property("OnClick", &TTestControl::OnClick);
  d.Property("OnDblClick", &TTestControl::OnDblClick);
  d.Property("OnTimer", &TTestControl::OnTimer);
  d.Property("OnKeyPress", &TTestControl::OnKeyPress);
  d.Property("OnDragDrop", &TTestControl::OnDragDrop);
  d.Property("OnDragOver", &TTestControl::OnDragOver);
  d.Property("OnStartDrag", &TTestControl::OnStartDrag);
}

void TTestControl::SetChildPosition(TComponent* child, int order) { positions.emplace_back(child->Name(), order); }

void TTestControl::AfterLoad() {
  AfterLoadLog().push_back(Name());
  TComponent::AfterLoad();
}

void TTestControl::DeclareStoredData(TFiler& filer) {
  TComponent::DeclareStoredData(filer);
  filer.DeclareEntry(
      "Extra", [this](TFiler& reader) { Stored = reader.ReadInt(); }, nullptr, Stored != 0);
}

TD_IMPLEMENT_CLASS(TTestNonVisual)
void TTestNonVisual::Describe(Describer& d) {
  d.Property("Enabled", &TTestNonVisual::Enabled);
  d.Property("Interval", &TTestNonVisual::Interval);
  d.Property("OnTimer", &TTestNonVisual::OnTimer);
}

void TTestNonVisual::AfterLoad() {
  AfterLoadLog().push_back(Name());
  TComponent::AfterLoad();
}

TD_IMPLEMENT_CLASS(TMenuItem)
void TMenuItem::Describe(Describer& d) {
  d.Property("Caption", &TMenuItem::Caption);
  d.Property("Checked", &TMenuItem::Checked);
  d.Property("ShortCut", &TMenuItem::ShortCut);
  d.Property("OnClick", &TMenuItem::OnClick);
}

void TMenuItem::AfterLoad() {
  AfterLoadLog().push_back(Name());
  TComponent::AfterLoad();
}

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TSpeedButton)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TLabel)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TMediaPlayer)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TFileListBox)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TDirectoryListBox)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TDriveComboBox)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TFilterComboBox)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TTrackBar)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TMainMenu)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TTimer)

TD_IMPLEMENT_CLASS(TForm1)
void TForm1::Describe(Describer& d) {
  d.Field("SpeedButton2", &TForm1::SpeedButton2);
  d.Field("SpeedButton3", &TForm1::SpeedButton3);
  d.Field("SpeedButton1", &TForm1::SpeedButton1);
  d.Field("Label1", &TForm1::Label1);
  d.Field("MC", &TForm1::MC);
  d.Field("FileList", &TForm1::FileList);
  d.Field("DirList", &TForm1::DirList);
  d.Field("DirCombo", &TForm1::DirCombo);
  d.Field("FileCombo", &TForm1::FileCombo);
  d.Field("Bar1", &TForm1::Bar1);
  d.Field("MainMenu1", &TForm1::MainMenu1);
  d.Field("File1", &TForm1::File1);
  d.Field("Exit1", &TForm1::Exit1);
  d.Field("Option1", &TForm1::Option1);
  d.Field("RefreshList1", &TForm1::RefreshList1);
  d.Field("Repeat1", &TForm1::Repeat1);
  d.Field("Repeat2", &TForm1::Repeat2);
  d.Field("Sequence1", &TForm1::Sequence1);
  d.Field("Timer2", &TForm1::Timer2);
  d.Method("SpeedButton1Click", &TForm1::SpeedButton1Click);
  d.Method("SpeedButton2Click", &TForm1::SpeedButton2Click);
  d.Method("SpeedButton3Click", &TForm1::SpeedButton3Click);
  d.Method("FileListDblClick", &TForm1::FileListDblClick);
  d.Method("FileListKeyPress", &TForm1::FileListKeyPress);
  d.Method("Bar1DragDrop", &TForm1::Bar1DragDrop);
  d.Method("Bar1DragOver", &TForm1::Bar1DragOver);
  d.Method("Bar1StartDrag", &TForm1::Bar1StartDrag);
  d.Method("Exit1Click", &TForm1::Exit1Click);
  d.Method("RefreshList1Click", &TForm1::RefreshList1Click);
  d.Method("Repeat2Click", &TForm1::Repeat2Click);
  d.Method("Sequence1Click", &TForm1::Sequence1Click);
  d.Method("Timer2Timer", &TForm1::Timer2Timer);
}

TComponent* ReadBytes(const std::vector<std::uint8_t>& bytes, TComponent* root,
                      const std::function<void(TReader&)>& configure) {
  RegisterTestMappers();
  TMemoryStream stream;
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  stream.SetPosition(0);
  TReader reader(stream, 4096);
  if (configure) configure(reader);
  return reader.ReadDescription(root);
}

namespace {

std::string ValueText(TObject* object, const TPropInfo& property, TForm1& form) {
  switch (property.Kind()) {
    case TTypeKind::Enumeration:
      return property.Type().EnumName(property.GetOrdinal(object));
    case TTypeKind::Integer:
    case TTypeKind::Char:
    case TTypeKind::Set:
      return std::to_string(property.GetOrdinal(object));
    case TTypeKind::Float:
      return std::to_string(static_cast<double>(property.GetFloat(object)));
    case TTypeKind::String:
    case TTypeKind::LString:
      return "\"" + property.GetString(object) + "\"";
    case TTypeKind::Class: {
      auto* component = dynamic_cast<TComponent*>(property.GetObject(object));
      return component != nullptr ? component->Name() : "nil";
    }
    case TTypeKind::Method: {
      TMethod method = property.GetMethod(object);
      if (method.Code == nullptr) return "nil";
      for (const auto& info : form.ClassInfo().OwnTables().methods) {
        if (info->Code() == method.Code && method.Data == &form) return info->Name();
      }
      return "?";
    }
    default:
      return "?";
  }
}

void DumpProperties(TObject* object, TObject* fresh, const std::string& prefix, TForm1& form, std::string& out) {
  for (const TPropInfo* property : object->ClassInfo().AllProperties()) {
    if (prefix.empty() && property->Name() == "Name") continue;  // shown at the start of the line
    const std::string path = prefix + property->Name();
    if (property->Kind() == TTypeKind::Class) {
      TObject* value = property->GetObject(object);
      if (auto* picture = dynamic_cast<TTestPicture*>(value)) {
        if (!picture->Data.empty()) out += " " + path + ".Data=" + std::to_string(picture->Data.size());
        continue;
      }
      if (dynamic_cast<TTestFont*>(value) != nullptr) {
        DumpProperties(value, property->GetObject(fresh), path + ".", form, out);
        continue;
      }
      if (dynamic_cast<TCollection*>(value) != nullptr) continue;
    }
    std::string text = ValueText(object, *property, form);
    if (text != ValueText(fresh, *property, form)) out += " " + path + "=" + text;
  }
}

}  // namespace

std::string Dump(TForm1& form) {
  std::string out;
  std::vector<TComponent*> objects{&form};
  for (int i = 0; i < form.OwnedCount(); ++i) objects.push_back(form.OwnedAt(i));
  for (TComponent* component : objects) {
    out += component->Name() + " " + component->ClassName();
    TComponent* parent = nullptr;
    if (auto* control = dynamic_cast<TTestControl*>(component)) parent = control->Parent;
    if (auto* item = dynamic_cast<TMenuItem*>(component)) parent = item->ParentItem;
    if (parent != nullptr) out += " Parent=" + parent->Name();
    std::unique_ptr<TComponent> fresh(component->ClassInfo().Construct(nullptr));
    DumpProperties(component, fresh.get(), "", form, out);
    if (dynamic_cast<TTestNonVisual*>(component) != nullptr) {
      std::uint32_t position = component->DesignPosition();
      out += " Left=" + std::to_string(position & 0xFFFF) + " Top=" + std::to_string(position >> 16);
    }
    out += "\n";
  }
  return out;
}

}  // namespace reader_test
