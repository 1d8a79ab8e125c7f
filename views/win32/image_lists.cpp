// Cutting the module's bitmap strips into masked image lists.
#include "views/win32/image_lists.h"

#include "platform/win32/module_instance.h"
#include "views/win32/window_base.h"

CScopedImageList LoadMaskedStrip(int bitmapId, int imageSize) {
  CScopedBitmap bitmap(static_cast<HBITMAP>(::LoadImageW(ModuleInstance(), ResourceName(bitmapId),
                                                         IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!bitmap) return CScopedImageList();
  BITMAP info{};
  ::GetObjectW(bitmap.Get(), sizeof(info), &info);
  const int count = imageSize > 0 ? info.bmWidth / imageSize : 0;
  if (count <= 0) return CScopedImageList();
  CScopedImageList list(
      ::ImageList_Create(imageSize, info.bmHeight, ILC_COLOR24 | ILC_MASK, count, 0));
  if (list) ::ImageList_AddMasked(list.Get(), bitmap.Get(), kBitmapMaskColor);
  return list;
}
