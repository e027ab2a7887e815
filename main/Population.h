// The commands that act on all flies: add, close all, make all top-most or not.
#pragma once

#include "main/Application.h"

namespace quillop {

// Creates n flies, each made top-most whatever the settings say. No messages are handled
// between them. A failure in creating a fly ends the command there.
void AddFlies(Application& app, int n);
// Destroys every fly, hidden ones too, from the newest to the oldest.
void CloseAllFlies(Application& app);
// Makes every fly top-most or not, from the newest to the oldest; hidden flies stay hidden.
void SetFliesOnTop(Application& app, bool onTop);

}  // namespace quillop
