// The Linux program: flies on the X11 desktop.
#include "main/MainForm.h"
#include "main/qt/QtPlatform.h"
#include "resources/EmbeddedSprites.h"

int main(int, char** argv) {
    return quillop::RunOnQt(argv[0], [](quillop::Platform& platform) {
        return quillop::RunQuillop(platform, quillop::EmbeddedSprites());
    });
}
