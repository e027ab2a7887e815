#include "main/qt/QtScaleTracker.h"

#include <QGuiApplication>
#include <QScreen>

#include <utility>

#include "clFly/FlyScale.h"

namespace quillop {

namespace {

double PrimaryRatio() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->devicePixelRatio() : 1.0;
}

}  // namespace

void ScaleTracker::Follow(std::function<double()> hintDpi, std::function<void(double)> changed) {
    hintDpi_ = std::move(hintDpi);
    changed_ = std::move(changed);
    // Qt tells of a screen added, a new primary screen (which may have a scale of its own) and
    // a change of a screen's dots per inch or size.
    const auto watch = [this](QScreen* screen) {
        QObject::connect(screen, &QScreen::logicalDotsPerInchChanged, &context_,
                         [this] { Update(); });
        QObject::connect(screen, &QScreen::geometryChanged, &context_, [this] { Update(); });
    };
    for (QScreen* screen : QGuiApplication::screens()) {
        watch(screen);
    }
    QObject::connect(qApp, &QGuiApplication::screenAdded, &context_, watch);
    QObject::connect(qApp, &QGuiApplication::primaryScreenChanged, &context_, [this] { Update(); });
    // NOTE: Qt 6.4 reads Xft.dpi once, at its start; a change of the resources while the
    // program runs (xrdb, a desktop's scale setting) scales the ratio Qt started with.
    startRatio_ = PrimaryRatio();
    startDpi_ = hintDpi_();
    Update();
}

void ScaleTracker::OnScaleHintChanged() {
    if (!hintDpi_) {
        return;
    }
    hintRatio_ = RatioAfterDpiChange(startRatio_, startDpi_, hintDpi_());
    Update();
}

void ScaleTracker::Update() {
    scale_ = FlyScaleFor(hintRatio_ > 0 ? hintRatio_ : PrimaryRatio());
    changed_(scale_);
}

}  // namespace quillop
