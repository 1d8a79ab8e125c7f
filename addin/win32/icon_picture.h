// The pictures the ribbon asks for by image id: an icon of the module's resources wrapped in an
// OLE picture object that owns it.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string_view>

#include "platform/com_ptr.h"

// The picture of an own image id (IPictureDisp, as IDispatch), at the large icon size for the
// images the ribbon shows large and the small size for the rest; null for an unknown id or an
// icon that cannot be loaded.
CComPtr<IDispatch> LoadImagePicture(std::wstring_view imageId);
