#include "backend/backend.h"
#include "user_test_util.h"

using namespace usertest;
namespace pt = platform::testing;

namespace {

constexpr COLORREF kTeal = RGB(0, 128, 128);

// The headless backend, with a host window that can be minimised.
class MinimizableHost : public platform::backend::Backend {
 public:
  MinimizableHost() : inner_(platform::backend::CreateHeadless()) {}
  const char* Name() const override { return "host"; }
  bool ShowsScreen() const override { return false; }
  void Wait(int timeoutMs) override { inner_->Wait(timeoutMs); }
  void Poll() override {}
  void Wake() override { inner_->Wake(); }
  void Present(const platform::Surface&, const std::vector<RECT>&, HCURSOR) override {}
  bool MinimizeHost() override {
    ++minimized;
    return true;
  }
  int minimized = 0;

 private:
  std::unique_ptr<Backend> inner_;
};

}  // namespace

TEST_F(UserTest, MinimisedWindowsSitAlongTheBottomAndOpenOnADoubleClick) {
  HWND first = TopLevel(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND second = TopLevel(150, 150, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ShowWindow(first, SW_MINIMIZE);
  ShowWindow(second, SW_MINIMIZE);
  pt::PumpUntilIdle();
  RECT a, b;
  GetWindowRect(first, &a);
  GetWindowRect(second, &b);
  int bottom = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(a.left, 0);
  EXPECT_EQ(a.bottom, bottom);
  EXPECT_EQ(a.right - a.left, GetSystemMetrics(SM_CXMINIMIZED));
  EXPECT_EQ(b.left, GetSystemMetrics(SM_CXMINSPACING));
  EXPECT_EQ(b.bottom, bottom);
  EXPECT_TRUE(IsIconic(first));
  EXPECT_TRUE(IsWindowVisible(first));
  // Shown as a caption bar on the desktop.
  EXPECT_EQ(pt::ScreenPixel(a.left + 40, a.top + 10), GetSysColor(COLOR_INACTIVECAPTION));
  EXPECT_EQ(pt::ScreenPixel(120, 150), kTeal);

  pt::DoubleClick(a.left + 40, a.top + 10);
  pt::PumpUntilIdle();
  EXPECT_FALSE(IsIconic(first));
  GetWindowRect(first, &a);
  EXPECT_EQ(a.left, 100);
  EXPECT_EQ(a.bottom, 300);
  EXPECT_EQ(GetActiveWindow(), first);
  // The next window minimised takes the place that came free.
  ShowWindow(first, SW_MINIMIZE);
  GetWindowRect(first, &a);
  EXPECT_EQ(a.left, 0);
}

TEST_F(UserTest, AMinimisedProgramTakesItsHostWindowDownAndComesBackWithIt) {
  auto host = std::make_unique<MinimizableHost>();
  MinimizableHost* fake = host.get();
  platform::backend::Use(std::move(host));
  // As the framework has it: a hidden-looking application window owning the main window.
  HWND application = CreateWindowExA(0, "Recorder", "app", WS_POPUP | WS_CAPTION | WS_VISIBLE, 400,
                                     300, 0, 0, nullptr, nullptr, nullptr, nullptr);
  HWND main = CreateWindowExA(0, "Recorder", "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300,
                              200, application, nullptr, nullptr, nullptr);
  pt::PumpUntilIdle();
  Log().clear();
  ShowWindow(application, SW_MINIMIZE);
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_EQ(Count(WM_SHOWWINDOW, main), 1);
  EXPECT_EQ(Log().front().lParam, SW_PARENTCLOSING);
  EXPECT_EQ(fake->minimized, 1);

  platform::backend::Sink().HostRestored();
  pt::PumpUntilIdle();
  EXPECT_FALSE(IsIconic(application));
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_TRUE(InOrder(MessagesOf(application), {static_cast<UINT>(WM_SYSCOMMAND)}));

  // A window minimised while another still shows leaves the host alone.
  HWND other = TopLevel(500, 50, 100, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ShowWindow(other, SW_MINIMIZE);
  EXPECT_EQ(fake->minimized, 1);
}
