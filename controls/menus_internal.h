// What the files of the menus share and nobody else needs.
#pragma once
#include <functional>

#include "controls/menus.h"

namespace menus_detail {

// Visits the children of merged and of own in group order: a group of the merged menu
// replaces own's group of the same index, ties go to the merged menu. A visitor that
// returns true stops the walk (the result is then true).
bool WalkMerged(TMenuItem* merged, TMenuItem* own, const std::function<bool(TMenuItem*)>& visit);

}  // namespace menus_detail

namespace menus_detail {

// Tells whether an item is still alive after code that may have destroyed it (a click
// handler freeing its menu). Guards live on the stack; a dying item clears its guards.
class TItemGuard {
 public:
  explicit TItemGuard(TMenuItem* item);
  ~TItemGuard();
  TItemGuard(const TItemGuard&) = delete;
  TItemGuard& operator=(const TItemGuard&) = delete;
  bool Alive() const { return item_ != nullptr; }
  static void Forget(TMenuItem* item);

 private:
  TMenuItem* item_;
  TItemGuard* next_;
};

}  // namespace menus_detail
