// Something the application object owns and destroys: the main window or a fly.
#pragma once

#include <string>

namespace quillop {

class Component {
  public:
    virtual ~Component() = default;
    // The component's name; a fly's begins with "frmPngFly".
    virtual const std::string& Name() const = 0;
    // Whether the component is a visible window.
    virtual bool IsShowing() const = 0;
    // Lets the window take pointer and keyboard input, or not (while a message box is open).
    virtual void SetInputEnabled(bool enabled) = 0;
};

}  // namespace quillop
