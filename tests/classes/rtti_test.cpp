#include "classes/rtti.h"

#include <gtest/gtest.h>

#include "classes/component.h"
#include "classes/events.h"

namespace {

enum TShape { shCircle, shSquare, shTriangle };
enum TMark : unsigned char { mkDot, mkCross, mkStar };

}  // namespace

TD_ENUM_TYPE(TShape, "shCircle", "shSquare", "shTriangle");
TD_ENUM_TYPE(TMark, "mkDot", "mkCross", "mkStar");

namespace {

using TMarks = TSet<TMark>;

class TGadget : public TComponent {
  TD_CLASS(TGadget, TComponent)

 public:
  explicit TGadget(TComponent* owner) : TComponent(owner) {}

  int Width() const { return width_; }
  void SetWidth(int width) { width_ = width; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) { caption_ = caption; }
  TShape Shape() const { return shape_; }
  void SetShape(TShape shape) { shape_ = shape; }
  int Cell(int index) const { return cells_[index]; }
  void SetCell(int index, int value) { cells_[index] = value; }
  int Hidden() const { return 7; }
  bool ShapeStored() const { return shape_ != shCircle; }

  std::int16_t offset = 0;
  std::uint8_t level = 0;
  bool visible = true;
  char accelerator = 'a';
  double ratio = 0;
  TMarks marks;
  TGadget* buddy = nullptr;
  std::string title;
  int color = 0;
  TNotifyEvent OnClick;
  TEvent<TObject*, char&> OnKey;

  int lastMessage = 0;
  std::string trail;
  void WMFirst(TMessage& message) {
    trail += "gadget;";
    lastMessage = static_cast<int>(message.Msg);
    InheritedMessage(StaticClass(), message);
  }
  void DefaultMessage(TMessage& message) override {
    trail += "default;";
    message.Result = 99;
  }

 private:
  int width_ = 0;
  std::string caption_;
  TShape shape_ = shCircle;
  int cells_[2] = {0, 0};
};

TD_IMPLEMENT_CLASS(TGadget)
void TGadget::Describe(Describer& d) {
  d.Property("Width", &TGadget::Width, &TGadget::SetWidth).Default(0);
  d.Property("Caption", &TGadget::Caption, &TGadget::SetCaption);
  d.Property("Shape", &TGadget::Shape, &TGadget::SetShape)
      .Default(shCircle)
      .Stored(&TGadget::ShapeStored);
  d.IndexedProperty("Second", 1, &TGadget::Cell, &TGadget::SetCell);
  d.Property("Hidden", &TGadget::Hidden);
  d.Property("Offset", &TGadget::offset);
  d.Property("Level", &TGadget::level);
  d.Property("Visible", &TGadget::visible).Default(true);
  d.Property("Accelerator", &TGadget::accelerator);
  d.Property("Ratio", &TGadget::ratio);
  d.Property("Marks", &TGadget::marks);
  d.Property("Buddy", &TGadget::buddy);
  static const TTypeInfo kTitleType = MakeShortStringType("TTitle", 5);
  static const TTypeInfo kColorType = MakeIntegerType("TColor");
  d.Property("Title", &TGadget::title).Type(kTitleType);
  d.Property("Color", &TGadget::color).Type(kColorType);
  d.Property("OnClick", &TGadget::OnClick);
  d.Property("OnKey", &TGadget::OnKey);
  d.Message(0x0101, &TGadget::WMFirst);
}

class TFancyGadget : public TGadget {
  TD_CLASS(TFancyGadget, TGadget)

 public:
  explicit TFancyGadget(TComponent* owner) : TGadget(owner) {}
  void WMFirst(TMessage& message) {
    trail += "fancy;";
    InheritedMessage(StaticClass(), message);
  }
  void WMSecond(TMessage& message) {
    trail += "second;";
    InheritedMessage(StaticClass(), message);
  }
};

TD_IMPLEMENT_CLASS(TFancyGadget)
void TFancyGadget::Describe(Describer& d) {
  d.Message(0x0101, &TFancyGadget::WMFirst);
  d.Message(0x0202, &TFancyGadget::WMSecond);
}

class TPanelForm : public TComponent {
  TD_CLASS(TPanelForm, TComponent)

