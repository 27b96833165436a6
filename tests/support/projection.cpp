#include "projection.h"

#include <cmath>

WindowPoint project_to_window(const EyePoint& eye)
{
    constexpr double PI = 3.14159265358979323846;
    const double f = 1.0 / std::tan(30.0 * PI / 180.0);
    const double ndc_x = f / (4.0 / 3.0) * eye[0] / -eye[2];
    const double ndc_y = f * eye[1] / -eye[2];
    return {(ndc_x + 1.0) * (WINDOW_WIDTH / 2.0), WINDOW_HEIGHT - (ndc_y + 1.0) * (WINDOW_HEIGHT / 2.0)};
}
