#include "data/data_boxes.h"

#include "core/error_box.h"
#include "platform/message_box.h"

namespace databox {

void Error(const std::string& text) {
    ReportError("%s", text.c_str());
}

bool RetryCancel(const std::string& text, const std::string& caption) {
    return plat::MessageBox(text, caption, plat::MB_RETRYCANCEL) == plat::IDRETRY;
}

void Ok(const std::string& text, const std::string& caption) {
    plat::MessageBox(text, caption, plat::MB_OK);
}

}  // namespace databox
