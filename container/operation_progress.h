// IOperationProgress: how a long operation on a workbook (a whole-workbook walk, a dependents
// search, a precedent walk, a path search, expanding or saving a branch) shows that it is
// working, and learns that the user wants it to stop. The add-in implements it with its
// progress window, the command line with a status line and Ctrl-C, tests with a record.
#pragma once

#include <string>

// An operation calls Begin, then SetMessage and StopRequested between its steps as often as it
// reports, then End. A stopped operation ends early and keeps what it found.
class IOperationProgress {
 public:
  // `title` names the operation ("Trelvane - analyzing workbook"), `message` is its first
  // counter text (often empty), `showStop` whether the user is offered a Stop.
  virtual void Begin(const std::wstring& title, const std::wstring& message, bool showStop) = 0;
  virtual void SetMessage(const std::wstring& message) = 0;
  virtual bool StopRequested() = 0;
  // Forgets a Stop given so far, so that a next phase of the same operation can be stopped on
  // its own.
  virtual void ClearStop() = 0;
  virtual void End() = 0;

 protected:
  ~IOperationProgress() = default;
};
