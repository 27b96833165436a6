// Three-vectors of floats. Arithmetic runs in double and is rounded to float
// only where a component is stored; lengths and dot products stay double.
#pragma once

using Vec3 = float[3];

void vec3_zero(float* v);
void vec3_set(float* v, float x, float y, float z);
// out = a - b; out may be a or b.
void vec3_sub(const float* a, const float* b, float* out);
// Source first, destination second.
void vec3_copy(const float* src, float* dst);
// out = a x b (right-handed); out may be a or b.
void vec3_cross(const float* a, const float* b, float* out);
double vec3_length(const float* v);
void vec3_scale(float* v, float s);
// Scales v to unit length in place. A zero vector is left as it is.
void vec3_normalize(float* v);
double vec3_dot(const float* a, const float* b);
// out = a + b; out may be a or b.
void vec3_add(const float* a, const float* b, float* out);
