#include "main/Population.h"

namespace quillop {

void AddFlies(Application& app, int n) {
    for (int i = 0; i < n; ++i) {
        if (TFlyForm* fly = app.CreateFly()) {
            fly->SetOnTop(true);
        }
    }
}

void CloseAllFlies(Application& app) {
    auto flies = app.FlyList();
    for (auto fly = flies.rbegin(); fly != flies.rend(); ++fly) {
        app.Destroy(**fly);
    }
}

void SetFliesOnTop(Application& app, bool onTop) {
    auto flies = app.FlyList();
    for (auto fly = flies.rbegin(); fly != flies.rend(); ++fly) {
        (*fly)->SetOnTop(onTop);
    }
}

}  // namespace quillop
