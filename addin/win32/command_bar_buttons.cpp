#include "addin/win32/command_bar_buttons.h"

#include "addin/command_bar_events.h"
#include "addin/win32/button_face.h"
#include "addin/win32/event_connection.h"

namespace {

// Invariant: the connection is declared after the sink, so it is unadvised before the sink goes.
class CButtonClickConnection final : public IClickConnection {
 public:
  CButtonClickConnection(int32_t command, CAddInManager* manager) : sink_(command, manager) {}
  bool Advise(IDispatch* control) {
    return connection_.Advise(control, DIID_CommandBarButtonEvents, &sink_);
  }

 private:
  CEventHandlerMenuItem sink_;
  EventConnection connection_;
};

}  // namespace

void CWin32CommandBarButtons::SetButtonFace(const ExcelObject& control, int32_t bitmapId) {
  ::SetButtonFace(control, bitmapId, clipboardOwner_);
}

std::unique_ptr<IClickConnection> CWin32CommandBarButtons::ConnectClicks(
    const ExcelObject& control, int32_t command) {
  auto connection = std::make_unique<CButtonClickConnection>(command, &manager_);
  if (!connection->Advise(control.Get())) return nullptr;
  return connection;
}
