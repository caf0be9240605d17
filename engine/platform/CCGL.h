#pragma once
// OpenGL through GLEW (a compatibility context: wide lines, stipple, luminance formats).

#include <GL/glew.h>