 public:
  explicit TPanelForm(TComponent* owner) : TComponent(owner) {}
  TGadget* Gadget1 = nullptr;
  TFancyGadget* Fancy1 = nullptr;
  int clicks = 0;
  TObject* lastSender = nullptr;
  void Gadget1Click(TObject* sender) {
    ++clicks;
    lastSender = sender;
  }
  void Gadget1Key(TObject*, char& key) { key = 0; }
};

TD_IMPLEMENT_CLASS(TPanelForm)
void TPanelForm::Describe(Describer& d) {
  d.Field("Gadget1", &TPanelForm::Gadget1);
  d.Field("Fancy1", &TPanelForm::Fancy1);
  d.Method("Gadget1Click", &TPanelForm::Gadget1Click);
  d.Method("Gadget1Key", &TPanelForm::Gadget1Key);
}

TEST(ClassInfo, IdentityParentsAndVirtualConstructor) {
  const TClassInfo& info = TFancyGadget::StaticClass();
  EXPECT_EQ(info.Name(), "TFancyGadget");
  EXPECT_EQ(info.Parent(), &TGadget::StaticClass());
  EXPECT_TRUE(info.InheritsFrom(TComponent::StaticClass()));
  EXPECT_TRUE(info.InheritsFrom(TObject::StaticClass()));
  EXPECT_FALSE(TGadget::StaticClass().InheritsFrom(info));
  EXPECT_FALSE(TPersistent::StaticClass().CanConstruct());

  TPanelForm owner(nullptr);
  TComponent* made = info.Construct(&owner);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->ClassName(), "TFancyGadget");
  EXPECT_EQ(made->Owner(), &owner);
  EXPECT_EQ(owner.OwnedCount(), 1);
}

TEST(ClassInfo, PropertyLookupIgnoresCaseAndWalksToAncestors) {
  const TClassInfo& info = TFancyGadget::StaticClass();
  const TPropInfo* width = info.FindProperty("wIDTH");
  ASSERT_NE(width, nullptr);
  EXPECT_EQ(width->Name(), "Width");
  ASSERT_NE(info.FindProperty("tag"), nullptr);  // from TComponent
  EXPECT_EQ(info.FindProperty("Nothing"), nullptr);

  std::vector<std::string> names;
  for (const TPropInfo* p : info.AllProperties()) names.push_back(p->Name());
  ASSERT_GE(names.size(), 3u);
  EXPECT_EQ(names[0], "Name");  // ancestors first, in declaration order
  EXPECT_EQ(names[1], "Tag");
  EXPECT_EQ(names[2], "Width");
}

TEST(ClassInfo, PropertyTypesCarryKindWidthAndNames) {
  const TClassInfo& info = TGadget::StaticClass();
  auto type = [&](const char* name) -> const TTypeInfo& { return info.FindProperty(name)->Type(); };
  EXPECT_EQ(type("Width").Kind, TTypeKind::Integer);
  EXPECT_EQ(type("Width").OrdType, TOrdType::SLong);
  EXPECT_EQ(type("Offset").OrdType, TOrdType::SWord);
  EXPECT_EQ(type("Level").OrdType, TOrdType::UByte);
  EXPECT_EQ(type("Caption").Kind, TTypeKind::LString);
  EXPECT_EQ(type("Accelerator").Kind, TTypeKind::Char);
  EXPECT_EQ(type("Ratio").Kind, TTypeKind::Float);
  EXPECT_EQ(type("Ratio").FloatType, TFloatType::Double);
  EXPECT_EQ(type("Visible").Kind, TTypeKind::Enumeration);
  EXPECT_EQ(type("Visible").EnumValue("TRUE"), 1);
  EXPECT_EQ(type("Shape").Name, "TShape");
  EXPECT_EQ(type("Shape").EnumValue("SHTRIANGLE"), 2);
  EXPECT_EQ(type("Shape").EnumValue("shHexagon"), -1);
  EXPECT_EQ(type("Marks").Kind, TTypeKind::Set);
  ASSERT_NE(type("Marks").ElementType, nullptr);
  EXPECT_EQ(type("Marks").ElementType->Name, "TMark");
  EXPECT_EQ(type("Marks").ElementType->OrdType, TOrdType::UByte);
  EXPECT_EQ(type("Buddy").Kind, TTypeKind::Class);
  EXPECT_EQ(type("Buddy").ClassType, &TGadget::StaticClass());
  EXPECT_EQ(type("OnClick").Kind, TTypeKind::Method);
  EXPECT_FALSE(*type("OnClick").Signature == *type("OnKey").Signature);
}

