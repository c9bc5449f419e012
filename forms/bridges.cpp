// The registered sides of the seams to the menus and the application.
#include "forms/bridges.h"

#include <cstdio>
#include <exception>

#include "forms/control.h"
#include "forms/drag.h"
#include "forms/internal.h"
#include "runtime/exceptions.h"

namespace {

TMenuBridge* menuBridge = nullptr;
TApplicationBridge defaultApplicationBridge;
TApplicationBridge* applicationBridge = &defaultApplicationBridge;

}  // namespace

TMenuBridge* MenuBridge() { return menuBridge; }
void SetMenuBridge(TMenuBridge* bridge) { menuBridge = bridge; }

TApplicationBridge& ApplicationBridge() { return *applicationBridge; }
void SetApplicationBridge(TApplicationBridge* bridge) {
  applicationBridge = bridge != nullptr ? bridge : &defaultApplicationBridge;
}

void TApplicationBridge::HandleException(TObject*) {
  try {
    throw;
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s: %s\n", e.ClassName(), e.Message().c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "exception: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "unknown exception\n");
  }
}

void ForgetControl(TControl* control) {
  forms_detail::ForgetCaptureControl(control);
  forms_detail::ForgetDragControl(control);
  forms_detail::ForgetScreenControl(control);
}
