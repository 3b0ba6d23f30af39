// The CoreFoundation subset of the layer, in one include.
#pragma once

#include "CFArray.h"
#include "CFBase.h"
#include "CFBundle.h"
#include "CFData.h"
#include "CFDate.h"
#include "CFDictionary.h"
#include "CFError.h"
#include "CFNumber.h"
#include "CFPropertyList.h"
#include "CFString.h"
#include "CFURL.h"
