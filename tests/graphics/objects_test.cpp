#include <cstring>

#include "tests/graphics/graphics_test_util.h"

namespace graphics_test {
namespace {

using SharedResources = GraphicsTest;

TEST_F(SharedResources, EqualFontsShareOneHandleAndAChangeLeavesTheOtherAlone) {
  TFont first, second;
  first.SetName("Shared Face");
  second.SetName("Shared Face");
  ASSERT_EQ(first.Resource(), second.Resource());
  EXPECT_EQ(first.Resource()->RefCount, 2);
  HFONT handle = first.Handle();
  EXPECT_EQ(second.Handle(), handle);

  second.SetHeight(-20);
  EXPECT_NE(second.Resource(), first.Resource());
  EXPECT_EQ(first.Resource()->RefCount, 1);
  EXPECT_EQ(first.Height(), -11);
  EXPECT_EQ(first.Handle(), handle);
  EXPECT_NE(second.Handle(), handle);
  EXPECT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_FONT));
}

TEST_F(SharedResources, TheLastUserGivesTheHandleBackToThePlatform) {
  HPEN handle;
  const int before = PenManager().Count();
  {
    TPen pen, copy;
    pen.SetColor(0x123456);
    copy.CopyFrom(&pen);
    handle = pen.Handle();
    EXPECT_EQ(PenManager().Count(), before + 1);
    {
      TPen third;
      third.CopyFrom(&pen);
      EXPECT_EQ(pen.Resource()->RefCount, 3);
    }
    EXPECT_EQ(pen.Resource()->RefCount, 2);
    EXPECT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_PEN));
  }
  EXPECT_EQ(GetObjectType(handle), 0u);
  EXPECT_EQ(PenManager().Count(), before);
}

TEST_F(SharedResources, RecordsAreFoundByTheirHashAndBytes) {
  // Rotations are of 16 bits: the high bits come round to the bottom.
  const std::uint8_t record[4] = {0x80, 0, 0, 0};
  EXPECT_EQ(TResourceManager::Hash(record, 4), 0x40);
  const std::uint8_t two[2] = {1, 2};
  EXPECT_EQ(TResourceManager::Hash(two, 2), 34);

  TBrush brush;
  brush.SetColor(0x010203);
  EXPECT_EQ(brush.Resource()->HashCode,
            TResourceManager::Hash(&brush.Resource()->Brush, sizeof(TBrushData)));
  // A new resource goes to the head of the list.
  EXPECT_EQ(BrushManager().First(), brush.Resource());
  TBrush same;
  same.SetColor(0x010203);
  EXPECT_EQ(same.Resource(), brush.Resource());
}

TEST_F(SharedResources, AChangeIsAnnouncedOnlyWhenTheResourceChanges) {
  EventLog log;
  TFont font;
  log.Watch(font);
  font.SetHeight(font.Height());
  font.SetColor(font.Color());
  font.SetStyle({});
  EXPECT_EQ(log.Take(), "");
  font.SetStyle({fsBold, fsItalic});
  font.SetColor(clRed);
  EXPECT_EQ(log.Take(), "change;change;");

  TPen pen;
  log.Watch(pen);
  pen.SetWidth(-3);
  EXPECT_EQ(pen.Width(), 1);
  pen.SetMode(pmCopy);
  EXPECT_EQ(log.Take(), "");
  pen.SetMode(pmXor);
  pen.SetWidth(2);
  EXPECT_EQ(log.Take(), "change;change;");
}

