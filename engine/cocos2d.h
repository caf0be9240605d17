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
#include "base/Configuration.h"
#include "base/ccTypes.h"
#include "base/ccUtils.h"

// math
#include "math/CCMath.h"

// platform
#include "platform/Application.h"
#include "platform/CCGL.h"
#include "platform/Device.h"
#include "platform/FileUtils.h"
#include "platform/GLView.h"
#include "platform/GLViewImpl.h"
#include "platform/Image.h"
#include "platform/NullGLView.h"
#include "platform/UserDefault.h"

// renderer
#include "renderer/CustomCommand.h"
#include "renderer/GLProgram.h"
#include "renderer/GLProgramCache.h"
#include "renderer/GLProgramState.h"
#include "renderer/GroupCommand.h"
#include "renderer/Renderer.h"
#include "renderer/Texture2D.h"
#include "renderer/TextureCache.h"
#include "renderer/TrianglesCommand.h"
#include "renderer/ccGLStateCache.h"
