#include "tests/graphics/graphics_test_util.h"

namespace graphics_test {
namespace {

using Canvas = GraphicsTest;

TEST_F(Canvas, WithoutAContextItRefusesToDraw) {
  TCanvas canvas;
  try {
    canvas.FillRect(RECT{0, 0, 4, 4});
    FAIL() << "a canvas without a context must refuse";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "Canvas does not allow drawing");
  }
  EXPECT_THROW(canvas.Handle(), EInvalidOperation);
  EXPECT_THROW(canvas.TextWidth("x"), EInvalidOperation);
}

TEST_F(Canvas, SelectsOnlyWhatAnOperationNeedsAndOnlyOnce) {
  MemoryContext context(20, 20);
  TCanvas canvas;
  canvas.SetHandle(context.dc);
  EXPECT_EQ(canvas.State(), TCanvasState{csHandleValid});

  canvas.FillRect(RECT{0, 0, 5, 5});
  EXPECT_EQ(canvas.State(), (TCanvasState{csHandleValid, csBrushValid}));
  EXPECT_EQ(GetCurrentObject(context.dc, OBJ_BRUSH), canvas.Brush()->Handle());
  canvas.TextOut(0, 0, "a");
  EXPECT_EQ(GetCurrentObject(context.dc, OBJ_FONT), canvas.Font()->Handle());

  // The canvas trusts what it selected: objects swapped behind its back stay until the
  // canvas's own object changes.
  HGDIOBJ intruderFont = GetStockObject(ANSI_FIXED_FONT);
  HGDIOBJ intruderBrush = GetStockObject(GRAY_BRUSH);
  SelectObject(context.dc, intruderFont);
  SelectObject(context.dc, intruderBrush);
  canvas.TextOut(0, 0, "a");
  canvas.FillRect(RECT{0, 0, 5, 5});
  EXPECT_EQ(GetCurrentObject(context.dc, OBJ_FONT), intruderFont);
  EXPECT_EQ(GetCurrentObject(context.dc, OBJ_BRUSH), intruderBrush);

  canvas.Brush()->SetColor(clRed);
  EXPECT_FALSE(canvas.State().Contains(csBrushValid));
  EXPECT_EQ(GetCurrentObject(context.dc, OBJ_BRUSH), GetStockObject(HOLLOW_BRUSH));
  canvas.TextOut(0, 0, "a");  // needs the brush again, the font is still "selected"
  EXPECT_EQ(GetCurrentObject(context.dc, OBJ_BRUSH), canvas.Brush()->Handle());
  EXPECT_EQ(GetCurrentObject(context.dc, OBJ_FONT), intruderFont);

  canvas.Font()->SetHeight(-20);
  EXPECT_EQ(GetCurrentObject(context.dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
  canvas.TextOut(0, 0, "a");
  EXPECT_EQ(GetCurrentObject(context.dc, OBJ_FONT), canvas.Font()->Handle());
  EXPECT_EQ(GetTextColor(context.dc), GetSysColor(COLOR_WINDOWTEXT));
  canvas.SetHandle(nullptr);
}

TEST_F(Canvas, DrawingOperationsAnnounceThemselvesAndQueriesDoNot) {
  MemoryContext context(20, 20);
  TCanvas canvas;
  EventLog log;
  log.Watch(canvas);
  canvas.SetHandle(context.dc);
  canvas.MoveTo(1, 1);
  canvas.TextWidth("abc");
  canvas.Pixels(1, 1);
  canvas.PenPos();
  EXPECT_EQ(log.Take(), "");
  canvas.LineTo(5, 5);
  canvas.Rectangle(0, 0, 3, 3);
  EXPECT_EQ(log.Take(), "changing;change;changing;change;");
  canvas.Handle();
  EXPECT_EQ(log.Take(), "changing;");
  EXPECT_EQ(canvas.State(), (TCanvasState{csHandleValid, csFontValid, csPenValid, csBrushValid}));
  canvas.SetHandle(nullptr);
}

TEST_F(Canvas, ThePenPositionTravelsFromContextToContext) {
  MemoryContext first(20, 20), second(20, 20);
  TCanvas canvas;
  canvas.SetHandle(first.dc);
  canvas.MoveTo(7, 9);
  canvas.SetHandle(nullptr);
  // Letting go of a context puts the stock objects back into it.
  EXPECT_EQ(GetCurrentObject(first.dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  canvas.SetHandle(second.dc);
  POINT position = canvas.PenPos();
  EXPECT_EQ(position.x, 7);
  EXPECT_EQ(position.y, 9);

  canvas.TextOut(2, 3, "Repeat");
  position = canvas.PenPos();
  EXPECT_EQ(position.x, 2 + canvas.TextWidth("Repeat"));
  EXPECT_EQ(position.y, 3);
  canvas.SetHandle(nullptr);
}

TEST_F(Canvas, TheDefaultFontMeasuresAsTheClassicOne) {
  MemoryContext context(60, 20);
  TCanvas canvas;
  canvas.SetHandle(context.dc);
  EXPECT_EQ(canvas.TextHeight("Repeat"), 13);
  EXPECT_EQ(canvas.TextWidth("Repeat"), 34);
  EXPECT_EQ(canvas.TextWidth(""), 0);
  canvas.SetHandle(nullptr);
}

TEST_F(Canvas, DashedLinesShowTheBrushColourInTheirGaps) {
  MemoryContext context(40, 3);
  TCanvas canvas;
  canvas.SetHandle(context.dc);
  canvas.Pen()->SetColor(clRed);
  canvas.Pen()->SetStyle(psDash);
  canvas.Brush()->SetColor(clLime);
  canvas.MoveTo(0, 1);
  canvas.LineTo(40, 1);
  EXPECT_EQ(context.At(0, 1), RGB(255, 0, 0));
  EXPECT_EQ(context.At(20, 1), RGB(0, 255, 0));  // dashes of 18, gaps of 6
  EXPECT_TRUE(canvas.State().Contains(csBrushValid));

  // A brush that is not solid makes the gaps transparent.
  canvas.Brush()->SetStyle(bsClear);
  canvas.Pen()->SetColor(clBlue);
  canvas.MoveTo(0, 2);
  canvas.LineTo(40, 2);
  EXPECT_EQ(context.At(20, 2), RGB(255, 255, 255));
  EXPECT_EQ(GetBkMode(context.dc), TRANSPARENT);
  canvas.SetHandle(nullptr);
}

TEST_F(Canvas, PixelsTakeColoursAsRgbAndPenModesAsRasterOperations) {
  MemoryContext context(4, 4);
  TCanvas canvas;
  canvas.SetHandle(context.dc);
  canvas.SetPixels(1, 1, clHighlight);
  EXPECT_EQ(static_cast<COLORREF>(canvas.Pixels(1, 1)), GetSysColor(COLOR_HIGHLIGHT));
  canvas.Pen()->SetMode(pmXor);
  canvas.LineTo(0, 0);
  EXPECT_EQ(GetROP2(context.dc), R2_XORPEN);
  canvas.Pen()->SetMode(pmNotMerge);
  canvas.LineTo(1, 0);
  EXPECT_EQ(GetROP2(context.dc), R2_NOTMERGEPEN);
  canvas.SetHandle(nullptr);
}

TEST_F(Canvas, CopyRectStretchesWithTheCopyMode) {
  MemoryContext from(2, 2), to(4, 4);
  TCanvas source, target;
  source.SetHandle(from.dc);
  target.SetHandle(to.dc);
  source.SetPixels(0, 0, clRed);
  target.CopyRect(RECT{0, 0, 4, 4}, &source, RECT{0, 0, 2, 2});
  EXPECT_EQ(to.At(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(to.At(2, 2), RGB(255, 255, 255));
  target.SetCopyMode(NOTSRCCOPY);
  target.CopyRect(RECT{0, 0, 4, 4}, &source, RECT{0, 0, 2, 2});
  EXPECT_EQ(to.At(1, 1), RGB(0, 255, 255));
  source.SetHandle(nullptr);
  target.SetHandle(nullptr);
}

TEST_F(Canvas, BrushCopyPutsTheBrushWhereTheTransparentColourWas) {
  // A 16 x 15 glyph: olive background, a black square in the middle.
  TBitmap glyph;
  glyph.SetWidth(16);
  glyph.SetHeight(15);
  glyph.Canvas()->Brush()->SetColor(clOlive);
  glyph.Canvas()->FillRect(RECT{0, 0, 16, 15});
  glyph.Canvas()->Brush()->SetColor(clBlack);
  glyph.Canvas()->FillRect(RECT{4, 4, 12, 11});
  ASSERT_EQ(glyph.TransparentColor() & 0xFFFFFF, clOlive);

  MemoryContext context(40, 20);
  TCanvas canvas;
  canvas.SetHandle(context.dc);
  canvas.Brush()->SetColor(clHighlight);
  EventLog log;
  log.Watch(canvas);
  canvas.BrushCopy(RECT{10, 2, 26, 17}, &glyph, RECT{0, 0, 16, 15}, glyph.TransparentColor());
  EXPECT_EQ(log.Take(), "changing;change;");
  EXPECT_EQ(context.At(10, 2), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(context.At(25, 16), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(context.At(15, 8), RGB(0, 0, 0));
  EXPECT_EQ(context.At(9, 2), RGB(255, 255, 255));  // outside stays
  // The canvas's colours are as they were.
  EXPECT_EQ(GetTextColor(context.dc), 0u);
  EXPECT_EQ(GetBkColor(context.dc), GetSysColor(COLOR_HIGHLIGHT));
  canvas.SetHandle(nullptr);
}

TEST_F(Canvas, EveryCanvasIsListedWhileItLives) {
  const auto before = LiveCanvases().size();
  {
    TCanvas canvas;
    ASSERT_EQ(LiveCanvases().size(), before + 1);
    EXPECT_EQ(LiveCanvases().back(), &canvas);
  }
  EXPECT_EQ(LiveCanvases().size(), before);
}

}  // namespace
}  // namespace graphics_test
