#include "formats/gdal_messages.h"

#include <cpl_error.h>

#include <algorithm>

namespace formats {

GdalMessages::GdalMessages(std::function<void(const std::string&)> say) : say_(std::move(say)) {
    CPLPushErrorHandlerEx([](CPLErr level, CPLErrorNum number,
                             const char* text) { Handle(static_cast<int>(level), number, text); },
                          this);
}

GdalMessages::~GdalMessages() {
    CPLPopErrorHandler();
    for (const std::string& failure : failures_)
        say_("warning: GDAL: " + failure);
}

void GdalMessages::Handle(int level, int, const char* text) {
    auto* self = static_cast<GdalMessages*>(CPLGetErrorHandlerUserData());
    std::string message = text == nullptr ? "" : text;
    // Messages here go on after GDAL's: its full stop and line ends would cut them.
    while (!message.empty() &&
           (message.back() == '.' || message.back() == '\n' || message.back() == ' ')) {
        message.pop_back();
    }
    switch (static_cast<CPLErr>(level)) {
        case CE_None:
        case CE_Debug:
            return;
        case CE_Warning:
            self->say_("warning: GDAL: " + message);
            return;
        case CE_Failure:
        case CE_Fatal:
            // A driver may say the same failure for every feature: once is enough.
            if (std::find(self->failures_.begin(), self->failures_.end(), message) ==
                self->failures_.end()) {
                self->failures_.push_back(message);
            }
            return;
    }
}

std::string GdalMessages::TakeFailures() {
    std::string text;
    for (const std::string& failure : failures_)
        text += (text.empty() ? "" : "; ") + failure;
    failures_.clear();
    return text;
}

}  // namespace formats