TEST(ClassInfo, PropertyAccessDefaultsAndStored) {
  TGadget g(nullptr);
  const TClassInfo& info = TGadget::StaticClass();
  const TPropInfo* hidden = info.FindProperty("Hidden");
  EXPECT_TRUE(hidden->IsReadOnly());
  EXPECT_EQ(hidden->ReadAccess(), TPropAccess::Accessor);
  EXPECT_EQ(hidden->GetOrdinal(&g), 7);
  EXPECT_EQ(info.FindProperty("Visible")->WriteAccess(), TPropAccess::Field);
  EXPECT_EQ(info.FindProperty("Visible")->DefaultValue(), 1);
  EXPECT_FALSE(info.FindProperty("Caption")->DefaultValue().has_value());

  const TPropInfo* shape = info.FindProperty("Shape");
  EXPECT_FALSE(shape->IsStored(&g));
  shape->SetOrdinal(&g, 1);
  EXPECT_EQ(g.Shape(), shSquare);
  EXPECT_TRUE(shape->IsStored(&g));

  const TPropInfo* second = info.FindProperty("Second");
  EXPECT_EQ(second->Index(), 1);
  second->SetOrdinal(&g, 42);
  EXPECT_EQ(g.Cell(1), 42);
  EXPECT_EQ(g.Cell(0), 0);
}

TEST(ClassInfo, OrdinalValuesAreStoredAtThePropertyWidth) {
  TGadget g(nullptr);
  const TClassInfo& info = TGadget::StaticClass();
  info.FindProperty("Offset")->SetOrdinal(&g, 0x12345);
  EXPECT_EQ(g.offset, 0x2345);
  info.FindProperty("Offset")->SetOrdinal(&g, -2);
  EXPECT_EQ(info.FindProperty("Offset")->GetOrdinal(&g), -2);
  info.FindProperty("Level")->SetOrdinal(&g, 0x1FF);
  EXPECT_EQ(g.level, 0xFF);
  info.FindProperty("Marks")->SetOrdinal(&g, 0b101);
  EXPECT_TRUE(g.marks.Contains(mkDot));
  EXPECT_FALSE(g.marks.Contains(mkCross));
  EXPECT_TRUE(g.marks.Contains(mkStar));
  info.FindProperty("Accelerator")->SetOrdinal(&g, 'Q');
  EXPECT_EQ(g.accelerator, 'Q');
  info.FindProperty("Ratio")->SetFloat(&g, 2.5L);
  EXPECT_DOUBLE_EQ(g.ratio, 2.5);
  info.FindProperty("Caption")->SetString(&g, "Play");
  EXPECT_EQ(g.Caption(), "Play");
  const TPropInfo* title = info.FindProperty("Title");
  EXPECT_EQ(title->Kind(), TTypeKind::String);
  title->SetString(&g, "Overlong");  // cut to the short string's length
  EXPECT_EQ(g.title, "Overl");
  EXPECT_EQ(info.FindProperty("Color")->Type().Name, "TColor");
}

