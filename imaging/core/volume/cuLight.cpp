#include "imaging/core/volume/cuLight.h"

#include <algorithm>
#include <cmath>

namespace isImageSDK {

namespace {

void normalise(float v[3])
{
    const float len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (len > 0.0f)
        for (int i = 0; i < 3; ++i) v[i] /= len;
}

float dot(const float a[3], const float b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

} // namespace

cuLight::cuLight() = default;

void cuLight::setMaterial(const float rgb[3])
{
    for (int i = 0; i < 3; ++i) {
        material[i] = rgb[i];
        ambientProduct[i] = ambientReflectivity[i] * rgb[i];
        specularProduct[i] = specularReflectivity[i] * rgb[i];
        diffuseProduct[i] = diffuseReflectivity[i] * rgb[i];
    }
}

void cuLight::shade(const float p[3], const float n[3], float out[3]) const
{
    float L[3] = {position[0] - p[0], position[1] - p[1], position[2] - p[2]};
    float V[3] = {eye[0] - p[0], eye[1] - p[1], eye[2] - p[2]};
    normalise(L);
    normalise(V);
    const float d = dot(n, L);
    float R[3] = {2 * d * n[0] - L[0], 2 * d * n[1] - L[1], 2 * d * n[2] - L[2]};
    normalise(R);
    const float specularTerm = std::pow(std::max(0.0f, dot(R, V)), shininess);
    const float diff = std::max(0.0f, d);
    for (int i = 0; i < 3; ++i) {
        const float c = ambientProduct[i] * (globalAmbient[i] + ambient[i]) +
                        diffuseProduct[i] * diffuse[i] * diff + specularProduct[i] * specular[i] * specularTerm;
        out[i] = std::min(1.0f, c);
    }
}

} // namespace isImageSDK
