// The review sheet: every sprite over a light and a dark background, at 1x and enlarged.
#pragma once

#include <vector>

#include "Raster.h"

namespace spritegen {

// Lays out the 48 sprites (direction by direction, frames in order) on one picture.
Raster ReviewSheet(const std::vector<Raster>& sprites);

}  // namespace spritegen
