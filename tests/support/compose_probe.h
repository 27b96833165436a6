// Where quat_compose's shared renormalisation counter stands, seen through its
// behaviour: a quaternion of length 2 composed with the identity comes back
// normalised only on the renormalising call.
#pragma once

// One composition; true when it was the renormalising one.
bool compose_normalises();
