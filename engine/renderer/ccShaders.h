#pragma once
// GLSL sources of the built-in programs (GLSL 1.20, compatibility context).

namespace cocos2d {

extern const char* ccPositionTextureColor_vert;
extern const char* ccPositionTextureColor_frag;
extern const char* ccPositionTextureColor_noMVP_vert;
extern const char* ccPositionTextureColorAlphaTest_frag;
extern const char* ccPositionColor_vert;
extern const char* ccPositionColor_noMVP_vert;
extern const char* ccPositionColor_frag;
extern const char* ccPositionColorTextureAsPointsize_vert;
extern const char* ccPositionTexture_vert;
extern const char* ccPositionTexture_frag;
extern const char* ccPosition_uColor_vert;
extern const char* ccPositionColorLengthTexture_vert;
extern const char* ccPositionColorLengthTexture_frag;
extern const char* ccLabelNormal_frag;

} // namespace cocos2d
