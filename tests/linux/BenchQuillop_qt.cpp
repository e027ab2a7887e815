// The benchmark's program: the real platform and core, run for a set time and then closed as
// "Exit" closes it. What the flies cost is measured from outside, by tools/bench-linux.sh.
//
// Environment: QUILLOP_BENCH_RUN (seconds before it closes, default 25), QUILLOP_BENCH_FLIES
// (flies wanted; past the 1..99 of the settings they are added as "Add fly" adds them),
// QUILLOP_BENCH_SPREAD (set: the flies start scattered over the work area).
#include <QTimer>

#include <memory>

#include "main/MainForm.h"
#include "main/Population.h"
#include "main/qt/QtPlatform.h"
#include "resources/EmbeddedSprites.h"

int main(int, char** argv) {
    const double run = qEnvironmentVariableIsSet("QUILLOP_BENCH_RUN")
                           ? qEnvironmentVariable("QUILLOP_BENCH_RUN").toDouble()
                           : 25;
    const int wanted = qEnvironmentVariableIntValue("QUILLOP_BENCH_FLIES");
    return quillop::RunOnQt(argv[0], [&](quillop::Platform& platform) {
        quillop::Application app(platform, quillop::EmbeddedSprites());
        auto& mainForm =
            static_cast<quillop::TfrmMain&>(app.Own(std::make_unique<quillop::TfrmMain>(app)));
        mainForm.StartApp();
        const int more = wanted - static_cast<int>(app.FlyList().size());
        if (more > 0) {
            quillop::AddFlies(app, more);
        }
        if (qEnvironmentVariableIsSet("QUILLOP_BENCH_SPREAD")) {
            // The flies of a desktop where they have long since walked apart: each fly is
            // placed at random within the work area and walks on from there.
            const quillop::Rect area = platform.WorkArea();
            for (quillop::TFlyForm* fly : app.FlyList()) {
                fly->Walker().X = area.Left + quillop::ProcessRandom().Random(area.Width - 60);
                fly->Walker().Y = area.Top + quillop::ProcessRandom().Random(area.Height - 60);
            }
        }
        QTimer::singleShot(static_cast<int>(run * 1000),
                           [&] { mainForm.Events().OnCloseRequest(); });
        platform.RunMessageLoop();
        app.DestroyAll();
        return 0;
    });
}
