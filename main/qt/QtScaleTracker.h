// The flies' scale: the primary screen's device pixels per logical pixel, snapped to the scales
// the pictures come in, followed as screens come and go and as the desktop's own scale hint
// (the X resources' Xft.dpi) changes while the program runs.
#pragma once

#include <QObject>

#include <functional>

#include "clFly/FlyDisplay.h"

namespace quillop {

class ScaleTracker final : public FlyDisplayEvents {
  public:
    // From now on: `hintDpi` reads the desktop's hint (0 for none); `changed` is told every
    // scale read, the first one included.
    void Follow(std::function<double()> hintDpi, std::function<void(double)> changed);
    // The desktop's hint changed.
    void OnScaleHintChanged() override;
    double Scale() const { return scale_; }

  private:
    // Reads the primary screen's scale again and hands it on.
    void Update();

    std::function<double()> hintDpi_;
    std::function<void(double)> changed_;
    // Ends the connections to Qt's screens with the tracker.
    QObject context_;
    // The hint's dots per inch and Qt's ratio at the start, and the ratio after a change of the
    // hint (0 before any).
    double startDpi_ = 0;
    double startRatio_ = 1.0;
    double hintRatio_ = 0;
    double scale_ = 1.0;
};

}  // namespace quillop
