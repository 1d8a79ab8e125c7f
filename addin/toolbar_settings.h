// The legacy toolbar's placement between sessions: whether it shows and where the user docked
// or floated it, kept with the trace windows' settings.
#pragma once

#include "addin/settings_store.h"
#include "platform/automation.h"

struct ToolbarPlacement {
  bool visible = true;
  LONG rowIndex = -1;  // -1: nothing stored, Excel places the toolbar
  LONG position = 0;
  LONG left = 0;
  LONG top = 0;

  bool HasStoredPlace() const { return rowIndex != -1; }
  friend bool operator==(const ToolbarPlacement&, const ToolbarPlacement&) = default;
};

// A missing or unreadable value keeps its default; "Toolbar" hides the toolbar only when it
// holds a number other than 1.
ToolbarPlacement LoadToolbarPlacement(ISettingsStore& store);
void SaveToolbarPlacement(ISettingsStore& store, const ToolbarPlacement& placement);
