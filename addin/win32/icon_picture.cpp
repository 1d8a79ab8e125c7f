#include "addin/win32/icon_picture.h"

#include <olectl.h>

#include "addin/ribbon_ui.h"
#include "platform/win32/module_instance.h"
#include "platform/win32/scoped_handles.h"

CComPtr<IDispatch> LoadImagePicture(std::wstring_view imageId) {
  const int32_t resource = ImageFromControlId(imageId);
  if (resource == 0) return {};
  const bool large = IsLargeImage(imageId);
  const int size = GetSystemMetrics(large ? SM_CXICON : SM_CXSMICON);
  // An icon of our own, not shared: the picture object destroys it.
  CScopedIcon icon(static_cast<HICON>(LoadImageW(
      ModuleInstance(), MAKEINTRESOURCEW(resource), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
  if (!icon) return {};
  PICTDESC description{};
  description.cbSizeofstruct = sizeof description;
  description.picType = PICTYPE_ICON;
  description.icon.hicon = icon.Get();
  CComPtr<IDispatch> picture;
  if (FAILED(OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE,
                                      reinterpret_cast<void**>(picture.Receive())))) {
    return {};
  }
  static_cast<void>(icon.Release());  // the picture owns it now
  return picture;
}