TEST_F(SharedResources, AClearBrushTakesAColourAsSolid) {
  TBrush brush;
  brush.SetColor(clBlue);
  brush.SetStyle(bsClear);
  EXPECT_EQ(brush.Color(), clWhite);
  brush.SetColor(clRed);
  EXPECT_EQ(brush.Style(), bsSolid);
  EXPECT_EQ(brush.Color(), clRed);
  LOGBRUSH made{};
  GetObjectA(brush.Handle(), sizeof made, &made);
  EXPECT_EQ(made.lbStyle, static_cast<UINT>(BS_SOLID));
  EXPECT_EQ(made.lbColor, RGB(255, 0, 0));

  brush.SetStyle(bsDiagCross);
  GetObjectA(brush.Handle(), sizeof made, &made);
  EXPECT_EQ(made.lbStyle, static_cast<UINT>(BS_HATCHED));
  EXPECT_EQ(made.lbHatch, static_cast<ULONG_PTR>(HS_DIAGCROSS));
}

TEST_F(SharedResources, FontHandlesCarryEverySetting) {
  TFont font;
  EXPECT_EQ(font.Name(), "MS Sans Serif");
  EXPECT_EQ(font.Height(), -11);
  EXPECT_EQ(font.Size(), 8);
  EXPECT_EQ(font.Charset(), DEFAULT_CHARSET);
  EXPECT_EQ(font.Color(), clWindowText);
  font.SetName("A face name longer than thirty-one characters");
  EXPECT_EQ(font.Name(), "A face name longer than thirty-");
  font.SetStyle({fsBold, fsUnderline});
  font.SetPitch(fpFixed);
  font.SetCharset(204);
  font.SetSize(10);
  EXPECT_EQ(font.Height(), -13);

  LOGFONTA made{};
  ASSERT_NE(GetObjectA(font.Handle(), sizeof made, &made), 0);
  EXPECT_EQ(made.lfHeight, -13);
  EXPECT_EQ(made.lfWeight, FW_BOLD);
  EXPECT_EQ(made.lfItalic, 0);
  EXPECT_EQ(made.lfUnderline, 1);
  EXPECT_EQ(made.lfCharSet, 204);
  EXPECT_EQ(made.lfPitchAndFamily, FIXED_PITCH);
  EXPECT_STREQ(made.lfFaceName, "A face name longer than thirty-");
}

TEST_F(SharedResources, CopyingAFontKeepsItsPointSizeAtAnotherDensity) {
  TFont source, target;
  source.SetPixelsPerInch(120);
  source.SetHeight(-20);  // 12 points at 120 pixels per inch
  source.SetColor(clHighlight);
  EventLog log;
  log.Watch(target);
  target.CopyFrom(&source);
  EXPECT_EQ(log.Take(), "change;");
  EXPECT_EQ(target.Size(), 12);
  EXPECT_EQ(target.Height(), -16);
  EXPECT_EQ(target.Color(), clHighlight);

  TFont same;
  same.CopyFrom(&target);
  EXPECT_EQ(same.Resource(), target.Resource());

  try {
    same.CopyFrom(nullptr);
    FAIL() << "copying nil must fail";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a nil to a TFont");
  }
}

TEST_F(SharedResources, NewSystemColoursRemakePensAndBrushesOfSystemColours) {
  TPen systemPen, plainPen;
  systemPen.SetColor(clBtnShadow);
  plainPen.SetColor(0x0000AA);
  HPEN oldSystem = systemPen.Handle();
  HPEN plain = plainPen.Handle();
  MemoryContext context(4, 4);
  TCanvas canvas;
  canvas.SetHandle(context.dc);
  canvas.Pen()->SetColor(clBtnShadow);
  canvas.LineTo(2, 2);
  ASSERT_TRUE(canvas.State().Contains(csPenValid));

  RefreshSystemColors();
  EXPECT_FALSE(canvas.State().Contains(csPenValid));
  EXPECT_EQ(GetCurrentObject(context.dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(systemPen.Resource()->Handle, nullptr);
  EXPECT_EQ(GetObjectType(oldSystem), 0u);
  EXPECT_EQ(plainPen.Handle(), plain);
  EXPECT_NE(systemPen.Handle(), nullptr);
  canvas.SetHandle(nullptr);
}

}  // namespace
}  // namespace graphics_test
