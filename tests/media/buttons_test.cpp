// The player's bar of buttons: layout, glyphs, the buttons the device state enables, clicks
// by mouse and keyboard, and the pressed and dragged-out states.
#include "tests/media/media_fixture.h"

namespace {

using MediaPlayerButtons = MediaPlayerTest;

COLORREF Rgb(TColor color) { return static_cast<COLORREF>(ColorToRGB(color)); }

TEST_F(MediaPlayerButtons, TheBarFitsItsVisibleButtonsWhichShareTheirBorders) {
  TMediaPlayer fresh(nullptr);
  EXPECT_EQ(fresh.Width(), 240);  // the default size until the first resize
  EXPECT_EQ(fresh.Height(), 30);
  fresh.Handle();  // the window's creation is one
  EXPECT_EQ(fresh.Width(), 235);

  EXPECT_EQ(player->Width(), 235);  // 240 asked: nine buttons of 27 sharing borders
  EXPECT_EQ(player->Height(), 30);
  EXPECT_EQ(player->ButtonWidth(), 27);
  EXPECT_EQ(player->ButtonRect(btPause).left, 26);
  player->SetVisibleButtons({btPlay, btPause, btStop});
  EXPECT_EQ(player->Width(), 79);
  EXPECT_EQ(player->ButtonRect(btStop).left, 52);
  EXPECT_EQ(player->ButtonRect(btNext).right, 0);  // hidden
  player->SetWidth(10);                            // never narrower than the glyphs (17 wide) need
  EXPECT_EQ(player->Width(), 3 * 24 + 1);
  player->SetHeight(5);
  EXPECT_EQ(player->Height(), 17);
  player->SetVisibleButtons({});
  EXPECT_EQ(player->Width(), 25);
}

TEST_F(MediaPlayerButtons, GlyphsShowTheStateOnTheButtonFace) {
  HWND window = player->Handle();
  pt::PumpUntilIdle();
  const int x = 5 + 7, y = 8 + 5;  // inside the play triangle of the first button
  EXPECT_EQ(pt::WindowPixel(window, 0, 0), Rgb(clWindowFrame));
  EXPECT_EQ(pt::WindowPixel(window, 5, 8), Rgb(clBtnFace));  // the glyph's olive is gone
  EXPECT_EQ(pt::WindowPixel(window, 1, 1), Rgb(clBtnHighlight));
  EXPECT_EQ(pt::WindowPixel(window, x, y), RGB(128, 128, 128));  // no device: disabled
  OpenSong();
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::WindowPixel(window, x, y), RGB(0, 128, 0));  // coloured
  player->SetColoredButtons({});
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::WindowPixel(window, x, y), RGB(0, 0, 0));
  player->SetEnabled(false);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::WindowPixel(window, x, y), RGB(128, 128, 128));
}

TEST_F(MediaPlayerButtons, DeviceStateEnablesTheButtons) {
  EXPECT_TRUE(player->AutoEnabledButtons().Empty());
  OpenSong();
  EXPECT_EQ(player->AutoEnabledButtons(), (TButtonSet{btPlay, btNext, btPrev}));
  ClickButton(btPlay);
  EXPECT_EQ(player->Mode(), mdPlaying);
  EXPECT_EQ(player->AutoEnabledButtons(), (TButtonSet{btPause, btStop, btNext, btPrev}));
  ClickButton(btPause);
  EXPECT_EQ(player->Mode(), mdPaused);
  EXPECT_EQ(player->AutoEnabledButtons(), (TButtonSet{btPlay, btPause, btStop, btNext, btPrev}));
  ClickButton(btPause);
  EXPECT_EQ(player->Mode(), mdPlaying);
  ClickButton(btStop);
  EXPECT_EQ(player->Mode(), mdStopped);
  EXPECT_EQ(player->AutoEnabledButtons(), (TButtonSet{btPlay, btNext, btPrev}));
  ClickButton(btPlay);
  pt::AdvanceTime(1200);  // the end's notification
  EXPECT_EQ(player->AutoEnabledButtons(), (TButtonSet{btPlay, btNext, btPrev}));
  EXPECT_EQ(log.postClicks, (std::vector<TMPBtnType>{btPlay, btPause, btPause, btStop, btPlay}));

  player->SetAutoEnable(false);  // EnabledButtons decide
  EXPECT_TRUE(player->ButtonEnabled(btEject));
  player->SetEnabledButtons({btPlay});
  EXPECT_FALSE(player->ButtonEnabled(btStop));
}

TEST_F(MediaPlayerButtons, AClickHandlerCanKeepTheOperationFromRunning) {
  OpenSong();
  log.allowDefault = false;
  ClickButton(btPlay);
  EXPECT_EQ(log.clicks, std::vector<TMPBtnType>{btPlay});
  EXPECT_TRUE(log.postClicks.empty());
  EXPECT_EQ(player->Mode(), mdStopped);
  log.allowDefault = true;
  ClickButton(btNext);
  EXPECT_EQ(log.postClicks, std::vector<TMPBtnType>{btNext});
}

