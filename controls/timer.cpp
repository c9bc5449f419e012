// TTimer: the hidden window, the platform timer kept in step with Enabled, Interval and
// OnTimer, and the ticks.
#include "controls/timer.h"

#include "forms/bridges.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"

namespace {

// Every TTimer owns exactly one platform timer on its own window.
constexpr UINT_PTR kTimerId = 1;

}  // namespace

TD_IMPLEMENT_CLASS(TTimer)
void TTimer::Describe(Describer& d) {
  d.Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true);
  d.Property("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000u);
  d.Property("OnTimer", &TTimer::GetOnTimer, &TTimer::SetOnTimer);
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  window_ = AllocateUtilityWindow(&TTimer::WindowProcEntry, this);
}

TTimer::~TTimer() {
  for (TickGuard* tick = ticks_; tick != nullptr; tick = tick->next) tick->alive = false;
  enabled_ = false;
  UpdateTimer();
  DeallocateUtilityWindow(window_);
}

void TTimer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  UpdateTimer();
}

void TTimer::SetInterval(std::uint32_t value) {
  if (value == interval_) return;
  interval_ = value;
  UpdateTimer();
}

void TTimer::SetOnTimer(const TNotifyEvent& handler) {
  OnTimer.handler_ = handler;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  KillTimer(window_.Window, kTimerId);
  if (interval_ != 0 && enabled_ && OnTimer) {
    if (SetTimer(window_.Window, kTimerId, interval_, nullptr) == 0)
      throw EOutOfResources(LoadStr(61496));
  }
}

void TTimer::FireTimer() { OnTimer(this); }

void TTimer::WindowProcEntry(TObject* object, TMessage& message) {
  static_cast<TTimer*>(object)->WindowProc(message);
}

void TTimer::WindowProc(TMessage& message) {
  if (message.Msg != WM_TIMER) {
    message.Result = DefWindowProcA(window_.Window, message.Msg, message.WParam, message.LParam);
    return;
  }
  if (reporting_) return;
  TickGuard tick(this);
  try {
    FireTimer();
  } catch (...) {
    if (!tick.alive) {
      ApplicationBridge().HandleException(nullptr);
      return;
    }
    reporting_ = true;
    ApplicationBridge().HandleException(this);
    if (tick.alive) reporting_ = false;
  }
}
