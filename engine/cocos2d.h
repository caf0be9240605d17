#pragma once
// Everything public of the engine layer.

// base
#include "base/AutoreleasePool.h"
#include "base/Clonable.h"
#include "base/Data.h"
#include "base/Director.h"
#include "base/PoolManager.h"
#include "base/Ref.h"
#include "base/Scheduler.h"
#include "base/Value.h"
#include "base/Vector.h"
#include "base/__Array.h"
#include "base/__String.h"
#include "base/base64.h"
#include "base/ccLog.h"
#include "base/ccMacros.h"

// math
#include "math/CCMath.h"

// platform
#include "platform/Application.h"
#include "platform/FileUtils.h"
#include "platform/UserDefault.h"