TEST_F(MediaPlayerButtons, AnOperationsExceptionGoesToTheApplicationWithoutPostClick) {
  player->SetAutoEnable(false);
  ClickButton(btPause);
  EXPECT_EQ(exceptions.messages, std::vector<std::string>{"No MCI device open"});
  EXPECT_EQ(log.clicks, std::vector<TMPBtnType>{btPause});
  EXPECT_TRUE(log.postClicks.empty());
}

TEST_F(MediaPlayerButtons, APressedButtonClicksOnlyWhenReleasedOverIt) {
  OpenSong();
  HWND window = player->Handle();
  POINT play = ButtonPoint(btPlay);
  pt::MouseDown(play.x, play.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(GetCapture(), window);
  EXPECT_EQ(pt::WindowPixel(window, 1, 1), Rgb(clBtnShadow));  // drawn pressed
  pt::MouseMove(play.x + 100, play.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::WindowPixel(window, 1, 1), Rgb(clBtnHighlight));  // dragged out: released
  pt::MouseUp(play.x + 100, play.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(log.clicks.empty());
  EXPECT_EQ(player->Mode(), mdStopped);

  POINT pause = ButtonPoint(btPause);  // disabled until something plays
  pt::MouseDown(pause.x, pause.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(GetCapture(), nullptr);
  pt::MouseUp(pause.x, pause.y);
  pt::PumpUntilIdle();
  EXPECT_TRUE(log.clicks.empty());
}

TEST_F(MediaPlayerButtons, ArrowsMoveTheFocusAmongVisibleButtonsAndSpaceClicks) {
  player->SetFocus();
  PumpLikeApplication();
  ASSERT_TRUE(player->Focused());
  EXPECT_EQ(player->FocusedButton(), btPlay);
  pt::PressKey(VK_LEFT);
  pt::PressKey(VK_RIGHT);
  pt::PressKey(VK_RIGHT);
  PumpLikeApplication();
  EXPECT_TRUE(player->Focused());  // the arrows stay with the bar
  EXPECT_EQ(player->FocusedButton(), btStop);
  for (int i = 0; i < 8; ++i) pt::PressKey(VK_RIGHT);
  PumpLikeApplication();
  EXPECT_EQ(player->FocusedButton(), btEject);

  // With no visible button beyond, the arrows go to the end button all the same, hidden or
  // not; space there runs nothing.
  player->SetVisibleButtons(player->VisibleButtons() - TButtonSet{btEject, btPrev, btPlay});
  EXPECT_EQ(player->FocusedButton(), btEject) << "hiding a button does not move the focus";
  pt::PressKey(VK_LEFT);
  PumpLikeApplication();
  EXPECT_EQ(player->FocusedButton(), btRecord);
  pt::PressKey(VK_RIGHT);
  PumpLikeApplication();
  EXPECT_EQ(player->FocusedButton(), btEject);
  pt::PressKey(VK_SPACE);
  PumpLikeApplication();
  EXPECT_TRUE(log.clicks.empty()) << "space on a hidden button";
  for (int i = 0; i < 5; ++i) pt::PressKey(VK_LEFT);
  PumpLikeApplication();
  // By btRecord, btBack, btStep and btNext: btPrev is hidden.
  EXPECT_EQ(player->FocusedButton(), btStop);
  for (int i = 0; i < 3; ++i) pt::PressKey(VK_LEFT);
  PumpLikeApplication();
  EXPECT_EQ(player->FocusedButton(), btPlay) << "past btPause: the hidden btPlay";
  player->SetVisibleButtons(kAllMPButtons);
  pt::PressKey(VK_RIGHT);
  pt::PressKey(VK_RIGHT);
  PumpLikeApplication();
  EXPECT_EQ(player->FocusedButton(), btStop);

  // Space clicks by EnabledButtons, whatever the device state shows.
  OpenSong();
  player->Play();
  pt::PressKey(VK_SPACE);
  PumpLikeApplication();
  EXPECT_EQ(log.postClicks, std::vector<TMPBtnType>{btStop});
  EXPECT_EQ(player->Mode(), mdStopped);
  EXPECT_EQ(player->AutoEnabledButtons(), (TButtonSet{btPlay, btNext, btPrev}));
  player->SetEnabledButtons(kAllMPButtons - TButtonSet{btStop});
  pt::PressKey(VK_SPACE);
  PumpLikeApplication();
  EXPECT_EQ(log.clicks.size(), 1u);
}

TEST_F(MediaPlayerButtons, AClickMovesTheKeyboardFocusToTheBar) {
  OpenSong();
  ClickButton(btNext);
  EXPECT_TRUE(player->Focused());
  EXPECT_EQ(player->FocusedButton(), btNext);
}

}  // namespace
