#include "renderer/ccShaders.h"

namespace cocos2d {

const char* ccPositionTextureColor_vert = R"(
attribute vec4 a_position;
attribute vec2 a_texCoord;
attribute vec4 a_color;
varying vec4 v_fragmentColor;
varying vec2 v_texCoord;
void main()
{
    gl_Position = CC_MVPMatrix * a_position;
    v_fragmentColor = a_color;
    v_texCoord = a_texCoord;
}
)";

const char* ccPositionTextureColor_frag = R"(
varying vec4 v_fragmentColor;
varying vec2 v_texCoord;
void main()
{
    gl_FragColor = v_fragmentColor * texture2D(CC_Texture0, v_texCoord);
}
)";

const char* ccPositionTextureColor_noMVP_vert = R"(
attribute vec4 a_position;
attribute vec2 a_texCoord;
attribute vec4 a_color;
varying vec4 v_fragmentColor;
varying vec2 v_texCoord;
void main()
{
    gl_Position = CC_PMatrix * a_position;
    v_fragmentColor = a_color;
    v_texCoord = a_texCoord;
}
)";

const char* ccPositionTextureColorAlphaTest_frag = R"(
varying vec4 v_fragmentColor;
varying vec2 v_texCoord;
uniform float CC_alpha_value;
void main()
{
    vec4 texColor = texture2D(CC_Texture0, v_texCoord);
    if (texColor.a <= CC_alpha_value)
        discard;
    gl_FragColor = texColor * v_fragmentColor;
}
)";

const char* ccPositionColor_vert = R"(
attribute vec4 a_position;
attribute vec4 a_color;
varying vec4 v_fragmentColor;
void main()
{
    gl_Position = CC_MVPMatrix * a_position;
    v_fragmentColor = a_color;
}
)";

const char* ccPositionColor_noMVP_vert = R"(
attribute vec4 a_position;
attribute vec4 a_color;
varying vec4 v_fragmentColor;
void main()
{
    gl_Position = CC_PMatrix * a_position;
    v_fragmentColor = a_color;
}
)";

const char* ccPositionColor_frag = R"(
varying vec4 v_fragmentColor;
void main()
{
    gl_FragColor = v_fragmentColor;
}
)";

const char* ccPositionColorTextureAsPointsize_vert = R"(
attribute vec4 a_position;
attribute vec4 a_color;
attribute vec2 a_texCoord;
varying vec4 v_fragmentColor;
void main()
{
    gl_Position = CC_MVPMatrix * a_position;
    gl_PointSize = a_texCoord.x;
    v_fragmentColor = a_color;
}
)";

const char* ccPositionTexture_vert = R"(
attribute vec4 a_position;
attribute vec2 a_texCoord;
varying vec2 v_texCoord;
void main()
{
    gl_Position = CC_MVPMatrix * a_position;
    v_texCoord = a_texCoord;
}
)";

const char* ccPositionTexture_frag = R"(
varying vec2 v_texCoord;
void main()
{
    gl_FragColor = texture2D(CC_Texture0, v_texCoord);
}
)";

const char* ccPosition_uColor_vert = R"(
attribute vec4 a_position;
uniform vec4 u_color;
uniform float u_pointSize;
varying vec4 v_fragmentColor;
void main()
{
    gl_Position = CC_MVPMatrix * a_position;
    gl_PointSize = u_pointSize;
    v_fragmentColor = u_color;
}
)";

// Lines and shapes whose texture coordinate is the distance from the centre line; fragments
// beyond 1 are cut, which anti-aliases wide strokes drawn as triangles.
const char* ccPositionColorLengthTexture_vert = R"(
attribute vec4 a_position;
attribute vec2 a_texCoord;
attribute vec4 a_color;
varying vec4 v_color;
varying vec2 v_texcoord;
void main()
{
    v_color = vec4(a_color.rgb * a_color.a, a_color.a);
    v_texcoord = a_texCoord;
    gl_Position = CC_MVPMatrix * a_position;
}
)";

const char* ccPositionColorLengthTexture_frag = R"(
varying vec4 v_color;
varying vec2 v_texcoord;
void main()
{
    gl_FragColor = v_color * step(0.0, 1.0 - length(v_texcoord));
}
)";

// Glyph atlases hold coverage in alpha; the vertex colour gives the text colour.
const char* ccLabelNormal_frag = R"(
varying vec4 v_fragmentColor;
varying vec2 v_texCoord;
void main()
{
    gl_FragColor = v_fragmentColor * vec4(1.0, 1.0, 1.0, texture2D(CC_Texture0, v_texCoord).a);
}
)";

} // namespace cocos2d
