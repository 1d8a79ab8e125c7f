// The one include for OLE Automation: the SDK on Windows, the stand-ins elsewhere.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <oleauto.h>
#else
#include "platform/stand_in/dispatch.h"
#include "platform/stand_in/guid.h"
#include "platform/stand_in/hresult.h"
#include "platform/stand_in/types.h"
#include "platform/stand_in/oleauto.h"
#endif

// English (United States): every object-model call is made in this locale.
constexpr LCID kLocaleEnglishUS = 0x0409;
