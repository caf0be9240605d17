#pragma once
// The single light of the shaded ray-casting mode (Phong model in voxel coordinates).

namespace isImageSDK {

class cuLight {
public:
    cuLight();
    virtual ~cuLight() = default;

    /// Sets the material colour and recomputes the ambient, specular and diffuse products.
    void setMaterial(const float rgb[3]);
    /// Phong colour at `position` with unit `normal`; each channel at most 1.0.
    void shade(const float position[3], const float normal[3], float out[3]) const;

    float globalAmbient[3] = {0.2f, 0.2f, 0.2f};
    float ambient[3] = {1.0f, 1.0f, 1.0f};
    float specular[3] = {1.0f, 1.0f, 1.0f};
    float diffuse[3] = {1.0f, 1.0f, 1.0f};
    float position[3] = {0.0f, 0.0f, 0.0f};
    float ambientProduct[3] = {0.15f, 0.15f, 0.15f};
    float specularProduct[3] = {0.3f, 0.3f, 0.3f};
    float diffuseProduct[3] = {0.9f, 0.9f, 0.9f};
    float shininess = 15.0f;
    float ambientReflectivity[3] = {0.15f, 0.15f, 0.15f};
    float specularReflectivity[3] = {0.3f, 0.3f, 0.3f};
    float diffuseReflectivity[3] = {0.9f, 0.9f, 0.9f};
    float material[3] = {1.0f, 1.0f, 1.0f};
    float eye[3] = {0.0f, 0.0f, 0.0f};
};

} // namespace isImageSDK
