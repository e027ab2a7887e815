// The fly pictures compiled into the program.
#pragma once

#include "clFly/SpriteSource.h"

namespace quillop {

// The 48 pictures "1_1".."8_6" as compiled in from resources/*.png.
const SpriteSource& EmbeddedSprites();

}  // namespace quillop
