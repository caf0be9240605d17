// Window/level of full-depth samples. Unit 0 holds the value: a 16-bit number whose low byte
// is the luminance channel and whose high byte is the alpha channel, or the image's own RGB
// when u_pt is 2 (shown as it is). The value texture is sampled at texel centres and filtered
// here, on whole values: filtering the two bytes apart would mix a low byte that wrapped past a
// multiple of 256 with a high byte that did not. u_vw and u_vh are its size in texels. The
// window maps the value to a grey index 0..255 through the curve in u_opacity (0 linear,
// 1 logarithmic, 2 inverse logarithmic); unit 1 holds the 256 colours that index selects.
varying vec4 v_fragmentColor;
varying vec2 v_texCoord;
uniform int u_opacity;
uniform float u_wwMin;
uniform float u_wwLinear;
uniform float u_wwMax;
uniform float u_wwLogRatio;
uniform int u_pt;
uniform int u_fs;
uniform float u_vw;
uniform float u_vh;

const float LOG10_OF_2 = 0.30102999566;

float valueAt(vec2 coord)
{
    vec4 texel = texture2D(CC_Texture0, coord);
    return floor(texel.a * 255.0 + 0.5) * 256.0 + floor(texel.r * 255.0 + 0.5);
}

// Bilinear interpolation of the four nearest values, clamped at the edges as the texture is.
float filteredValue()
{
    vec2 size = vec2(u_vw, u_vh);
    vec2 p = v_texCoord * size - 0.5;
    vec2 f = fract(p);
    vec2 c0 = (floor(p) + 0.5) / size;
    vec2 c1 = c0 + 1.0 / size;
    float bottom = mix(valueAt(c0), valueAt(vec2(c1.x, c0.y)), f.x);
    float top = mix(valueAt(vec2(c0.x, c1.y)), valueAt(c1), f.x);
    return mix(bottom, top, f.y);
}

void main()
{
    if (u_pt == 2) {
        gl_FragColor = vec4(texture2D(CC_Texture0, v_texCoord).rgb, 1.0) * v_fragmentColor;
        return;
    }
    float value = filteredValue();
    float index;
    if (u_opacity == 1 || u_opacity == 2) {
        if (value >= u_wwMax) {
            index = 255.0;
        } else if (value <= u_wwMin) {
            index = 0.0;
        } else if (u_opacity == 1) {
            index = log2(1.0 + (value - u_wwMin) * u_wwLogRatio) * LOG10_OF_2 * 255.0;
        } else {
            index = (1.0 - log2(1.0 + (u_wwMax - value) * u_wwLogRatio) * LOG10_OF_2) * 255.0;
        }
    } else {
        index = (value - u_wwMin) * u_wwLinear;
    }
    // The small bias keeps values that are whole numbers in exact arithmetic from dropping
    // one step through rounding.
    index = clamp(floor(index + 0.001), 0.0, 255.0);
    vec3 colour = texture2D(CC_Texture1, vec2((index + 0.5) / 256.0, 0.5)).rgb;
    gl_FragColor = vec4(colour, 1.0) * v_fragmentColor;
}
