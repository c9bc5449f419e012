#include "forms_fixture.h"

TEST_F(FormsTest, SmokeFormShowsAndChildGetsWindow) {
  auto* child = new TTestWinControl(form);
  child->SetBoundsRect(RECT{10, 10, 110, 40});
  child->SetParent(form);
  EXPECT_TRUE(child->HasWindow());
  EXPECT_TRUE(IsWindowVisible(child->Handle()));
  EXPECT_EQ(FindControl(child->Handle()), child);
}
