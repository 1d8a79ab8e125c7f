// IContainerObserver: what the container tells those that show its data (the trace and evaluate
// views register as observers).
#pragma once

class IContainerObserver {
 public:
  // The container was refreshed: what the observer shows may be out of date.
  virtual void OnContainerRefreshed() = 0;
  // The container is being destroyed (its workbook closed); called before it lets go of Excel.
  virtual void OnContainerClosing() = 0;

 protected:
  ~IContainerObserver() = default;
};
