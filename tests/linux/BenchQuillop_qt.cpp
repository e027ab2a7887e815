// The benchmark's program: the real platform and core, run for a set time and then closed as
// "Exit" closes it. What the flies cost is measured from outside, by tools/bench-linux.sh.
//
// Environment: QUILLOP_BENCH_RUN (seconds before it closes, default 25), QUILLOP_BENCH_FLIES
// (flies wanted; past the 1..99 of the settings they are added as "Add fly" adds them),
// QUILLOP_BENCH_SPREAD (set: the flies start scattered over the work area),
// QUILLOP_BENCH_STEPS ("WARMUP SECONDS": after WARMUP seconds, each fly's place is looked at
// every 2 ms for SECONDS, and the steps a second of each fly while it walks are printed; for a
// display whose moves no other client can count, such as a Wayland overlay).
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "main/MainForm.h"
#include "main/Population.h"
#include "main/qt/QtPlatform.h"
#include "resources/EmbeddedSprites.h"

namespace {

// Gaps between two steps of one fly up to this long are steps of a walk; longer ones rests.
constexpr qint64 kWalkGapMs = 50;

// Each fly's place, looked at often enough to see every step, and the steps of its walks.
class StepCounter {
  public:
    StepCounter(quillop::Application& app, double warmup, double seconds) : app_(app) {
        sampler_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&sampler_, &QTimer::timeout, [this] { Look(); });
        QTimer::singleShot(static_cast<int>(warmup * 1000), [this] {
            clock_.start();
            sampler_.start(2);
        });
        QTimer::singleShot(static_cast<int>((warmup + seconds) * 1000), [this] {
            sampler_.stop();
            Print();
        });
    }

  private:
    struct Fly {
        quillop::Point At;
        qint64 Last = -1;
        long Steps = 0;
        qint64 WalkMs = 0;
    };

    void Look() {
        const qint64 now = clock_.elapsed();
        for (quillop::TFlyForm* form : app_.FlyList()) {
            Fly& fly = flies_[form];
            if (fly.Last >= 0 && form->Place() != fly.At) {
                if (now - fly.Last <= kWalkGapMs) {
                    ++fly.Steps;
                    fly.WalkMs += now - fly.Last;
                }
            }
            if (fly.Last < 0 || form->Place() != fly.At) {
                fly.At = form->Place();
                fly.Last = now;
            }
        }
    }

    void Print() const {
        std::vector<double> rates;
        for (const auto& [form, fly] : flies_) {
            if (fly.WalkMs > 0) {
                rates.push_back(1000.0 * static_cast<double>(fly.Steps) /
                                static_cast<double>(fly.WalkMs));
            }
        }
        std::sort(rates.begin(), rates.end());
        if (!rates.empty()) {
            std::printf(
                "steps per second per fly while walking (the program's own count): min "
                "%.1f, median %.1f, of %zu flies\n",
                rates.front(), rates[rates.size() / 2], rates.size());
            std::fflush(stdout);
        }
    }

    quillop::Application& app_;
    QTimer sampler_;
    QElapsedTimer clock_;
    std::map<const quillop::TFlyForm*, Fly> flies_;
};

}  // namespace

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
        std::unique_ptr<StepCounter> steps;
        if (qEnvironmentVariableIsSet("QUILLOP_BENCH_STEPS")) {
            const QStringList window = qEnvironmentVariable("QUILLOP_BENCH_STEPS").split(' ');
            steps = std::make_unique<StepCounter>(app, window.value(0).toDouble(),
                                                  window.value(1).toDouble());
        }
        QTimer::singleShot(static_cast<int>(run * 1000),
                           [&] { mainForm.Events().OnCloseRequest(); });
        platform.RunMessageLoop();
        app.DestroyAll();
        return 0;
    });
}
