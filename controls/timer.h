// TTimer: a non-visual component that raises OnTimer every Interval milliseconds through
// a platform window timer on a hidden utility window of its own.
#pragma once
#include <cstdint>

#include "classes/component.h"
#include "classes/events.h"
#include "forms/wndproc.h"

class TTimer : public TComponent {
  TD_CLASS(TTimer, TComponent)

 public:
  // OnTimer: assigning a handler (or nullptr) restarts the platform timer, so the event
  // is a small wrapper that tells its timer; it calls and tests like a TNotifyEvent.
  class TTimerEvent {
   public:
    explicit TTimerEvent(TTimer* timer) : timer_(timer) {}
    TTimerEvent(const TTimerEvent&) = delete;
    TTimerEvent& operator=(const TTimerEvent& other) { return *this = other.handler_; }
    TTimerEvent& operator=(const TNotifyEvent& handler) {
      timer_->SetOnTimer(handler);
      return *this;
    }
    explicit operator bool() const { return static_cast<bool>(handler_); }
    void operator()(TObject* sender) const { handler_(sender); }
    const TNotifyEvent& Handler() const { return handler_; }

   private:
    friend class TTimer;
    TTimer* timer_;
    TNotifyEvent handler_;
  };

  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  std::uint32_t Interval() const { return interval_; }
  void SetInterval(std::uint32_t value);
  TNotifyEvent GetOnTimer() const { return OnTimer.handler_; }
  // Stores the handler and restarts the timer, even when the handler is the same.
  void SetOnTimer(const TNotifyEvent& handler);
  // Raises OnTimer (sender = this timer).
  virtual void FireTimer();

  // The hidden window that receives the timer messages.
  HWND WindowHandle() const { return window_.Window; }

  TTimerEvent OnTimer{this};

 private:
  static void WindowProcEntry(TObject* object, TMessage& message);
  void WindowProc(TMessage& message);
  void UpdateTimer();

  // Tells a running tick whether its handler destroyed the timer.
  struct TickGuard {
    explicit TickGuard(TTimer* timer) : timer(timer), next(timer->ticks_) { timer->ticks_ = this; }
    ~TickGuard() {
      if (alive) timer->ticks_ = next;
    }
    TTimer* timer;
    TickGuard* next;
    bool alive = true;
  };

  bool enabled_ = true;
  std::uint32_t interval_ = 1000;
  TUtilityWindow window_;
  // Set while an exception of OnTimer is being shown: the display's modal loop keeps
  // dispatching WM_TIMER, and firing then would stack one display on another.
  bool reporting_ = false;
  TickGuard* ticks_ = nullptr;
};
