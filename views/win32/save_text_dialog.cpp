// The common save dialog for text files, kept apart: commdlg.h renames FindText.
#include "views/win32/save_text_dialog.h"

#include <commdlg.h>

#include <array>

std::wstring AskTextFileName(HWND owner) {
  std::array<wchar_t, MAX_PATH> file{};
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = L"Text Documents (*.txt)\0*.txt\0\0";
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrDefExt = L"txt";
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (::GetSaveFileNameW(&dialog) == FALSE) return {};
  return file.data();
}
