#include "addin/command_bar_events.h"

#include "addin/addin_manager.h"

HRESULT STDMETHODCALLTYPE CEventHandlerMenuItem::Invoke(DISPID member, REFIID, LCID, WORD,
                                                        DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                                        UINT*) {
  if (member != kButtonClickEvent || manager_ == nullptr) return S_OK;
  // Nothing may escape into Excel; the commands report their own failures.
  try {
    manager_->ExecuteCommand(command_);
  } catch (...) {
  }
  return S_OK;
}
