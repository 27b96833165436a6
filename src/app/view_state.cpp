#include "app/view_state.h"

// Zero everywhere but the window size; display setup makes scene_rotation the identity.
ViewState view = {640, 480};