TEST(ClassInfo, ObjectPropertiesRefuseObjectsOfAnotherClass) {
  TGadget g(nullptr);
  TGadget other(nullptr);
  TPanelForm form(nullptr);
  const TPropInfo* buddy = TGadget::StaticClass().FindProperty("Buddy");
  EXPECT_TRUE(buddy->SetObject(&g, &other));
  EXPECT_EQ(g.buddy, &other);
  EXPECT_FALSE(buddy->SetObject(&g, &form));
  EXPECT_EQ(g.buddy, &other);
  EXPECT_TRUE(buddy->SetObject(&g, nullptr));
  EXPECT_EQ(g.buddy, nullptr);
}

TEST(ClassInfo, PublishedMethodsBindOnlyToEventsOfTheSameSignature) {
  TPanelForm form(nullptr);
  TGadget g(nullptr);
  const TClassInfo& formInfo = TPanelForm::StaticClass();
  const TMethodInfo* click = formInfo.FindMethod("GADGET1CLICK");
  const TMethodInfo* key = formInfo.FindMethod("Gadget1Key");
  ASSERT_NE(click, nullptr);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(formInfo.FindMethod("Gadget2Click"), nullptr);

  const TPropInfo* onClick = TGadget::StaticClass().FindProperty("OnClick");
  const TPropInfo* onKey = TGadget::StaticClass().FindProperty("OnKey");
  EXPECT_FALSE(onClick->SetMethod(&g, key->Bind(&form)));
  EXPECT_FALSE(static_cast<bool>(g.OnClick));
  EXPECT_TRUE(onClick->SetMethod(&g, click->Bind(&form)));
  g.OnClick(&g);
  EXPECT_EQ(form.clicks, 1);
  EXPECT_EQ(form.lastSender, &g);
  EXPECT_EQ(onClick->GetMethod(&g).Data, &form);

  EXPECT_TRUE(onKey->SetMethod(&g, key->Bind(&form)));
  char c = 'x';
  g.OnKey(&g, c);
  EXPECT_EQ(c, 0);  // by-reference arguments reach the handler

  EXPECT_TRUE(onClick->SetMethod(&g, TMethod{}));
  EXPECT_FALSE(static_cast<bool>(g.OnClick));
  g.OnClick(&g);  // unassigned: nothing happens
  EXPECT_EQ(form.clicks, 1);
}

TEST(ClassInfo, FieldsAndFieldClasses) {
  TPanelForm form(nullptr);
  TGadget g(nullptr);
  const TClassInfo& info = TPanelForm::StaticClass();
  const TFieldInfo* field = info.FindField("gadget1");
  ASSERT_NE(field, nullptr);
  EXPECT_TRUE(field->Set(&form, &g));
  EXPECT_EQ(form.Gadget1, &g);
  EXPECT_FALSE(info.FindField("Fancy1")->Set(&form, &g));  // a TGadget is no TFancyGadget
  EXPECT_EQ(form.Fancy1, nullptr);
  EXPECT_EQ(info.FindFieldClass("tfancygadget"), &TFancyGadget::StaticClass());
  EXPECT_EQ(info.FindFieldClass("TPanelForm"), nullptr);
  EXPECT_EQ(info.FindField(std::string(300, 'x')), nullptr);
}

TEST(MessageRouting, HandlersChainToAncestorsThenDefault) {
  TFancyGadget fancy(nullptr);
  TMessage first{0x0101, 0, 0, 0};
  fancy.RouteMessage(first);
  EXPECT_EQ(fancy.trail, "fancy;gadget;default;");
  EXPECT_EQ(first.Result, 99);

  fancy.trail.clear();
  TMessage second{0x0202, 0, 0, 0};
  fancy.RouteMessage(second);
  EXPECT_EQ(fancy.trail, "second;default;");

  // Only the low 16 bits select the handler.
  TGadget plain(nullptr);
  TMessage high{0x70101, 0, 0, 0};
  plain.RouteMessage(high);
  EXPECT_EQ(plain.trail, "gadget;default;");
  EXPECT_EQ(plain.lastMessage, 0x70101);

  plain.trail.clear();
  TMessage none{0x0303, 0, 0, 0};
  plain.RouteMessage(none);
  EXPECT_EQ(plain.trail, "default;");
}

}  // namespace
