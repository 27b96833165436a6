#include "compose_probe.h"

#include "math/quat.h"

bool compose_normalises()
{
    const Quat doubled = {0.0f, 0.0f, 0.0f, 2.0f}, identity = {0.0f, 0.0f, 0.0f, 1.0f};
    Quat out;
    quat_compose(doubled, identity, out);
    return out[3] == 1.0f;
}
