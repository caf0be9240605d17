#pragma once
// Macros that engine-based code uses for namespaces, ownership helpers and logging.

#include <cassert>
#include <functional>

#include "base/ccLog.h"

#define NS_CC_BEGIN namespace cocos2d {
#define NS_CC_END }
#define USING_NS_CC using namespace cocos2d
#define CC_DLL

#define CC_SAFE_DELETE(p) do { delete (p); (p) = nullptr; } while (0)
#define CC_SAFE_DELETE_ARRAY(p) do { delete[] (p); (p) = nullptr; } while (0)
#define CC_SAFE_FREE(p) do { if (p) { free(p); (p) = nullptr; } } while (0)
#define CC_SAFE_RELEASE(p) do { if (p) { (p)->release(); } } while (0)
#define CC_SAFE_RELEASE_NULL(p) do { if (p) { (p)->release(); (p) = nullptr; } } while (0)
#define CC_SAFE_RETAIN(p) do { if (p) { (p)->retain(); } } while (0)
#define CC_BREAK_IF(cond) if (cond) break

#define CCASSERT(cond, msg) assert((cond) && (msg))
#define CC_ASSERT(cond) assert(cond)
#define CC_UNUSED_PARAM(unusedparam) (void)(unusedparam)

#define CCLOG(...) cocos2d::log(__VA_ARGS__)
#define CCLOGERROR(...) cocos2d::log(__VA_ARGS__)
#define CCLOGWARN(...) cocos2d::log(__VA_ARGS__)
#define CCLOGINFO(...) do { } while (0)

/// Two-phase construction: new, init, autorelease; null when init fails.
#define CREATE_FUNC(__TYPE__)                     \
    static __TYPE__* create()                     \
    {                                             \
        __TYPE__* pRet = new (std::nothrow) __TYPE__(); \
        if (pRet && pRet->init()) {               \
            pRet->autorelease();                  \
            return pRet;                          \
        }                                         \
        delete pRet;                              \
        return nullptr;                           \
    }

#define CC_CALLBACK_0(__selector__, __target__, ...) std::bind(&__selector__, __target__, ##__VA_ARGS__)
#define CC_CALLBACK_1(__selector__, __target__, ...) \
    std::bind(&__selector__, __target__, std::placeholders::_1, ##__VA_ARGS__)
#define CC_CALLBACK_2(__selector__, __target__, ...) \
    std::bind(&__selector__, __target__, std::placeholders::_1, std::placeholders::_2, ##__VA_ARGS__)
#define CC_CALLBACK_3(__selector__, __target__, ...)                                        \
    std::bind(&__selector__, __target__, std::placeholders::_1, std::placeholders::_2, \
              std::placeholders::_3, ##__VA_ARGS__)

#define CC_SYNTHESIZE(varType, varName, funName)                     \
protected:                                                           \
    varType varName;                                                 \
                                                                     \
public:                                                              \
    virtual varType get##funName(void) const { return varName; }     \
    virtual void set##funName(varType var) { varName = var; }

#define CC_PROPERTY(varType, varName, funName)  \
protected:                                      \
    varType varName;                            \
                                                \
public:                                         \
    virtual varType get##funName(void) const;   \
    virtual void set##funName(varType var);

#define CC_DISALLOW_COPY_AND_ASSIGN(TypeName) \
    TypeName(const TypeName&) = delete;       \
    TypeName& operator=(const TypeName&) = delete

#define CC_DEGREES_TO_RADIANS(__ANGLE__) ((__ANGLE__) * 0.01745329252f)
#define CC_RADIANS_TO_DEGREES(__ANGLE__) ((__ANGLE__) * 57.29577951f)
#define CC_REPEAT_FOREVER (UINT_MAX - 1)
#define kRepeatForever (UINT_MAX - 1)
