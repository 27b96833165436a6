// Virtual trackball: a sphere near the centre of the window that passes into a
// hyperbolic sheet further out. Positions run from -1 to +1, y upwards.
#pragma once

constexpr float TRACKBALL_RADIUS = 0.8f;

// Writes into q the rotation that carries the surface point over (p1x, p1y) to
// the one over (p2x, p2y); equal positions give exactly the identity.
void trackball_rotation(float* q, float p1x, float p1y, float p2x, float p2y);
// Height of the surface of radius r (> 0) over the position (x, y).
double project_to_trackball(float r, float x, float y);
