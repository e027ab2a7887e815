#include "main/qt/QtStartupReport.h"

#include <dlfcn.h>
#include <QCoreApplication>
#include <QMessageBox>

#include <cstdint>
#include <filesystem>
#include <string>

#include "clFly/Failure.h"
#include "main/ErrorText.h"

namespace quillop {

void ShowStartupFailure(const std::exception& failure) {
    std::string className = "Exception";
    std::string module =
        std::filesystem::path(QCoreApplication::applicationFilePath().toStdString())
            .filename()
            .string();
    std::uintptr_t offset = 0;
    if (const auto* own = dynamic_cast<const Failure*>(&failure)) {
        className = own->ClassName();
        Dl_info info{};
        if (own->RaisedAt() != nullptr && dladdr(own->RaisedAt(), &info) != 0 &&
            info.dli_fbase != nullptr) {
            if (info.dli_fname != nullptr && info.dli_fname[0] != '\0') {
                module = std::filesystem::path(info.dli_fname).filename().string();
            }
            offset = reinterpret_cast<std::uintptr_t>(own->RaisedAt()) -
                     reinterpret_cast<std::uintptr_t>(info.dli_fbase);
        }
    }
    QMessageBox box(
        QMessageBox::Critical, QString::fromUtf8(kApplicationErrorCaption),
        QString::fromStdString(ApplicationErrorText(className, module, offset, failure.what())),
        QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace quillop
