#include "app/view_state.h"

// Display setup makes scene_rotation the identity before the first frame.
ViewState view;
